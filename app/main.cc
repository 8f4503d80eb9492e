// Program start: the main window on the platform's file search and text services, and
// the message loop until the window is closed. The switches for Explorer's entry act and
// quit without a window.
#include <windows.h>

#include <cstdlib>

#include "command_line.h"
#include "error_box.h"
#include "explorer_menu.h"
#include "frm_main.h"
#include "platform.h"

namespace {

int ChangeExplorerMenu(bool install) {
  if (install ? ramilux::InstallExplorerMenu(ramilux::ProgramPath())
              : ramilux::RemoveExplorerMenu()) {
    return 0;
  }
  ramilux::ShowErrorBox(nullptr, ramilux::kExplorerMenuFailed);
  return 1;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
  const ramilux::TCommandLine line = ramilux::ParseCommandLine(ramilux::ProcessArguments());
  switch (line.Action) {
    case ramilux::TStartAction::InstallMenu:
      return ChangeExplorerMenu(true);
    case ramilux::TStartAction::RemoveMenu:
      return ChangeExplorerMenu(false);
    case ramilux::TStartAction::ForgetSettings:
      ramilux::ForgetSettings();
      break;
    case ramilux::TStartAction::OpenWindow:
      break;
  }
  ramilux::TStartOptions options;
  // The font keeps coming from the first argument as the program has always read it.
  if (__argc > 1) options.FontArgument = __argv[1];
  options.QuitOnDestroy = true;
  options.KeepSettings = true;
  auto files = ramilux::NewPlatformFileSystem();
  auto text = ramilux::NewPlatformTextServices();
  ramilux::TFrmMain form(options, *files, *text);
  if (!form.Create()) return 1;
  form.Show(showCommand);
  if (!line.Folder.empty()) form.ListFolder(line.Folder);
  return form.RunMessageLoop();
}
