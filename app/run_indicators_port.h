// What a run shows in the window and how it lets input in: the wait cursor, the tool
// buttons, the folder label, the progress bar and the looks at the message queue. The
// label, the bar and the looks are paced during a run, each a round trip to the window
// server under Wine.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>

#include "control_state.h"
#include "ports.h"

namespace ramilux {

class TRunIndicatorsPort final : public TRunIndicators {
 public:
  // Takes the controls it drives from the built form.
  void Attach(const TControlOf& control);
  // Between these two calls the label and the looks at the queue are paced; at the end
  // the label shows the last folder named.
  void BeginRun();
  void EndRun();
  bool WaitCursorShown() const { return waitCursor_; }
  // The next ProcessMessages looks at the queue however soon it comes.
  void LookAtQueueNext() { lastQueueLook_ = 0; }
  // Puts a folder name that waits for its interval in the label now.
  void ShowPendingLabel() { FlushDirectoryLabel(true); }

  void SetDirectoryLabel(const std::string& text) override;
  void ProcessMessages() override;
  void ShowErrorBox(const std::string& title, const std::string& message) override;
  void SetWaitCursor(bool wait) override;
  void EnableButton(TButton button, bool enabled) override;
  void ShowButton(TButton button, bool shown) override;
  void SetProgressMax(int64_t max) override;
  void ShowProgress(bool shown) override;
  void SetProgressPosition(int64_t position) override;
  bool AnswersDuringSort() const override { return true; }

 private:
  HWND ButtonHandle(TButton button) const;
  // Puts a pending folder name in the label: now, or when its interval has passed.
  void FlushDirectoryLabel(bool now);

  HWND label_ = nullptr;
  HWND progressBar_ = nullptr;
  HWND buttons_[5] = {};  // by TButton
  bool running_ = false;
  std::atomic<bool> waitCursor_ = false;  // read by the view's thread too
  int64_t progressMax_ = 0;
  int64_t progressPixels_ = -1;  // filled length of the progress bar last drawn
  int progressWidth_ = 0;
  ULONGLONG progressShown_ = 0;   // GetTickCount64 when the bar last moved; 0: move it now
  ULONGLONG lastQueueLook_ = 0;   // GetTickCount64 of a run's last look at the queue; 0: look now
  ULONGLONG lastLabelShown_ = 0;  // GetTickCount64 when a run last set the folder label
  std::string pendingLabel_;      // a folder name not yet put in the label
  bool labelPending_ = false;     // pendingLabel_ waits to be shown
};

}  // namespace ramilux
