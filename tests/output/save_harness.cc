// Test harness for the save and font commands: dialog driver, files, Unix programs.
#include "save_harness.h"

#include <gtest/gtest.h>

#include <atomic>

#include "files.h"

namespace ramilux::test {
namespace {

// The dialogs that take input: one that has opened a box of its own is disabled.
std::vector<HWND> OpenDialogs(DWORD thread) {
  std::vector<HWND> found = VisibleDialogs(thread);
  std::erase_if(found, [](HWND dialog) { return !IsWindowEnabled(dialog); });
  return found;
}

std::string ShellQuoted(const std::string& arg) {
  return "'" + arg + "'";
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

TempFolder::TempFolder() {
  static std::atomic<int> counter{0};
  char base[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, base);
  path_ = std::string(base) + "ramilux_save_" + std::to_string(GetCurrentProcessId()) + "_" +
          std::to_string(counter++) + "\\";
  CreateDirectoryA(path_.c_str(), nullptr);
}

TempFolder::~TempFolder() {
  RemoveTree(path_);
}

std::optional<std::string> ReadFileBytes(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string bytes;
  char chunk[65536];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
  CloseHandle(file);
  return bytes;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA((folder + "*").c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    std::string name = data.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(search, &data));
  FindClose(search);
  return names;
}

std::optional<std::string> UnixPath(const std::string& windowsPath) {
  using Convert = char*(CDECL*)(const WCHAR*);
  auto convert = reinterpret_cast<Convert>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (!convert) return std::nullopt;
  WCHAR wide[MAX_PATH] = {};
  MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, MAX_PATH);
  char* unix = convert(wide);
  if (!unix) return std::nullopt;
  std::string result(unix);
  HeapFree(GetProcessHeap(), 0, unix);
  return result;
}

// Wine starts an ELF file natively but hands back no process handle to wait on, so the
// program runs under /bin/sh, which renames its output into place once it is complete.
std::optional<std::string> RunUnixProgram(const std::string& program,
                                          const std::vector<std::string>& args) {
  TempFolder folder;
  std::optional<std::string> unixFolder = UnixPath(folder.path());
  if (!unixFolder) return std::nullopt;
  std::string shellCommand = ShellQuoted(program);
  for (const std::string& arg : args) shellCommand += " " + ShellQuoted(arg);
  shellCommand += " > " + ShellQuoted(*unixFolder + "/out.part") + " 2>&1; mv " +
                  ShellQuoted(*unixFolder + "/out.part") + " " + ShellQuoted(*unixFolder + "/out");
  std::string commandLine = "\"Z:\\bin\\sh\" -c \"" + shellCommand + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return std::nullopt;
  }
  if (process.hThread) CloseHandle(process.hThread);
  if (process.hProcess) CloseHandle(process.hProcess);
  for (int waited = 0; waited < 30000; waited += 50) {
    if (std::optional<std::string> output = ReadFileBytes(folder.path() + "out")) return output;
    Sleep(50);
  }
  return std::nullopt;
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
