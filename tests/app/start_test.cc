// Ramilux.exe itself, started as a child process from a folder of its own: the main
// window with its French caption, the display font it chose from its argument and the
// files beside it, F1 in its own message loop, and a clean end when the window closes.
#include <windows.h>
// The system's headers that need <windows.h>.
// clang-format off
#include <richedit.h>
// clang-format on

#include <gtest/gtest.h>

#include <string>

#include "ramilux_version.h"
#include "remote.h"

namespace ramilux::test {
namespace {

std::string ExeDir() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir(path);
  return dir.substr(0, dir.find_last_of('\\') + 1);
}

// Ramilux.exe copied into a folder of its own (with or without font files beside it),
// started, and closed at the end.
class TProgram {
 public:
  TProgram(const std::string& argument, const std::vector<std::string>& fontsBeside) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    static int counter = 0;
    folder_ = std::string(temp) + "ramilux-start-" + std::to_string(GetCurrentProcessId()) + "-" +
              std::to_string(++counter) + "\\";
    CreateDirectoryA(folder_.c_str(), nullptr);
    CopyFileA((ExeDir() + "Ramilux.exe").c_str(), (folder_ + "Ramilux.exe").c_str(), FALSE);
    for (const std::string& font : fontsBeside) {
      CopyFileA((ExeDir() + "Ramilux.ttf").c_str(), (folder_ + font).c_str(), FALSE);
    }
    std::string command = "\"" + folder_ + "Ramilux.exe\" " + argument;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    started_ = CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              folder_.c_str(), &startup, &process_);
    if (started_) window_ = WaitForProcessWindow(process_.dwProcessId, "TFrmMain", 20000);
  }
  ~TProgram() {
    if (started_) {
      if (WaitForSingleObject(process_.hProcess, 0) != WAIT_OBJECT_0) {
        PostMessageA(window_, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(process_.hProcess, 10000) != WAIT_OBJECT_0) {
          TerminateProcess(process_.hProcess, 1);
        }
      }
      CloseHandle(process_.hThread);
      CloseHandle(process_.hProcess);
    }
    for (const char* name : {"Ramilux.exe", "Ramilux.ttf", "Autre.ttf"}) {
      DeleteFileA((folder_ + name).c_str());
    }
    RemoveDirectoryA(folder_.c_str());
  }
  HWND Window() const { return window_; }
  HANDLE Process() const { return process_.hProcess; }
  DWORD ProcessId() const { return process_.dwProcessId; }

  std::string ViewFace() const {
    return RemoteViewFace(GetDlgItem(window_, 101), process_.dwProcessId);
  }

 private:
  std::string folder_;
  PROCESS_INFORMATION process_{};
  bool started_ = false;
  HWND window_ = nullptr;
};

TEST(ProgramStart, ShowsTheMainWindowAndClosesCleanly) {
  TProgram program("", {});
  ASSERT_NE(program.Window(), nullptr);
  char caption[256] = {};
  GetWindowTextA(program.Window(), caption, sizeof caption);
  EXPECT_STREQ(caption, "Listeur d'arborescence");
  PostMessageA(program.Window(), WM_CLOSE, 0, 0);
  ASSERT_EQ(WaitForSingleObject(program.Process(), 20000), WAIT_OBJECT_0);
  DWORD code = 1;
  GetExitCodeProcess(program.Process(), &code);
  EXPECT_EQ(code, 0u);
}

struct TStartCase {
  const char* Name;
  const char* Argument;
  std::vector<std::string> FontsBeside;
  const char* Face;
};

TEST(ProgramStart, ChoosesTheDisplayFontFromItsArgumentAndTheFilesBesideIt) {
  const TStartCase cases[] = {
      {"nothing beside", "", {}, "Terminal"},
      {"Ramilux.ttf beside", "", {"Ramilux.ttf"}, "Ramilux"},
      {"an empty argument", "\"\"", {"Ramilux.ttf"}, "Ramilux"},
      {"an argument naming a file beside", "Autre", {"Ramilux.ttf", "Autre.ttf"}, "Autre"},
      {"an argument without a file", "Tahoma", {"Ramilux.ttf"}, "Terminal"},
  };
  for (const TStartCase& test : cases) {
    SCOPED_TRACE(test.Name);
    TProgram program(test.Argument, test.FontsBeside);
    ASSERT_NE(program.Window(), nullptr);
    EXPECT_EQ(program.ViewFace(), test.Face);
  }
}

TEST(ProgramStart, F1InTheProgramsLoopOpensAboutTitledAfterTheExecutable) {
  TProgram program("", {});
  ASSERT_NE(program.Window(), nullptr);
  PostMessageA(GetDlgItem(program.Window(), 101), WM_KEYDOWN, VK_F1, 0);
  HWND box = WaitForProcessWindow(program.ProcessId(), "#32770", 10000);
  ASSERT_NE(box, nullptr);
  char caption[64] = {}, text[512] = {};
  GetWindowTextA(box, caption, sizeof caption);
  GetWindowTextA(GetDlgItem(box, 0xFFFF), text, sizeof text);
  EXPECT_STREQ(caption, "Ramilux");
  const std::string opening = "        Ramilux\r\n        Version " RAMILUX_VERSION "\r\n";
  EXPECT_EQ(std::string(text).substr(0, opening.size()), opening);
  PostMessageA(box, WM_COMMAND, IDOK, 0);
}

}  // namespace
}  // namespace ramilux::test
