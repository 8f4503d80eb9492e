// The thread's one message pump. The main loop, a run's look at pending input and the
// print's abort procedure all take messages through it, so that each gives the main
// window its key preview (F1, Tab) before a message is dispatched.
#pragma once

#include <windows.h>

#include <functional>
#include <utility>

namespace ramilux {

// A window's look at a message taken from the queue: true when it handled the message,
// which is then not dispatched.
using TMessageFilter = std::function<bool(MSG&)>;

// Makes `filter` the thread's while it lives; the one it replaced comes back after.
class TMessageFilterScope {
 public:
  explicit TMessageFilterScope(TMessageFilter filter)
      : previous_(std::exchange(Current(), std::move(filter))) {}
  ~TMessageFilterScope() { Current() = std::move(previous_); }
  TMessageFilterScope(const TMessageFilterScope&) = delete;
  TMessageFilterScope& operator=(const TMessageFilterScope&) = delete;

  static TMessageFilter& Current() {
    thread_local TMessageFilter filter;
    return filter;
  }

 private:
  TMessageFilter previous_;
};

// Handles one message as the thread's filter, then the system, would.
inline void HandleMessage(MSG& message) {
  TMessageFilter& filter = TMessageFilterScope::Current();
  if (filter && filter(message)) return;
  TranslateMessage(&message);
  DispatchMessageA(&message);
}

// Everything waiting in the queue. False when the thread was told to quit: the quit
// message is put back for the thread's own loop. `found` tells whether anything came.
inline bool PumpPendingMessages(bool* found = nullptr) {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (found) *found = true;
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return false;
    }
    HandleMessage(message);
  }
  return true;
}

// The loop until the thread is told to quit; the quit message's code.
inline int RunMessageLoop() {
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) HandleMessage(message);
  return static_cast<int>(message.wParam);
}

}  // namespace ramilux
