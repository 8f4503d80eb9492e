// Test harness for the save and font commands: dialog driver, files, Unix programs.
#include "save_harness.h"

#include <gtest/gtest.h>

#include "files.h"

namespace ramilux::test {
namespace {

// The dialogs that take input: one that has opened a box of its own is disabled.
std::vector<HWND> OpenDialogs(DWORD thread) {
  std::vector<HWND> found = VisibleDialogs(thread);
  std::erase_if(found, [](HWND dialog) { return !IsWindowEnabled(dialog); });
  return found;
}

}  // namespace

std::vector<std::string> SampleListing() {
  return {
      "Arborescence a partir de: C:\\Racine\\",
      " ",
      "\xC3\xC4\xC4\xC4 Archives",
      "\xB3   \xC3\xC4\xC4\xC4 \xE9t\xE9 2024.txt",
      "\xB3   \xC0\xC4\xC4\xC4 Caf\xE9",
      "\xC0\xC4\xC4\xC4 Photos",
  };
}

DialogScript::DialogScript(std::function<void(DWORD)> script)
    : script_(std::move(script)), uiThread_(GetCurrentThreadId()) {
  thread_ = CreateThread(nullptr, 0, &DialogScript::Run, this, 0, nullptr);
}

DialogScript::~DialogScript() {
  Finish();
}

DWORD WINAPI DialogScript::Run(void* self) {
  auto* script = static_cast<DialogScript*>(self);
  script->script_(script->uiThread_);
  // Whatever the script left open would keep the command under test waiting forever.
  for (int waited = 0; waited < 5000 && !OpenDialogs(script->uiThread_).empty(); waited += 50) {
    Sleep(50);
  }
  for (int round = 0; round < 20; ++round) {
    std::vector<HWND> open = OpenDialogs(script->uiThread_);
    if (open.empty()) break;
    script->leftOpen_ = true;
    for (HWND dialog : open) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    Sleep(200);
  }
  return 0;
}

void DialogScript::Finish() {
  if (!thread_) return;
  // Pump while waiting: the script may still send messages to the UI thread's windows.
  while (MsgWaitForMultipleObjects(1, &thread_, FALSE, INFINITE, QS_ALLINPUT) ==
         WAIT_OBJECT_0 + 1) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  CloseHandle(thread_);
  thread_ = nullptr;
  if (leftOpen_) ADD_FAILURE() << "a dialog was left open and had to be cancelled";
}

HWND WaitForDialog(DWORD thread, HWND other, int timeoutMs) {
  for (int waited = 0; waited < timeoutMs; waited += 20) {
    for (HWND dialog : OpenDialogs(thread)) {
      if (dialog == other) continue;
      WaitUntilPumping(dialog);
      return dialog;
    }
    Sleep(20);
  }
  return nullptr;
}

bool WaitClosed(HWND dialog, int timeoutMs) {
  for (int waited = 0; waited < timeoutMs; waited += 20) {
    if (!IsWindow(dialog) || !IsWindowVisible(dialog)) return true;
    Sleep(20);
  }
  return false;
}

std::string ItemText(HWND dialog, int id) {
  return WindowText(GetDlgItem(dialog, id));
}

void ChooseFileName(HWND saveDialog, const std::string& name) {
  SendMessageA(GetDlgItem(saveDialog, 0x47C), WM_SETTEXT, 0,
               reinterpret_cast<LPARAM>(name.c_str()));
  PressButton(saveDialog, IDOK);
}

std::string Utf8FromAnsi(const std::string& ansi) {
  int length = MultiByteToWideChar(1252, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(1252, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), length);
  int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, utf8.data(), size, nullptr, nullptr);
  return utf8;
}

}  // namespace ramilux::test
