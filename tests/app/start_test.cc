// Ramilux.exe starts under the real window system, shows its main window with the French
// caption, and ends cleanly when that window is closed.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

std::string ExeDir() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir(path);
  return dir.substr(0, dir.find_last_of('\\') + 1);
}

HWND WaitForWindow(DWORD processId, int timeoutMs) {
  struct Search {
    DWORD pid;
    HWND found;
  } search{processId, nullptr};
  for (int waited = 0; waited < timeoutMs && !search.found; waited += 50) {
    EnumWindows(
        [](HWND w, LPARAM lp) -> BOOL {
          auto* s = reinterpret_cast<Search*>(lp);
          DWORD pid = 0;
          GetWindowThreadProcessId(w, &pid);
          char cls[64] = {};
          GetClassNameA(w, cls, sizeof cls);
          if (pid == s->pid && std::string(cls) == "TFrmMain" && IsWindowVisible(w)) {
            s->found = w;
            return FALSE;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (!search.found) Sleep(50);
  }
  return search.found;
}

TEST(ProgramStart, ShowsTheMainWindowAndClosesCleanly) {
  std::string command = "\"" + ExeDir() + "Ramilux.exe\"";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &si, &pi));
  HWND window = WaitForWindow(pi.dwProcessId, 20000);
  ASSERT_NE(window, nullptr);
  char caption[256] = {};
  GetWindowTextA(window, caption, sizeof caption);
  EXPECT_STREQ(caption, "Listeur d'arborescence");
  EXPECT_TRUE(IsWindowVisible(window));

  PostMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForSingleObject(pi.hProcess, 20000), WAIT_OBJECT_0);
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  EXPECT_EQ(code, 0u);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
}

}  // namespace
