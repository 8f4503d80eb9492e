// The view port: the rich edit as a run writes it (see the header).
#include "view_port.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "resource.h"
#include "rich_edit.h"

namespace ramilux {

TViewPort::TViewPort(TRunIndicatorsPort& indicators, TViewThreads& threads,
                     std::function<HWND()> renew)
    : indicators_(indicators), threads_(threads), renew_(std::move(renew)) {}

void TViewPort::Attach(const TControlOf& control) {
  window_ = control(IDC_FORM);
  view_ = control(IDC_RICH_EDIT);
}

void TViewPort::BeginRun() {
  running_ = true;
  runCaret_ = -1;
}

void TViewPort::EndRun() {
  running_ = false;
  runCaret_ = -1;
}

// Emptying a long text costs the control time that grows with the square of its lines
// (40 s for 5,000 lines under Wine): past a few hundred lines a fresh, empty view with the
// same font and limit takes the place of the full one, in 40 ms, and the full one goes on
// its own thread.
void TViewPort::ClearView() {
  constexpr int64_t kLinesWorthANewView = 500;
  if (SendMessageA(view_, EM_GETLINECOUNT, 0, 0) > kLinesWorthANewView) {
    view_ = renew_();
  } else {
    rich_edit::Clear(view_);
  }
}

void TViewPort::RepaintNow() {
  indicators_.ShowPendingLabel();
  RedrawWindow(window_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void TViewPort::FocusView() {
  SetFocus(view_);
}

void TViewPort::SetViewRedraw(bool on) {
  rich_edit::SetRedraw(view_, on);
}

int64_t TViewPort::ViewTextLength() {
  return rich_edit::TextLength(view_);
}

void TViewPort::SetCaret(int64_t index) {
  if (running_) runCaret_ = index;
  rich_edit::SetCaret(view_, index);
}

int64_t TViewPort::LineIndex(int64_t line) {
  return rich_edit::LineIndex(view_, line);
}

void TViewPort::ScrollCaret() {
  rich_edit::ScrollCaret(view_);
}

int64_t TViewPort::ViewLineCount() {
  return rich_edit::LineCount(view_);
}

// The control reports no failure of its own: an insertion that did not grow the text by
// the text's length (CR LF counts two, as WM_GETTEXTLENGTH counts it) failed, at the text
// limit or for want of memory. A partial insertion is taken out again. `at` -1: in place
// of the selection.
bool TViewPort::InsertText(std::string_view text, int64_t at, int64_t& grown, std::string& error) {
  std::string copy(text);
  copy.erase(std::remove(copy.begin(), copy.end(), '\0'), copy.end());
  grown = ReplaceRange(view_, at, at, copy);
  if (grown == static_cast<int64_t>(copy.size())) return true;
  if (grown > 0) {
    const int64_t start = at >= 0 ? at : rich_edit::Selection(view_).cpMax - grown;
    ReplaceRange(view_, start, start + grown, "");
  }
  error = kInsertError;
  return false;
}

// During a run a long text goes in slice by slice with a look at the queue between them:
// one insertion of 64 KiB takes 100 ms or more under Wine, longer than a click on Stop may
// wait. The lines go where the run put the caret, even when a click in the view moved it
// in the meantime, so that the listing stays in order.
bool TViewPort::ReplaceSelection(std::string_view text, std::string& error) {
  // A view going beside this one would hold every insertion up many times over.
  threads_.WaitGone([this] { indicators_.ProcessMessages(); });
  int64_t grown = 0;
  if (!running_) return InsertText(text, -1, grown, error);
  const int64_t start = runCaret_ >= 0 ? runCaret_ : rich_edit::Selection(view_).cpMin;
  int64_t inserted = 0;
  for (size_t begin = 0; begin < text.size();) {
    if (begin > 0) {
      indicators_.LookAtQueueNext();  // a slice takes longer than the interval between looks
      indicators_.ProcessMessages();
    }
    const size_t end = SliceEnd(text, begin, sliceSizer_.Bytes());
    const auto began = std::chrono::steady_clock::now();
    if (!InsertText(text.substr(begin, end - begin), start + inserted, grown, error)) {
      if (inserted > 0) ReplaceRange(view_, start, start + inserted, "");  // none of a refused text
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

}  // namespace ramilux
