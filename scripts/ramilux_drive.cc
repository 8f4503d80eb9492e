// Drives a running Ramilux.exe from outside, for the screenshot script:
//   ramilux_drive options          check every file option so that all of them show
//   ramilux_drive list FOLDER      choose FOLDER in the folder picker and wait for the run
//   ramilux_drive about            press F1 and wait for the About box
// Exits 0 once the window is in the state asked for.
#include <windows.h>
// The system's headers that need <windows.h>.
// clang-format off
#include <commctrl.h>
#include <shlobj.h>
// clang-format on

#include <cstdio>
#include <string>

#include "remote.h"
#include "resource.h"

namespace {

using ramilux::test::TRemoteBuffer;
using ramilux::test::WaitForProcessWindow;

struct TTarget {
  HWND Form = nullptr;
  HWND Panel = nullptr;
  DWORD ProcessId = 0;
  HWND Get(int id) const { return GetDlgItem(id < 110 ? Form : Panel, id); }
};

bool FindTarget(TTarget& target) {
  target.Form = FindWindowA("TFrmMain", nullptr);
  if (!target.Form) return false;
  target.Panel = GetDlgItem(target.Form, IDC_PNL_BOUTONS);
  GetWindowThreadProcessId(target.Form, &target.ProcessId);
  return true;
}

void CheckAllOptions(const TTarget& target) {
  for (int id : {IDC_CBX_FILE, IDC_CBX_SIZE, IDC_CBX_DATE_TIME, IDC_CBX_MASK, IDC_CBX_MIN_SIZE}) {
    if (SendMessageA(target.Get(id), BM_GETCHECK, 0, 0) != BST_CHECKED) {
      SendMessageA(target.Get(id), BM_CLICK, 0, 0);
    }
  }
}

bool RunIsOver(const TTarget& target) {
  HWND refresh = target.Get(IDC_SBN_REFRESH);
  return IsWindowVisible(refresh) && IsWindowEnabled(refresh) &&
         !IsWindowVisible(target.Get(IDC_SBN_STOP));
}

std::string LabelText(const TTarget& target) {
  char text[MAX_PATH] = {};
  GetWindowTextA(target.Get(IDC_LBL_DIRECTORY_NAME), text, sizeof text);
  return text;
}

// One folder choice: the picker is given the folder as its selection, then OK.
bool ChooseFolder(const TTarget& target, const std::string& folder) {
  PostMessageA(target.Get(IDC_SBN_SELECT_DIRECTORY), BM_CLICK, 0, 0);
  HWND picker = WaitForProcessWindow(target.ProcessId, "#32770", 10000);
  if (!picker) return false;
  Sleep(300);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                               target.ProcessId);
  {
    TRemoteBuffer path(process, MAX_PATH);
    path.Write(folder.c_str(), folder.size() + 1);
    SendMessageA(picker, BFFM_SETSELECTIONA, TRUE, path.Address());
  }
  CloseHandle(process);
  Sleep(200);
  PostMessageA(picker, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  for (int waited = 0; waited < 60000; waited += 100) {
    Sleep(100);
    if (!IsWindow(picker) && RunIsOver(target)) return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  std::string command = argc > 1 ? argv[1] : "";
  TTarget target;
  for (int waited = 0; !FindTarget(target) && waited < 20000; waited += 100) Sleep(100);
  if (!target.Form) {
    std::fprintf(stderr, "ramilux_drive: no Ramilux window\n");
    return 1;
  }
  if (command == "options") {
    CheckAllOptions(target);
    return 0;
  }
  if (command == "about") {
    PostMessageA(target.Get(IDC_RICH_EDIT), WM_KEYDOWN, VK_F1, 0);
    return WaitForProcessWindow(target.ProcessId, "#32770", 10000) ? 0 : 1;
  }
  if (command == "list" && argc > 2) {
    std::string folder = argv[2];
    // The very first picker of a new prefix may ignore the preselection: once more.
    for (int attempt = 0; attempt < 3; ++attempt) {
      if (ChooseFolder(target, folder) && LabelText(target) == folder + "\\") return 0;
    }
    std::fprintf(stderr, "ramilux_drive: the listing of %s did not happen\n", folder.c_str());
    return 1;
  }
  std::fprintf(stderr, "usage: ramilux_drive options | list FOLDER | about\n");
  return 2;
}
