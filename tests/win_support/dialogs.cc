// Reading and answering the UI thread's dialogs from a test's second thread.
#include "dialogs.h"

#include <map>

namespace ramilux::test {

std::vector<HWND> VisibleDialogs(DWORD thread) {
  std::vector<HWND> found;
  EnumThreadWindows(
      thread,
      [](HWND window, LPARAM list) -> BOOL {
        char name[16] = {};
        GetClassNameA(window, name, sizeof name);
        if (lstrcmpA(name, "#32770") == 0 && IsWindowVisible(window)) {
          reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

void WaitUntilPumping(HWND dialog) {
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_BLOCK, 5000, &ignored);
}

void PressButton(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

std::string WindowText(HWND window) {
  char text[1024] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::string MessageBoxText(HWND box) {
  return WindowText(GetDlgItem(box, 0xFFFF));
}

void CancelDialog(HWND dialog) {
  PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  PostMessageA(dialog, WM_CLOSE, 0, 0);
}

DialogWatcher::DialogWatcher(Callback onOpen, Callback onStuck,
                             std::chrono::milliseconds stuckAfter)
    : onOpen_(std::move(onOpen)),
      onStuck_(std::move(onStuck)),
      stuckAfter_(stuckAfter),
      uiThread_(GetCurrentThreadId()) {
  thread_ = std::thread([this] { Watch(); });
}

DialogWatcher::~DialogWatcher() {
  stop_ = true;
  thread_.join();
}

void DialogWatcher::Watch() {
  using Clock = std::chrono::steady_clock;
  std::map<HWND, Clock::time_point> open;  // each dialog seen, since when
  while (!stop_) {
    for (HWND dialog : VisibleDialogs(uiThread_)) {
      auto seen = open.find(dialog);
      if (seen == open.end()) {
        WaitUntilPumping(dialog);
        open[dialog] = Clock::now();
        onOpen_(dialog);
      } else if (Clock::now() - seen->second > stuckAfter_) {
        onStuck_(dialog);
        CancelDialog(dialog);
        seen->second = Clock::now();
      }
    }
    std::erase_if(open, [](const auto& entry) { return !IsWindow(entry.first); });
    Sleep(10);
  }
}

}  // namespace ramilux::test
