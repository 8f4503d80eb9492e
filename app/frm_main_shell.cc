// TFrmMain and Windows around it: a folder given on the command line, dropped on the
// window or sent by Explorer's entry, that entry itself, and the settings that stay.
#include <windows.h>
// the drop's calls, which need windows.h first
#include <shellapi.h>

#include "control_state.h"
#include "display_font.h"
#include "error_box.h"
#include "explorer_menu.h"
#include "folder_picker.h"
#include "font_choice.h"
#include "frm_main.h"
#include "resource.h"
#include "rich_edit.h"
#include "saving.h"
#include "screen_dpi.h"
#include "snapshot_save.h"
#include "wide_text.h"

namespace ramilux {
namespace {

std::wstring FullPath(const std::wstring& path) {
  const DWORD length = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (length == 0) return path;
  std::wstring full(length, L'\0');
  full.resize(GetFullPathNameW(path.c_str(), length, full.data(), nullptr));
  return full;
}

// The first folder among the dropped items; with none, the folder of the first file.
std::wstring DroppedFolder(HDROP drop) {
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  std::wstring firstFilesFolder;
  for (UINT i = 0; i < count; ++i) {
    std::wstring path(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
    path.resize(DragQueryFileW(drop, i, path.data(), UINT(path.size())));
    if (IsFolder(path)) return path;
    if (firstFilesFolder.empty()) {
      const size_t slash = path.find_last_of(L'\\');
      if (slash != std::wstring::npos) firstFilesFolder = path.substr(0, slash + 1);
    }
  }
  return firstFilesFolder;
}

void SetChecked(HWND button, bool checked) {
  SendMessageA(button, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

}  // namespace

bool TFrmMain::ListFolder(const std::wstring& folder) {
  if (running_ || folder.empty()) return false;
  const std::wstring full = FullPath(folder);
  if (!IsFolder(full)) {
    ShowErrorBox(hwnd_, "Le dossier \"" + FromWide(full, CP_ACP) + "\" n'existe pas");
    return false;
  }
  root_ = full;
  UseDisk();
  listing_.SetRoot(EnginePath(full, CP_ACP));
  return RunChosenRoot();
}

void TFrmMain::OnDropFiles(WPARAM dropped) {
  const auto drop = reinterpret_cast<HDROP>(dropped);
  const std::wstring folder = running_ ? std::wstring() : DroppedFolder(drop);
  DragFinish(drop);
  if (!folder.empty()) ListFolder(folder);
}

void TFrmMain::PopMnuExplorerMenuClick() {
  const std::wstring exe = ProgramPath();
  const bool done = ExplorerMenuInstalled(exe) ? RemoveExplorerMenu() : InstallExplorerMenu(exe);
  if (!done) ShowErrorBox(hwnd_, kExplorerMenuFailed);
}

// The walk goes on the window's thread, which answers between folders; the window is
// busy as during a run, so that no other run or snapshot starts meanwhile.
void TFrmMain::PopMnuSnapshotClick() {
  if (running_ || root_.empty() || source_.Snapshot()) return;
  const std::optional<std::string> fileName =
      AskSaveFileName({kSnapshotFilter, kSnapshotName, false}, hwnd_);
  if (!fileName) return;
  running_ = true;
  indicators_.SetWaitCursor(true);
  const TOutcome saved = SaveSnapshot(root_, *fileName, [this] {
    indicators_.ProcessMessages();
    return hwnd_ != nullptr && !closeRequested_;
  });
  indicators_.SetWaitCursor(false);
  running_ = false;
  saved.Show(hwnd_);
  if (closeRequested_ && hwnd_) PostMessageA(hwnd_, WM_CLOSE, 0, 0);
}

void TFrmMain::UpdateExplorerMenuItem() {
  // A snapshot needs a root on the disk; the formats written from the entries need a
  // listing in the view.
  EnableMenuItem(popupMenu_.Get(), IDM_SNAPSHOT,
                 root_.empty() || source_.Snapshot() ? MF_GRAYED : MF_ENABLED);
  for (int id : {IDM_SAVE_UNICODE_TXT, IDM_SAVE_HTML, IDM_SAVE_CSV, IDM_SAVE_MARKDOWN}) {
    EnableMenuItem(popupMenu_.Get(), id, comparison_ ? MF_GRAYED : MF_ENABLED);
  }
  CheckMenuItem(popupMenu_.Get(), IDM_EXPLORER_MENU,
                ExplorerMenuInstalled(ProgramPath()) ? MF_CHECKED : MF_UNCHECKED);
}

// Each setting goes through the control and its handler, as a click would put it.
void TFrmMain::ApplySettings(const TSettings& settings) {
  auto check = [this](int id, const std::optional<bool>& value) {
    if (value) SetChecked(Control(id), *value);
  };
  check(IDC_CBX_FILE, settings.Files);
  check(IDC_CBX_SIZE, settings.Sizes);
  check(IDC_CBX_DATE_TIME, settings.Dates);
  check(IDC_CBX_MASK, settings.Masks);
  check(IDC_CBX_MIN_SIZE, settings.MinSize);
  if (settings.Higher) {
    SetChecked(Control(IDC_RBN_HIGHER), *settings.Higher);
    SetChecked(Control(IDC_RBN_LOWER), !*settings.Higher);
  }
  if (settings.MaskText) SetWindowTextA(Control(IDC_EDT_MASK), settings.MaskText->c_str());
  if (settings.MinSizeText) {
    SetWindowTextA(Control(IDC_EDT_MIN_SIZE), settings.MinSizeText->c_str());
  }
  if (settings.SortIndex) {
    for (int item = 0; item < 3; ++item) {
      SetChecked(Control(IDC_RGP_SORT_ALPHA + item), item == *settings.SortIndex);
    }
  }
  CbxFileClick();
  CbxMaskClick();
  CbxMinSizeClick();
  // A font named on the command line wins over the one kept.
  if (settings.Font && options_.FontArgument.empty()) ApplySavedFont(*settings.Font);
  if (settings.LastFolder) root_ = *settings.LastFolder;
  placement_ = settings.Placement;
}

// A face that is not installed (any more) is refused as the font dialog would refuse it:
// the view keeps the start's font.
void TFrmMain::ApplySavedFont(const TSavedFont& font) {
  HWND view = Control(IDC_RICH_EDIT);
  CHARFORMATA format = rich_edit::CharFormat(view);
  lstrcpynA(format.szFaceName, font.Face.c_str(), LF_FACESIZE);
  format.yHeight = font.Twips;
  format.dwEffects = (format.dwEffects & CFE_AUTOCOLOR) | (font.Bold ? CFE_BOLD : 0) |
                     (font.Italic ? CFE_ITALIC : 0) | (font.Underline ? CFE_UNDERLINE : 0) |
                     (font.StrikeOut ? CFE_STRIKEOUT : 0);
  ApplyDisplayFont(view, FontFromCharFormat(format, ScreenDpi()), nullptr);
}

TSettings TFrmMain::CurrentSettings() const {
  TSettings settings;
  settings.Files = IsChecked(Control(IDC_CBX_FILE));
  settings.Sizes = IsChecked(Control(IDC_CBX_SIZE));
  settings.Dates = IsChecked(Control(IDC_CBX_DATE_TIME));
  settings.Masks = IsChecked(Control(IDC_CBX_MASK));
  settings.MinSize = IsChecked(Control(IDC_CBX_MIN_SIZE));
  settings.Higher = IsChecked(Control(IDC_RBN_HIGHER));
  settings.MaskText = TextOf(Control(IDC_EDT_MASK));
  settings.MinSizeText = TextOf(Control(IDC_EDT_MIN_SIZE));
  for (int item = 0; item < 3; ++item) {
    if (IsChecked(Control(IDC_RGP_SORT_ALPHA + item))) settings.SortIndex = item;
  }
  const CHARFORMATA format = rich_edit::CharFormat(Control(IDC_RICH_EDIT));
  settings.Font = TSavedFont{format.szFaceName,
                             int(format.yHeight),
                             (format.dwEffects & CFE_BOLD) != 0,
                             (format.dwEffects & CFE_ITALIC) != 0,
                             (format.dwEffects & CFE_UNDERLINE) != 0,
                             (format.dwEffects & CFE_STRIKEOUT) != 0};
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (GetWindowPlacement(hwnd_, &placement)) settings.Placement = placement;
  if (!root_.empty()) settings.LastFolder = root_;
  return settings;
}

}  // namespace ramilux
