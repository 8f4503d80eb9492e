// Tab navigation of TFrmMain: the order the form table gives, entering containers, and
// the stops a key press may land on.
#include <algorithm>

#include "frm_main.h"
#include "resource.h"

namespace ramilux {

// Tab visits the form's children by their tab order, entering each container and
// visiting its children by theirs; EdtMinSize therefore comes after the view.
void TFrmMain::BuildTabOrder(const std::vector<TControlRecord>& records) {
  auto childrenOf = [&](uint16_t parent) {
    std::vector<const TControlRecord*> children;
    for (const TControlRecord& record : records) {
      if (record.Kind != KIND_FORM && record.Parent == parent && record.TabOrder != NO_TAB &&
          record.Kind != KIND_PROGRESS_BAR) {
        children.push_back(&record);
      }
    }
    std::stable_sort(children.begin(), children.end(),
                     [](auto* a, auto* b) { return a->TabOrder < b->TabOrder; });
    return children;
  };
  auto visit = [&](auto& self, uint16_t parent) -> void {
    for (const TControlRecord* record : childrenOf(parent)) {
      if (record->Kind == KIND_PANEL || record->Kind == KIND_RADIO_GROUP) {
        self(self, record->Id);
      } else {
        tabOrder_.push_back(Control(record->Id));
      }
    }
  };
  visit(visit, IDC_FORM);
}

// A radio button is a stop only while it is checked, or, in a group with none checked,
// when it is the group's first item.
bool TFrmMain::CanTakeFocus(HWND control) const {
  if (!IsWindowVisible(control) || !IsWindowEnabled(control)) return false;
  char className[16] = {};
  GetClassNameA(control, className, sizeof className);
  bool radio = lstrcmpiA(className, "BUTTON") == 0 &&
               (GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK) == BS_AUTORADIOBUTTON;
  if (!radio || SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED) return true;
  if (!(GetWindowLongA(control, GWL_STYLE) & WS_GROUP)) return false;
  for (HWND sibling = GetWindow(control, GW_HWNDNEXT); sibling;
       sibling = GetWindow(sibling, GW_HWNDNEXT)) {
    if (GetWindowLongA(sibling, GWL_STYLE) & WS_GROUP) break;
    if (SendMessageA(sibling, BM_GETCHECK, 0, 0) == BST_CHECKED) return false;
  }
  return true;
}

void TFrmMain::SelectNextControl(bool forward) {
  if (tabOrder_.empty()) return;
  int count = static_cast<int>(tabOrder_.size());
  auto found = std::find(tabOrder_.begin(), tabOrder_.end(), GetFocus());
  int index = found == tabOrder_.end() ? (forward ? -1 : count)
                                       : static_cast<int>(found - tabOrder_.begin());
  for (int step = 0; step < count; ++step) {
    index = (index + (forward ? 1 : -1) + count) % count;
    HWND candidate = tabOrder_[index];
    if (!CanTakeFocus(candidate)) continue;
    SetFocus(candidate);
    if (GetDlgCtrlID(candidate) == IDC_EDT_MASK || GetDlgCtrlID(candidate) == IDC_EDT_MIN_SIZE) {
      SendMessageA(candidate, EM_SETSEL, 0, -1);
    }
    return;
  }
}

}  // namespace ramilux
