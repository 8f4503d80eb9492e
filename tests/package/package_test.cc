// Ramilux as a Windows user gets it: the zip unpacked into C:\Program Files\Ramilux (a
// path with a space) of a fresh prefix by scripts/test-package; Ramilux.exe and arbo.exe
// started from there, away from the build tree.
#include <windows.h>
// The system's headers that need <windows.h>.
// clang-format off
#include <tlhelp32.h>
// clang-format on

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "ramilux_version.h"
#include "remote.h"
#include "temp_tree.h"

namespace ramilux::test {
namespace {

using ramilux::test::TTempTree;

const std::string kInstalled = "C:\\Program Files\\Ramilux\\";

std::string ExeDir() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir(path);
  return dir.substr(0, dir.find_last_of('\\') + 1);
}

std::string ReadFileBytes(const std::string& path) {
  std::string bytes;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  char block[4096];
  DWORD read = 0;
  while (ReadFile(file, block, sizeof block, &read, nullptr) && read > 0) bytes.append(block, read);
  CloseHandle(file);
  return bytes;
}

// Starts `command` in `folder`, standard output into `outputFile` when not empty; waits
// for its end and returns its exit code (-1 when it did not start or end).
int RunToEnd(std::string command, const std::string& folder, const std::string& outputFile) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE output = INVALID_HANDLE_VALUE;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  if (!outputFile.empty()) {
    output = CreateFileA(outputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                         CREATE_ALWAYS, 0, nullptr);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  }
  PROCESS_INFORMATION process{};
  int code = -1;
  if (CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, folder.c_str(),
                     &startup, &process)) {
    DWORD exit = 0;
    if (WaitForSingleObject(process.hProcess, 120000) == WAIT_OBJECT_0 &&
        GetExitCodeProcess(process.hProcess, &exit)) {
      code = static_cast<int>(exit);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  if (output != INVALID_HANDLE_VALUE) CloseHandle(output);
  return code;
}

// A small tree with known names, and its outline (folders only) in the window's bytes.
void MakeSampleTree(const TTempTree& tree) {
  tree.Folder("Documents");
  tree.Folder("Documents\\Anciens");
  tree.File("Documents\\plan.txt", "plan");
  tree.Folder("Photos");
}
const std::string kSampleOutline =
    "\xC3\xC4 Documents\r\n"
    "\xB3  \xC0\xC4 Anciens\r\n"
    "\xC0\xC4 Photos";

std::string WithoutTrailingBackslash(std::string path) {
  if (!path.empty() && path.back() == '\\') path.pop_back();
  return path;
}

TEST(Package, HoldsTheFiveFilesAUserNeedsAndNothingElse) {
  std::set<std::string> found;
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA((kInstalled + "*").c_str(), &entry);
  ASSERT_NE(search, INVALID_HANDLE_VALUE) << kInstalled << " is missing: run scripts/test-package";
  do {
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) found.insert(entry.cFileName);
  } while (FindNextFileA(search, &entry));
  FindClose(search);
  const std::set<std::string> expected = {"LISEZMOI.txt", "Ramilux-LICENSE.txt", "Ramilux.exe",
                                          "Ramilux.ttf", "arbo.exe"};
  EXPECT_EQ(found, expected);
}

TEST(Package, LisezmoiIsWindows1252WithCrLfAndNamesTheVersion) {
  const std::string text = ReadFileBytes(kInstalled + "LISEZMOI.txt");
  ASSERT_FALSE(text.empty());
  EXPECT_NE(text.find("\r\nVersion " RAMILUX_VERSION "\r\n"), std::string::npos);
  for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1)) {
    ASSERT_TRUE(at > 0 && text[at - 1] == '\r') << "a bare LF at byte " << at;
  }
  EXPECT_NE(text.find("\xE9"), std::string::npos) << "no e acute in Windows-1252";
  EXPECT_EQ(text.find("\xC3\xA9"), std::string::npos) << "UTF-8 left in the text";
}

struct TProgramFileCase {
  const char* File;
  std::vector<std::string> ManifestSays;
};

std::string Manifest(HMODULE module) {
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  if (!found) return "";
  const char* data = static_cast<const char*>(LockResource(LoadResource(module, found)));
  return data ? std::string(data, SizeofResource(module, found)) : "";
}

std::string ProductVersion(const std::string& path) {
  DWORD ignored = 0;
  std::vector<char> info(GetFileVersionInfoSizeA(path.c_str(), &ignored));
  if (info.empty() || !GetFileVersionInfoA(path.c_str(), 0, info.size(), info.data())) return "";
  char* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(info.data(), "\\StringFileInfo\\040C04E4\\ProductVersion",
                      reinterpret_cast<void**>(&value), &length)) {
    return "";
  }
  return value;
}

TEST(Package, ProgramsCarryTheProjectVersionAndTheirManifest) {
  const char* const kWindows10 = "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}";
  const TProgramFileCase cases[] = {
      {"Ramilux.exe",
       {kWindows10, "<dpiAware", "<longPathAware", "Microsoft.Windows.Common-Controls"}},
      {"arbo.exe", {kWindows10, "<longPathAware"}},
  };
  for (const TProgramFileCase& test : cases) {
    SCOPED_TRACE(test.File);
    const std::string path = kInstalled + test.File;
    EXPECT_EQ(ProductVersion(path), RAMILUX_VERSION);
    // The loader must accept the manifest: one it cannot parse stops the program at start.
    ACTCTXA context{};
    context.cbSize = sizeof context;
    context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    context.lpSource = path.c_str();
    context.lpResourceName = MAKEINTRESOURCEA(1);
    HANDLE activation = CreateActCtxA(&context);
    EXPECT_NE(activation, INVALID_HANDLE_VALUE) << "error " << GetLastError();
    if (activation != INVALID_HANDLE_VALUE) ReleaseActCtx(activation);
    HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    const std::string manifest = Manifest(module);
    FreeLibrary(module);
    for (const std::string& says : test.ManifestSays) {
      EXPECT_NE(manifest.find(says), std::string::npos) << says;
    }
  }
}

// Ramilux.exe started from the package folder, from another current folder (as from a
// shortcut), with `arguments`, closed at the end. Unless told to keep them, it starts
// without the settings of an earlier start, as on a first day.
class TInstalledRamilux {
 public:
  explicit TInstalledRamilux(const std::string& currentFolder, const std::string& arguments = "",
                             bool keepSettings = false) {
    if (!keepSettings) RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Ramilux");
    std::string command = "\"" + kInstalled + "Ramilux.exe\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       currentFolder.c_str(), &startup, &process_)) {
      window_ = WaitForProcessWindow(process_.dwProcessId, "TFrmMain", 30000);
    }
  }
  ~TInstalledRamilux() {
    if (!process_.hProcess) return;
    if (WaitForSingleObject(process_.hProcess, 0) != WAIT_OBJECT_0) {
      PostMessageA(window_, WM_CLOSE, 0, 0);
      if (WaitForSingleObject(process_.hProcess, 10000) != WAIT_OBJECT_0) {
        TerminateProcess(process_.hProcess, 1);
      }
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
  }
  HWND Window() const { return window_; }
  HWND View() const { return GetDlgItem(window_, 101); }
  DWORD ProcessId() const { return process_.dwProcessId; }

  std::string ViewText() const {
    std::string text(SendMessageA(View(), WM_GETTEXTLENGTH, 0, 0) + 1, '\0');
    text.resize(SendMessageA(View(), WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0])));
    return text;
  }

  std::string AboutText() const {
    PostMessageA(View(), WM_KEYDOWN, VK_F1, 0);
    HWND box = WaitForProcessWindow(process_.dwProcessId, "#32770", 10000);
    if (!box) return "";
    char text[512] = {};
    GetWindowTextA(GetDlgItem(box, 0xFFFF), text, sizeof text);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    return text;
  }

 private:
  PROCESS_INFORMATION process_{};
  HWND window_ = nullptr;
};

TEST(Package, RamiluxFindsItsFontBesideItAndLists) {
  TTempTree tree;
  MakeSampleTree(tree);
  TInstalledRamilux program(tree.Root());
  ASSERT_NE(program.Window(), nullptr);
  EXPECT_EQ(RemoteViewFace(program.View(), program.ProcessId()), "Ramilux");

  // The listing through the folder picker, as a user makes it.
  const std::string root = WithoutTrailingBackslash(tree.Root());
  ASSERT_EQ(RunToEnd("\"" + ExeDir() + "ramilux_drive.exe\" list \"" + root + "\"", ExeDir(), ""),
            0);
  const std::string text = program.ViewText();
  EXPECT_NE(text.find("Arborescence a partir de: " + root + "\\"), std::string::npos) << text;
  EXPECT_NE(text.find(kSampleOutline), std::string::npos) << text;
}

// The ways in from Windows, on the installed program: a folder on its command line, and
// the options it finds again at its next start.
TEST(Package, RamiluxListsAFolderGivenOnItsCommandLineAndKeepsItsOptions) {
  TTempTree tree;
  MakeSampleTree(tree);
  const std::string root = WithoutTrailingBackslash(tree.Root());
  {
    TInstalledRamilux program(tree.Root(), "\"" + root + "\"");
    ASSERT_NE(program.Window(), nullptr);
    std::string text;
    for (int waited = 0; waited < 20000 && text.find(kSampleOutline) == std::string::npos;
         waited += 100) {
      Sleep(100);
      text = program.ViewText();
    }
    EXPECT_NE(text.find("Arborescence a partir de: " + root + "\\"), std::string::npos) << text;
    EXPECT_NE(text.find(kSampleOutline), std::string::npos) << text;
    SendMessageA(GetDlgItem(GetDlgItem(program.Window(), 100), 120), BM_CLICK, 0, 0);
  }
  TInstalledRamilux again(tree.Root(), "", /*keepSettings=*/true);
  ASSERT_NE(again.Window(), nullptr);
  EXPECT_EQ(SendMessageA(GetDlgItem(GetDlgItem(again.Window(), 100), 120), BM_GETCHECK, 0, 0),
            BST_CHECKED);
  TInstalledRamilux fresh(tree.Root());
  ASSERT_NE(fresh.Window(), nullptr);
  EXPECT_EQ(SendMessageA(GetDlgItem(GetDlgItem(fresh.Window(), 100), 120), BM_GETCHECK, 0, 0),
            BST_UNCHECKED);
}

// The full path of a module loaded in a process, empty when it is not loaded.
std::string ModulePath(DWORD processId, const std::string& name) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId);
  if (snapshot == INVALID_HANDLE_VALUE) return "";
  MODULEENTRY32 module{};
  module.dwSize = sizeof module;
  std::string path;
  for (BOOL more = Module32First(snapshot, &module); more && path.empty();
       more = Module32Next(snapshot, &module)) {
    if (lstrcmpiA(module.szModule, name.c_str()) == 0) path = module.szExePath;
  }
  CloseHandle(snapshot);
  return path;
}

// The manifest takes effect: the window's controls come from the common controls 6,
// which live side by side in winsxs, not from the old ones in system32.
TEST(Package, RamiluxDrawsItsControlsWithTheCommonControls6) {
  TInstalledRamilux program(kInstalled);
  ASSERT_NE(program.Window(), nullptr);
  std::string path = ModulePath(program.ProcessId(), "comctl32.dll");
  CharLowerA(path.data());
  EXPECT_NE(path.find("\\winsxs\\"), std::string::npos) << path;
  EXPECT_NE(path.find("common-controls"), std::string::npos) << path;
}

TEST(Package, AboutNamesFilesThatAreBesideTheProgram) {
  TInstalledRamilux program(kInstalled);
  ASSERT_NE(program.Window(), nullptr);
  const std::string about = program.AboutText();
  int named = 0;
  for (size_t end = about.find(".txt"); end != std::string::npos;
       end = about.find(".txt", end + 1)) {
    const size_t start = about.find_last_of(" ,", end) + 1;
    const std::string name = about.substr(start, end + 4 - start);
    ++named;
    EXPECT_NE(GetFileAttributesA((kInstalled + name).c_str()), INVALID_FILE_ATTRIBUTES) << name;
  }
  EXPECT_GE(named, 2) << about;
}

TEST(Package, ArboBesideItListsATree) {
  TTempTree tree;
  MakeSampleTree(tree);
  const std::string output = tree.Path("..\\arbo-output.txt");
  const std::string root = WithoutTrailingBackslash(tree.Root());
  const int code = RunToEnd("\"" + kInstalled + "arbo.exe\" --encoding ansi \"" + root + "\"",
                            tree.Root(), output);
  const std::string text = ReadFileBytes(output);
  DeleteFileA(output.c_str());
  EXPECT_EQ(code, 0);
  EXPECT_NE(text.find("Arborescence a partir de: " + root + "\\"), std::string::npos) << text;
  EXPECT_NE(text.find(kSampleOutline + "\r\n"), std::string::npos) << text;
}

}  // namespace
}  // namespace ramilux::test
