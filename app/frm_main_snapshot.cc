// TFrmMain and snapshots read back: the listing of a snapshot file, and the comparison of a
// snapshot with its folder as it is now.
#include <windows.h>

#include "comparison.h"
#include "control_state.h"
#include "error_box.h"
#include "folder_picker.h"
#include "frm_main.h"
#include "listing_save.h"
#include "platform.h"
#include "resource.h"
#include "snapshot_open.h"
#include "wide_text.h"

namespace ramilux {

// The snapshot's root is listed from the file, as it was, with every option; Refresh lists
// it again until a folder is chosen. The header says whose listing it is.
void TFrmMain::PopMnuOpenSnapshotClick() {
  if (running_) return;
  const std::optional<std::string> fileName = AskSnapshotFileName(hwnd_, kSnapshotOpenTitle);
  if (!fileName) return;
  indicators_.SetWaitCursor(true);
  TResult<std::shared_ptr<TSnapshotTree>> loaded = LoadSnapshotFile(*fileName);
  if (loaded.Ok()) ToWindowNames(*loaded.Value());
  indicators_.SetWaitCursor(false);
  if (!loaded.Ok()) return loaded.Outcome().Show(hwnd_);
  const TSnapshotTree& tree = *loaded.Value();
  source_.UseSnapshot(loaded.Value());
  listing_.SetRoot(tree.Root);
  listing_.SetHeaderNote(SnapshotNote(tree, *fileName, "instantan\xE9"));
  RunChosenRoot();
}

void TFrmMain::UseDisk() {
  source_.UseDisk();
  listing_.SetHeaderNote({});
}

// Against the folder the snapshot was taken of, as `arbo --compare` does: a snapshot names
// its folder, and the window's own root may be any other. The walk goes on the window's
// thread, which answers between folders, as for "Instantané...".
void TFrmMain::PopMnuCompareSnapshotClick() {
  if (running_) return;
  const std::optional<std::string> fileName = AskSnapshotFileName(hwnd_, kSnapshotCompareTitle);
  if (!fileName) return;
  indicators_.SetWaitCursor(true);
  TResult<std::shared_ptr<TSnapshotTree>> loaded = LoadSnapshotFile(*fileName);
  indicators_.SetWaitCursor(false);
  if (!loaded.Ok()) return loaded.Outcome().Show(hwnd_);
  const std::shared_ptr<TSnapshotTree> old = loaded.Value();
  const std::wstring folder = ToWide(old->Root, CP_UTF8);
  if (old->Separator != '\\' || !IsFolder(folder)) {
    ShowErrorBox(hwnd_, "Le dossier \"" + FromWide(folder, CP_ACP) + "\" n'existe pas");
    return;
  }
  running_ = true;
  indicators_.SetWaitCursor(true);
  auto now = std::make_shared<TSnapshotTree>();
  const bool taken = TakeSnapshot(*NewPlatformFileSystem(TEncoding::Utf8), old->Root, *now, [this] {
    indicators_.ProcessMessages();
    return hwnd_ != nullptr && !closeRequested_;
  });
  if (taken) {
    comparison_ = std::make_unique<TComparison>(
        old, now, SnapshotNote(*old, *fileName, "compar\xE9 \xE0 l'instantan\xE9"), optionControls_,
        view_, indicators_);
    comparison_->Compare();
    ShowComparison();
  }
  indicators_.SetWaitCursor(false);
  running_ = false;
  if (closeRequested_ && hwnd_) PostMessageA(hwnd_, WM_CLOSE, 0, 0);
}

// The outline in place of the view's text, from its top; the view then holds no listing
// of entries, so that the saves of the view and the print take what it shows.
void TFrmMain::ShowComparison() {
  runCompleted_ = false;
  view_.BeginRun();
  view_.ClearView();
  view_.SetViewRedraw(false);
  view_.SetCaret(0);
  std::string error;
  const bool shown = view_.ReplaceSelection(comparison_->Text(false), error);
  view_.SetCaret(0);
  view_.ScrollCaret();
  view_.SetViewRedraw(true);
  view_.EndRun();
  indicators_.EnableButton(TButton::Print, shown);
  if (!shown) ShowErrorBox(hwnd_, error);
}

bool TFrmMain::CopyComparison() {
  return comparison_ && CopyUnicodeText(hwnd_, comparison_->Text(true));
}

}  // namespace ramilux
