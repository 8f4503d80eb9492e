// The display font chosen at start: the private font file beside the executable (named
// by the first argument, "Ramilux" by default) registered for the window's lifetime with
// a WM_FONTCHANGE broadcast each way, or "Terminal" with nothing registered; the view's
// face and character set read back from the control.
#include <gtest/gtest.h>
#include <windows.h>

#include "app_test_support.h"
#include "resource.h"
#include "rich_edit.h"

namespace ramilux::test {
namespace {

std::string ExeDir() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir(path);
  return dir.substr(0, dir.find_last_of('\\') + 1);
}

// A hidden top-level window that counts the font-change broadcasts.
class TFontChangeCounter {
 public:
  TFontChangeCounter() {
    WNDCLASSA counterClass{};
    counterClass.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam,
                                  LPARAM lParam) -> LRESULT {
      if (message == WM_FONTCHANGE) ++count_;
      return DefWindowProcA(window, message, wParam, lParam);
    };
    counterClass.hInstance = GetModuleHandleA(nullptr);
    counterClass.lpszClassName = "RamiluxFontChangeCounter";
    RegisterClassA(&counterClass);
    window_ = CreateWindowExA(0, "RamiluxFontChangeCounter", "", WS_POPUP, 0, 0, 1, 1, nullptr,
                              nullptr, GetModuleHandleA(nullptr), nullptr);
    count_ = 0;
  }
  ~TFontChangeCounter() { DestroyWindow(window_); }
  int Count() const { return count_; }

 private:
  static inline int count_ = 0;
  HWND window_;
};

bool FaceIsInstalled(const std::string& face) {
  LOGFONTA wanted{};
  wanted.lfCharSet = DEFAULT_CHARSET;
  lstrcpynA(wanted.lfFaceName, face.c_str(), LF_FACESIZE);
  bool found = false;
  HDC screen = GetDC(nullptr);
  EnumFontFamiliesExA(
      screen, &wanted,
      [](const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM flag) -> int {
        *reinterpret_cast<bool*>(flag) = true;
        return 0;
      },
      reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, screen);
  return found;
}

struct TFontCase {
  const char* Name;
  const char* Argument;
  const char* FileBeside;    // copy of Ramilux.ttf under this name, "" for none
  const char* FolderBeside;  // a folder of this name, "" for none
  const char* Face;          // the view's face after start
  bool Registered;
};

const TFontCase kFontCases[] = {
    {"no argument, no font file", "", "", "", "Terminal", false},
    {"no argument, Ramilux.ttf beside", "", "Ramilux.ttf", "", "Ramilux", true},
    {"argument naming a file beside", "Autre", "Autre.ttf", "", "Autre", true},
    {"argument of an installed face without a file", "Tahoma", "Ramilux.ttf", "", "Terminal",
     false},
    {"argument already ending in .ttf", "Ramilux.ttf", "Ramilux.ttf", "", "Terminal", false},
    {"a folder named like the font", "", "", "Ramilux.ttf", "Terminal", false},
    // Only a plain name is taken; any other argument counts as none.
    {"argument naming a file in a folder below", "sous\\Autre", "sous\\Autre.ttf", "sous",
     "Terminal", false},
    {"argument going up and back", "sous\\..\\Ramilux", "Ramilux.ttf", "", "Ramilux", true},
    {"argument with a drive", "C:Ramilux", "Ramilux.ttf", "", "Ramilux", true},
};

TEST(DisplayFont, IsThePrivateFontBesideTheExecutableOrTerminal) {
  std::string source = ExeDir() + "Ramilux.ttf";
  ASSERT_NE(GetFileAttributesA(source.c_str()), INVALID_FILE_ATTRIBUTES) << source;
  for (const TFontCase& test : kFontCases) {
    SCOPED_TRACE(test.Name);
    TTempTree folder;
    if (*test.FolderBeside) folder.AddFolder(test.FolderBeside);
    std::string file;
    if (*test.FileBeside) {
      file = folder.Root() + test.FileBeside;
      CopyFileA(source.c_str(), file.c_str(), FALSE);
    }
    TFontChangeCounter broadcasts;
    {
      TFormHarness harness({test.Argument, folder.Root() + "Ramilux.exe"});
      CHARFORMATA format = rich_edit::CharFormat(harness.Get(IDC_RICH_EDIT));
      EXPECT_STREQ(format.szFaceName, test.Face);
      EXPECT_EQ(format.bCharSet, ANSI_CHARSET);
      EXPECT_EQ(format.yHeight, 180);  // 12 pixels at 96 dpi
      EXPECT_EQ(harness.Form().FontName(), test.Face);
      EXPECT_EQ(harness.Form().FontFile(),
                test.Registered ? folder.Root() + test.Face + ".ttf" : "");
      EXPECT_EQ(broadcasts.Count(), test.Registered ? 1 : 0);
      if (test.Registered && std::string(test.Face) == "Ramilux") {
        EXPECT_TRUE(FaceIsInstalled("Ramilux"));
      }
    }
    EXPECT_EQ(broadcasts.Count(), test.Registered ? 2 : 0);
    // Unregistered at the end: nothing is left to remove, and the file can go.
    if (!file.empty()) {
      EXPECT_FALSE(RemoveFontResourceA(file.c_str()));
    }
  }
}

// A top-level window of a thread that has stopped answering, as a hung program's.
class THungWindow {
 public:
  THungWindow() {
    ready_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    release_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
    WaitForSingleObject(ready_, 10000);
  }
  ~THungWindow() {
    Release();
    for (HANDLE handle : {thread_, ready_, release_}) CloseHandle(handle);
  }
  // Lets it answer again; true when that came before it gave up waiting by itself.
  bool Release() {
    SetEvent(release_);
    WaitForSingleObject(thread_, 40000);
    return releasedWhileHung_;
  }

 private:
  static DWORD WINAPI Run(void* self) {
    auto* hung = static_cast<THungWindow*>(self);
    HWND window = CreateWindowExA(0, "STATIC", "hung", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    SetEvent(hung->ready_);
    hung->releasedWhileHung_ = WaitForSingleObject(hung->release_, 30000) == WAIT_OBJECT_0;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    DestroyWindow(window);
    return 0;
  }
  HANDLE ready_, release_, thread_;
  bool releasedWhileHung_ = false;
};

TEST(DisplayFont, AHungWindowHoldsNeitherTheStartNorTheEnd) {
  std::string source = ExeDir() + "Ramilux.ttf";
  TTempTree folder;
  ASSERT_TRUE(CopyFileA(source.c_str(), (folder.Root() + "Ramilux.ttf").c_str(), FALSE));
  THungWindow hung;
  {
    TFormHarness harness({"", folder.Root() + "Ramilux.exe"});
    EXPECT_EQ(harness.Form().FontName(), "Ramilux");
  }
  EXPECT_TRUE(hung.Release()) << "the broadcasts waited for the hung window";
}

}  // namespace
}  // namespace ramilux::test
