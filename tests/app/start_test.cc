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
    // Every start here is a first start: nothing kept from the one before.
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Ramilux");
    // A whole command line (one that names a Ramilux.exe) is started as it is.
    std::string command = argument.find("Ramilux.exe\"") != std::string::npos
                              ? argument
                              : "\"" + folder_ + "Ramilux.exe\" " + argument;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    started_ = CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              folder_.c_str(), &startup, &process_);
    // The switches act and quit without a window.
    if (started_ && !argument.starts_with("/")) {
      window_ = WaitForProcessWindow(process_.dwProcessId, "TFrmMain", 20000);
    }
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

  // The program's path, for a command line that names it itself.
  std::string Exe() const { return folder_ + "Ramilux.exe"; }
  // The view's text once it holds `line`, or what it holds after `timeoutMs`.
  std::string ViewTextHolding(const std::string& line, int timeoutMs = 20000) const {
    std::string text;
    for (int waited = 0; waited < timeoutMs; waited += 100) {
      HWND view = GetDlgItem(window_, 101);
      text.assign(size_t(SendMessageA(view, WM_GETTEXTLENGTH, 0, 0)) + 1, '\0');
      text.resize(size_t(SendMessageA(view, WM_GETTEXT, text.size(), LPARAM(text.data()))));
      if (text.find(line) != std::string::npos) break;
      Sleep(100);
    }
    return text;
  }

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

// A folder for the start tests: one sub-folder inside.
std::string FolderToList() {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string folder =
      std::string(temp) + "ramilux-liste-" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(folder.c_str(), nullptr);
  CreateDirectoryA((folder + "\\dedans").c_str(), nullptr);
  return folder;
}

TEST(ProgramStart, AFolderOnTheCommandLineIsListedAtOnceBesideTheFont) {
  const std::string folder = FolderToList();
  struct TRow {
    std::string Argument;
    const char* Face;
  };
  const TRow rows[] = {
      {"\"" + folder + "\"", "Ramilux"},
      {"Autre \"" + folder + "\"", "Autre"},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.Argument);
    TProgram program(row.Argument, {"Ramilux.ttf", "Autre.ttf"});
    ASSERT_NE(program.Window(), nullptr);
    const std::string text = program.ViewTextHolding("\xC0\xC4 dedans");
    EXPECT_NE(text.find("Arborescence a partir de: " + folder + "\\"), std::string::npos) << text;
    EXPECT_NE(text.find("\xC0\xC4 dedans"), std::string::npos);
    EXPECT_EQ(program.ViewFace(), row.Face);
  }
}

TEST(ProgramStart, AMissingFolderGivesABoxAndNoListing) {
  TProgram program("\"C:\\pas\\de\\dossier\"", {"Ramilux.ttf"});
  ASSERT_NE(program.Window(), nullptr);
  HWND box = WaitForProcessWindow(program.ProcessId(), "#32770", 10000);
  ASSERT_NE(box, nullptr);
  char text[512] = {};
  GetWindowTextA(GetDlgItem(box, 0xFFFF), text, sizeof text);
  EXPECT_STREQ(text, "Le dossier \"C:\\pas\\de\\dossier\" n'existe pas");
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(program.ViewTextHolding("dedans", 500), "");
}

// What Explorer does with the entry: the registered command, %1 replaced by the folder.
TEST(ProgramStart, TheRegisteredExplorerCommandListsTheFolder) {
  const std::string folder = FolderToList();
  TProgram install("/installer-menu", {});
  ASSERT_EQ(WaitForSingleObject(install.Process(), 20000), WAIT_OBJECT_0);
  DWORD code = 1;
  GetExitCodeProcess(install.Process(), &code);
  EXPECT_EQ(code, 0u);
  char value[1024] = {};
  DWORD size = sizeof value;
  ASSERT_EQ(RegGetValueA(HKEY_CURRENT_USER, "Software\\Classes\\Directory\\shell\\Ramilux\\command",
                         nullptr, RRF_RT_REG_SZ, nullptr, value, &size),
            ERROR_SUCCESS);
  std::string command = value;
  ASSERT_EQ(command, "\"" + install.Exe() + "\" \"%1\"");
  command.replace(command.find("%1"), 2, folder);
  {
    TProgram fromExplorer(command, {});
    ASSERT_NE(fromExplorer.Window(), nullptr);
    EXPECT_NE(fromExplorer.ViewTextHolding("\xC0\xC4 dedans").find("\xC0\xC4 dedans"),
              std::string::npos);
  }
  TProgram remove("/retirer-menu", {});
  ASSERT_EQ(WaitForSingleObject(remove.Process(), 20000), WAIT_OBJECT_0);
  HKEY key = nullptr;
  EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Classes\\Directory\\shell\\Ramilux", 0,
                          KEY_READ, &key),
            ERROR_SUCCESS);
}

}  // namespace
}  // namespace ramilux::test
