// Program start: the main window on the platform's file search and text services, and
// the message loop until the window is closed.
#include <windows.h>

#include <cstdlib>

#include "frm_main.h"
#include "platform.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
  ramilux::TStartOptions options;
  if (__argc > 1) options.FontArgument = __argv[1];
  options.QuitOnDestroy = true;
  auto files = ramilux::NewPlatformFileSystem();
  auto text = ramilux::NewPlatformTextServices();
  ramilux::TFrmMain form(options, *files, *text);
  if (!form.Create()) return 1;
  form.Show(showCommand);
  return form.RunMessageLoop();
}
