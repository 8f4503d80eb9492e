// Test harness for the save and font commands: a helper thread that drives the modal
// dialogs the UI thread opens, temporary folders, and Unix programs started through Wine.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "dialogs.h"
#include "files.h"
#include "view_window.h"

namespace ramilux::test {

// The face the save and font tests' view starts with: one Wine finds among the system's
// fonts, so that the font dialog can open on it.
inline constexpr char kSampleFace[] = "DejaVu Sans Mono";

// The listing used by the save tests: connectors 0xC3 0xC0 0xB3 0xC4 and "é" (0xE9).
std::vector<std::string> SampleListing();

// Runs `script` on a helper thread while the UI thread sits in the modal dialogs of the
// command under test. The script gets the UI thread's id. If dialogs are still open once
// the script has ended, they are cancelled (and the test fails) so that a broken script
// cannot hang the suite.
class DialogScript {
 public:
  explicit DialogScript(std::function<void(DWORD uiThread)> script);
  ~DialogScript();
  DialogScript(const DialogScript&) = delete;
  DialogScript& operator=(const DialogScript&) = delete;

  // Waits, pumping the UI thread's messages, until the script has ended.
  void Finish();

 private:
  static DWORD WINAPI Run(void* self);
  std::function<void(DWORD)> script_;
  DWORD uiThread_;
  HANDLE thread_ = nullptr;
  bool leftOpen_ = false;
};

// The visible, enabled dialog (class #32770) of `thread` other than `other`, once its
// message loop answers; null after `timeoutMs`.
HWND WaitForDialog(DWORD thread, HWND other = nullptr, int timeoutMs = 10000);
bool WaitClosed(HWND dialog, int timeoutMs = 10000);
std::string ItemText(HWND dialog, int id);

// Types `name` into the explorer save dialog's file name box and presses OK.
void ChooseFileName(HWND saveDialog, const std::string& name);

std::string Utf8FromAnsi(const std::string& ansi);

}  // namespace ramilux::test
