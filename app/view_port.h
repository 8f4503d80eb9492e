// The view of the window as the run writes it: the rich edit, where a run's next lines
// go, and a long insertion cut into slices with a look at the queue between them.
#pragma once

#include <windows.h>

#include <functional>

#include "control_state.h"
#include "ports.h"
#include "run_indicators_port.h"
#include "view_slices.h"
#include "view_thread.h"

namespace ramilux {

class TViewPort final : public TListingView {
 public:
  // `renew` puts a fresh, empty view, with the same font and text limit, in the place of
  // the current one (disposed of among `threads`) and returns it; `indicators` takes input
  // between slices and shows the folder label when the window is repainted.
  TViewPort(TRunIndicatorsPort& indicators, TViewThreads& threads, std::function<HWND()> renew);
  // Takes the window and its view from the built form.
  void Attach(const TControlOf& control);
  // Between these two calls long insertions go in slices, at the run's own caret.
  void BeginRun();
  void EndRun();

  void ClearView() override;
  int64_t ViewTextLength() override;
  int64_t LineIndex(int64_t line) override;
  int64_t ViewLineCount() override;
  bool ReplaceSelection(std::string_view text, std::string& error) override;
  void SetCaret(int64_t index) override;
  void ScrollCaret() override;
  void SetViewRedraw(bool on) override;
  void RepaintNow() override;
  void FocusView() override;

 private:
  // One insertion at `at`, or in place of the selection; `grown` is what the text grew by.
  bool InsertText(std::string_view text, int64_t at, int64_t& grown, std::string& error);

  TRunIndicatorsPort& indicators_;
  TViewThreads& threads_;
  std::function<HWND()> renew_;
  HWND window_ = nullptr;
  HWND view_ = nullptr;
  bool running_ = false;
  int64_t runCaret_ = -1;   // where a run's next lines go; -1: at the caret
  TSliceSizer sliceSizer_;  // the size of a run's insertions into the view
};

}  // namespace ramilux
