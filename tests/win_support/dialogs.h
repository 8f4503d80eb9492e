// Reading and answering, from a test's second thread, the modal dialogs and message boxes
// that the UI thread under test opens.
#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace ramilux::test {

// The visible dialogs (class #32770) of `thread`.
std::vector<HWND> VisibleDialogs(DWORD thread);

// Waits (5 s at most) until the dialog's modal loop answers a message: before that its
// controls may not be filled in yet.
void WaitUntilPumping(HWND dialog);

// Presses a dialog's button. Posted, so that a box the press opens cannot block the
// thread that presses.
void PressButton(HWND dialog, int id);

std::string WindowText(HWND window);  // the bytes of the ANSI code page

// A message box's text (its static 0xFFFF), in the ANSI code page.
std::string MessageBoxText(HWND box);

// Closes a dialog as its Cancel button or close box would.
void CancelDialog(HWND dialog);

// Watches, from a second thread, the dialogs that the constructing thread opens. Each new
// one goes to `onOpen` once its modal loop answers; one still open `stuckAfter` later is
// given to `onStuck` and cancelled, so that a hang becomes a failed test, not a stuck
// suite. Callbacks run on the watching thread.
class DialogWatcher {
 public:
  using Callback = std::function<void(HWND dialog)>;
  DialogWatcher(Callback onOpen, Callback onStuck, std::chrono::milliseconds stuckAfter);
  ~DialogWatcher();  // stops watching
  DialogWatcher(const DialogWatcher&) = delete;
  DialogWatcher& operator=(const DialogWatcher&) = delete;

 private:
  void Watch();
  Callback onOpen_, onStuck_;
  std::chrono::milliseconds stuckAfter_;
  DWORD uiThread_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace ramilux::test
