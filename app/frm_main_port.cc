// What a run does to the form's controls, reached through TFormPorts: the run reads the
// option controls and writes the view, the label, the buttons and the progress bar.
// <windows.h> comes before the other system headers.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <algorithm>
#include <chrono>
#include <climits>

#include "control_visibility.h"
#include "frm_main.h"
#include "resource.h"
#include "rich_edit.h"
#include "view_slices.h"

namespace ramilux {
namespace {

std::string TextOf(HWND control) {
  std::string text(static_cast<size_t>(GetWindowTextLengthA(control)) + 1, '\0');
  text.resize(static_cast<size_t>(GetWindowTextA(control, text.data(), text.size())));
  return text;
}

int Clamp(int64_t value) {
  return static_cast<int>(std::clamp<int64_t>(value, 0, INT_MAX));
}

}  // namespace

HWND TFrmMain::ButtonHandle(TButton button) const {
  switch (button) {
    case TButton::SelectDirectory:
      return Control(IDC_SBN_SELECT_DIRECTORY);
    case TButton::Print:
      return Control(IDC_SBN_PRINT);
    case TButton::Refresh:
      return Control(IDC_SBN_REFRESH);
    case TButton::Font:
      return Control(IDC_SBN_FONT);
    case TButton::Stop:
      return Control(IDC_SBN_STOP);
  }
  return nullptr;
}

// The wait cursor covers every window of the application: the form answers
// WM_SETCURSOR for itself and its children (the view through its subclass).
void TFrmMain::SetWaitCursor(bool wait) {
  waitCursor_ = wait;
  if (wait) lastQueueLook_ = 0;  // a run begins: its first look at the queue is not put off
  SetCursor(LoadCursorA(nullptr, wait ? IDC_WAIT : IDC_ARROW));
}

void TFrmMain::EnableButton(TButton button, bool enabled) {
  EnableWindow(ButtonHandle(button), enabled);
}

void TFrmMain::ShowButton(TButton button, bool shown) {
  ShowWindow(ButtonHandle(button), shown ? SW_SHOWNA : SW_HIDE);
}

// The walk names every folder it enters; setting the label costs a round trip to the
// window server. During a run the label takes a new name at most 25 times a second, more
// often than a name can be read, and the latest one when the run ends.
void TFrmMain::SetDirectoryLabel(const std::string& text) {
  pendingLabel_ = text;
  labelPending_ = true;
  FlushDirectoryLabel(!running_);
}

void TFrmMain::FlushDirectoryLabel(bool now) {
  constexpr ULONGLONG kLabelInterval = 40;
  ULONGLONG tick = GetTickCount64();
  if (!labelPending_ || (!now && lastLabelShown_ != 0 && tick - lastLabelShown_ < kLabelInterval)) {
    return;
  }
  labelPending_ = false;
  lastLabelShown_ = tick;
  SetWindowTextA(Control(IDC_LBL_DIRECTORY_NAME), pendingLabel_.c_str());
}

bool TFrmMain::MaskEditShown() {
  return IsShown(Control(IDC_EDT_MASK));
}
std::string TFrmMain::MaskText() {
  return TextOf(Control(IDC_EDT_MASK));
}
bool TFrmMain::MinSizeEditShown() {
  return IsShown(Control(IDC_EDT_MIN_SIZE));
}
std::string TFrmMain::MinSizeText() {
  return TextOf(Control(IDC_EDT_MIN_SIZE));
}

void TFrmMain::SetMinSizeText(const std::string& text) {
  SetWindowTextA(Control(IDC_EDT_MIN_SIZE), text.c_str());
}

bool TFrmMain::RunChecked(int slot, int id) {
  if (!running_) return Checked(id);
  if (runChecks_[slot] < 0) runChecks_[slot] = Checked(id) ? 1 : 0;
  return runChecks_[slot] == 1;
}
void TFrmMain::ForgetRunChecks() {
  for (int& check : runChecks_) check = -1;
}

bool TFrmMain::FileChecked() {
  return RunChecked(0, IDC_CBX_FILE);
}
bool TFrmMain::SizeChecked() {
  return RunChecked(1, IDC_CBX_SIZE);
}
bool TFrmMain::DateTimeChecked() {
  return RunChecked(2, IDC_CBX_DATE_TIME);
}
bool TFrmMain::HigherSelected() {
  return Checked(IDC_RBN_HIGHER);
}

int TFrmMain::SortIndex() {
  const int items[] = {IDC_RGP_SORT_ALPHA, IDC_RGP_SORT_SIZE, IDC_RGP_SORT_DATE};
  for (int index = 0; index < 3; ++index) {
    if (Checked(items[index])) return index;
  }
  return -1;
}

// Everything waiting in the queue, with the form's key preview; a quit request is put
// back for the thread's own loop.
void TFrmMain::ProcessMessages() {
  // A look at the queue is a round trip to the window server, 40 us under Wine: as much as
  // writing a line, or a fifth of searching a folder. During a run the queue is looked at
  // every few milliseconds, which keeps input and painting as prompt as the eye can tell
  // and saves two seconds on 50,000 lines and half a second on their 5,000 folders.
  constexpr ULONGLONG kRunLookInterval = 4;
  if (running_) {
    ULONGLONG now = GetTickCount64();
    if (lastQueueLook_ != 0 && now - lastQueueLook_ < kRunLookInterval) return;
    lastQueueLook_ = now;
  }
  FlushDirectoryLabel(false);
  bool found = false;
  const bool goOn = PumpPendingMessages(&found);
  // Whatever was handled may have clicked a box.
  ForgetRunChecks();
  if (!goOn) return;
  // Input often comes in a burst (a button's press, then its release): the next poll
  // looks again at once.
  if (found) lastQueueLook_ = 0;
}

// Emptying a long text costs the control time that grows with the square of its lines
// (40 s for 5,000 lines under Wine): past a few hundred lines a fresh, empty view with the
// same font and limit takes the place of the full one, in 40 ms.
void TFrmMain::ClearView() {
  constexpr int64_t kLinesWorthANewView = 500;
  HWND view = Control(IDC_RICH_EDIT);
  if (SendMessageA(view, EM_GETLINECOUNT, 0, 0) > kLinesWorthANewView) {
    RecreateView();
  } else {
    rich_edit::Clear(view);
  }
}

void TFrmMain::RepaintNow() {
  FlushDirectoryLabel(true);
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void TFrmMain::FocusView() {
  SetFocus(Control(IDC_RICH_EDIT));
}

void TFrmMain::SetViewRedraw(bool on) {
  rich_edit::SetRedraw(Control(IDC_RICH_EDIT), on);
}

int64_t TFrmMain::ViewTextLength() {
  return rich_edit::TextLength(Control(IDC_RICH_EDIT));
}

void TFrmMain::SetCaret(int64_t index) {
  if (running_) runCaret_ = index;
  rich_edit::SetCaret(Control(IDC_RICH_EDIT), index);
}

int64_t TFrmMain::LineIndex(int64_t line) {
  return rich_edit::LineIndex(Control(IDC_RICH_EDIT), line);
}

void TFrmMain::ScrollCaret() {
  rich_edit::ScrollCaret(Control(IDC_RICH_EDIT));
}

int64_t TFrmMain::ViewLineCount() {
  return rich_edit::LineCount(Control(IDC_RICH_EDIT));
}

// The control reports no failure of its own: an insertion that did not grow the text by
// the text's length (CR LF counts two, as WM_GETTEXTLENGTH counts it) failed, at the text
// limit or for want of memory. A partial insertion is taken out again.
bool TFrmMain::InsertText(std::string_view text, int64_t& grown, std::string& error) {
  HWND view = Control(IDC_RICH_EDIT);
  CHARRANGE selection = rich_edit::Selection(view);
  int64_t before = rich_edit::TextLength(view) - (selection.cpMax - selection.cpMin);
  std::string copy(text);
  copy.erase(std::remove(copy.begin(), copy.end(), '\0'), copy.end());
  rich_edit::ReplaceSelection(view, copy);
  grown = rich_edit::TextLength(view) - before;
  if (grown == static_cast<int64_t>(copy.size())) return true;
  if (grown > 0) {
    rich_edit::Select(view, selection.cpMin, selection.cpMin + grown);
    rich_edit::ReplaceSelection(view, "");
  }
  error = kInsertError;
  return false;
}

// Puts the caret at `index` unless it is there: setting it costs a walk through the text
// under Wine, milliseconds on a long listing, while reading it costs nothing.
void TFrmMain::KeepCaretAt(int64_t index) {
  HWND view = Control(IDC_RICH_EDIT);
  CHARRANGE selection = rich_edit::Selection(view);
  if (selection.cpMin != index || selection.cpMax != index) rich_edit::SetCaret(view, index);
}

// During a run a long text goes in slice by slice with a look at the queue between them:
// one insertion of 64 KiB takes 100 ms or more under Wine, longer than a click on Stop may
// wait. The lines go where the run put the caret, even when a click in the view moved it
// in the meantime, so that the listing stays in order.
bool TFrmMain::ReplaceSelection(std::string_view text, std::string& error) {
  int64_t grown = 0;
  if (!running_) return InsertText(text, grown, error);
  HWND view = Control(IDC_RICH_EDIT);
  if (runCaret_ >= 0) KeepCaretAt(runCaret_);
  const int64_t start = rich_edit::Selection(view).cpMin;
  int64_t inserted = 0;
  for (size_t begin = 0; begin < text.size();) {
    if (begin > 0) {
      lastQueueLook_ = 0;  // a slice takes longer than the interval between looks
      ProcessMessages();
      KeepCaretAt(start + inserted);
    }
    const size_t end = SliceEnd(text, begin, sliceSizer_.Bytes());
    const auto began = std::chrono::steady_clock::now();
    if (!InsertText(text.substr(begin, end - begin), grown, error)) {
      if (inserted > 0) {  // the view holds none of a text it refused
        rich_edit::Select(view, start, start + inserted);
        rich_edit::ReplaceSelection(view, "");
      }
      runCaret_ = start;
      return false;
    }
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - began;
    sliceSizer_.Took(end - begin, took.count());
    inserted += grown;
    begin = end;
  }
  runCaret_ = start + inserted;
  return true;
}

void TFrmMain::SetProgressMax(int64_t max) {
  HWND bar = Control(IDC_PROGRESS_BAR);
  RECT client;
  GetClientRect(bar, &client);
  progressWidth_ = client.right;
  progressMax_ = max;
  progressPixels_ = -1;
  progressShown_ = 0;
  SendMessageA(bar, PBM_SETRANGE32, 0, Clamp(max));
}

void TFrmMain::ShowProgress(bool shown) {
  lastQueueLook_ = 0;  // the output's first look at the queue is not put off
  ShowWindow(Control(IDC_PROGRESS_BAR), shown ? SW_SHOWNA : SW_HIDE);
}

// The bar is told only when its filled length changes, and at most every few tens of
// milliseconds: a redraw costs about a millisecond under Wine, and one per line would
// double the time of the output. It looks the same; the last position is always shown.
void TFrmMain::SetProgressPosition(int64_t position) {
  constexpr ULONGLONG kProgressInterval = 50;
  int64_t pixels = progressMax_ > 0 ? position * progressWidth_ / progressMax_ : 0;
  if (position < progressMax_) {
    if (pixels == progressPixels_) return;
    ULONGLONG tick = GetTickCount64();
    if (progressShown_ != 0 && tick - progressShown_ < kProgressInterval) return;
    progressShown_ = tick;
  }
  progressPixels_ = pixels;
  SendMessageA(Control(IDC_PROGRESS_BAR), PBM_SETPOS, Clamp(position), 0);
}

// Centred on the screen: no owner, modal for the whole task.
void TFrmMain::ShowErrorBox(const std::string& title, const std::string& message) {
  MessageBoxA(nullptr, message.c_str(), title.c_str(), MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

}  // namespace ramilux
