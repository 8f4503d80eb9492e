// TFrmMain: the handlers of the controls and of the pop-up menu, the folder choice, the
// run and its stop, and the About message.
#include <windows.h>

#include "app_title.h"
#include "control_state.h"
#include "error_box.h"
#include "folder_picker.h"
#include "font_choice.h"
#include "frm_main.h"
#include "listing_save.h"
#include "printing.h"
#include "resource.h"
#include "rich_edit.h"
#include "saving.h"
#include "wide_text.h"

namespace ramilux {
namespace {

void SetShown(HWND control, bool shown) {
  ShowWindow(control, shown ? SW_SHOWNA : SW_HIDE);
}

}  // namespace

void TFrmMain::OnCommand(int id, int code) {
  if (code != BN_CLICKED) return;  // menu items arrive with code 0 == BN_CLICKED
  switch (id) {
    case IDC_CBX_FILE:
      CbxFileClick();
      break;
    case IDC_CBX_MASK:
      CbxMaskClick();
      break;
    case IDC_CBX_MIN_SIZE:
      CbxMinSizeClick();
      break;
    case IDC_SBN_SELECT_DIRECTORY:
      SbnSelectDirectoryClick();
      break;
    case IDC_SBN_PRINT:
      SbnPrintClick();
      break;
    case IDC_SBN_REFRESH:
      SbnRefreshClick();
      break;
    case IDC_SBN_STOP:
      SbnStopClick();
      break;
    case IDC_SBN_FONT:
      SbnFontClick();
      break;
    case IDM_SAVE_RTF:
      PopMnuSaveRtfClick();
      break;
    case IDM_SAVE_TXT:
      PopMnuSaveTxtClick();
      break;
    case IDM_ABOUT:
      PopMnuAboutClick();
      break;
    case IDM_EXPLORER_MENU:
      PopMnuExplorerMenuClick();
      break;
    case IDM_SNAPSHOT:
      PopMnuSnapshotClick();
      break;
    case IDM_OPEN_SNAPSHOT:
      PopMnuOpenSnapshotClick();
      break;
    case IDM_COMPARE_SNAPSHOT:
      PopMnuCompareSnapshotClick();
      break;
    case IDM_COPY:
      PopMnuCopyClick();
      break;
    case IDM_SAVE_UNICODE_TXT:
      PopMnuSaveListingClick(kSaveUnicodeText, TListingFormat::UnicodeText);
      break;
    case IDM_SAVE_HTML:
      PopMnuSaveListingClick(kSaveHtml, TListingFormat::Html);
      break;
    case IDM_SAVE_CSV:
      PopMnuSaveListingClick(kSaveCsv, TListingFormat::Csv);
      break;
    case IDM_SAVE_MARKDOWN:
      PopMnuSaveListingClick(kSaveMarkdown, TListingFormat::Markdown);
      break;
  }
}

// The three visibility rules work from the current states, never by toggling, so a
// hidden check box leaves the controls it governs as they were.
void TFrmMain::CbxFileClick() {
  bool files = IsChecked(Control(IDC_CBX_FILE));
  for (int id : {IDC_CBX_SIZE, IDC_CBX_DATE_TIME, IDC_CBX_MASK, IDC_CBX_MIN_SIZE}) {
    SetShown(Control(id), files);
  }
}

void TFrmMain::CbxMaskClick() {
  SetShown(Control(IDC_EDT_MASK),
           IsShown(Control(IDC_CBX_MASK)) && IsChecked(Control(IDC_CBX_MASK)));
}

void TFrmMain::CbxMinSizeClick() {
  bool shown = IsShown(Control(IDC_CBX_MIN_SIZE)) && IsChecked(Control(IDC_CBX_MIN_SIZE));
  for (int id : {IDC_EDT_MIN_SIZE, IDC_LBL_MIN_SIZE, IDC_RBN_LOWER, IDC_RBN_HIGHER}) {
    SetShown(Control(id), shown);
  }
}

void TFrmMain::SbnSelectDirectoryClick() {
  std::wstring path = root_;
  bool chosen = PickFolder(hwnd_, kPickerTitle, path);
  // A cancel keeps the previous folder, or none when it is gone.
  root_ = path;
  UseDisk();
  // The exact path: a name the code page cannot hold keeps its exact form for the walk.
  listing_.SetRoot(EnginePath(path, CP_ACP));
  // A confirmed choice always has a path; an empty one is taken as a cancel.
  if (!chosen || path.empty()) return;
  RunChosenRoot();
}

bool TFrmMain::RunChosenRoot() {
  // The run happens inside this call, even while SbnRefresh is still disabled. After an
  // error it has unlocked the window itself; the buttons then stay as it left them.
  if (!SbnRefreshClick()) return false;
  indicators_.EnableButton(TButton::Print, true);
  indicators_.EnableButton(TButton::Refresh, true);
  return true;
}

bool TFrmMain::SbnRefreshClick() {
  comparison_.reset();
  running_ = true;
  indicators_.BeginRun();
  view_.BeginRun();
  bool completed = listing_.Run();
  running_ = false;
  runCompleted_ = completed;
  view_.EndRun();
  indicators_.EndRun();
  if (closeRequested_ && hwnd_) PostMessageA(hwnd_, WM_CLOSE, 0, 0);
  return completed;
}

void TFrmMain::SbnStopClick() {
  listing_.RequestStop();
}

// Closing the window in the middle of a run would destroy the controls under it: the
// close waits for the run's end, and a walk in progress is stopped.
void TFrmMain::OnClose() {
  if (running_) {
    closeRequested_ = true;
    listing_.RequestStop();
    return;
  }
  closeRequested_ = false;
  if (options_.KeepSettings) SaveSettings(CurrentSettings());
  DestroyWindow(hwnd_);
}

void TFrmMain::SbnPrintClick() {
  ramilux::SbnPrintClick(hwnd_, Control(IDC_RICH_EDIT),
                         [this](bool wait) { indicators_.SetWaitCursor(wait); });
}

void TFrmMain::SbnFontClick() {
  ramilux::SbnFontClick(hwnd_, Control(IDC_RICH_EDIT));
}

// The RTF of a whole listing is written from its entries, with the exact names and
// connectors other readers show; any other view's content (none yet, a stop during the
// output) keeps the control's own RTF.
void TFrmMain::PopMnuSaveRtfClick() {
  if (ViewHoldsListing()) {
    RunListingSave(Control(IDC_RICH_EDIT), listing_, kSaveRtf, TListingFormat::Rtf);
  } else {
    ramilux::PopMnuSaveRtfClick(Control(IDC_RICH_EDIT));
  }
}

bool TFrmMain::ViewHoldsListing() {
  if (running_ || !runCompleted_) return false;
  // The header, the blank line and a line per entry.
  return rich_edit::LineCount(Control(IDC_RICH_EDIT)) ==
         static_cast<int64_t>(listing_.Entries().size() + 2);
}

void TFrmMain::PopMnuSaveTxtClick() {
  ramilux::PopMnuSaveTxtClick(Control(IDC_RICH_EDIT));
}

// The entries change during a run: what is written waits for its end.
void TFrmMain::PopMnuCopyClick() {
  if (running_) return;
  if (comparison_) {
    CopyComparison();
  } else {
    CopyListing(Control(IDC_RICH_EDIT), listing_);
  }
}

void TFrmMain::PopMnuSaveListingClick(const TSaveCommand& command, TListingFormat format) {
  // A comparison has no entries to write: its item is grayed.
  if (!running_ && !comparison_) RunListingSave(Control(IDC_RICH_EDIT), listing_, command, format);
}

// A plain box centred on the screen: no owner, modal for the whole task.
void TFrmMain::PopMnuAboutClick() {
  MessageBoxA(nullptr, AboutText().c_str(), ApplicationTitle(options_.ExecutablePath).c_str(),
              MB_OK | MB_TASKMODAL);
}

void TFrmMain::ShowPopupMenu(POINT screen) {
  if (screen.x == -1 && screen.y == -1) {  // from the keyboard: the view's corner
    screen = {0, 0};
    ClientToScreen(Control(IDC_RICH_EDIT), &screen);
  }
  UpdateExplorerMenuItem();
  TrackPopupMenu(popupMenu_.Get(), TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0, hwnd_,
                 nullptr);
}

bool TFrmMain::OnSetCursor() {
  if (!indicators_.WaitCursorShown()) return false;
  SetCursor(LoadCursorA(nullptr, IDC_WAIT));
  return true;
}

}  // namespace ramilux
