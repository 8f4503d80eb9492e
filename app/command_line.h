// What Ramilux.exe is asked at start: a display font (the first argument, as always), a
// folder to list at once, or one of the switches that act and quit.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace ramilux {

enum class TStartAction {
  OpenWindow,     // the window, listing `Folder` at once when one is given
  InstallMenu,    // /installer-menu: "Lister avec Ramilux" in Explorer's menus
  RemoveMenu,     // /retirer-menu: the entry taken away again
  ForgetSettings  // /reinitialiser: the saved settings forgotten, then the window
};

struct TCommandLine {
  TStartAction Action = TStartAction::OpenWindow;
  // An argument that holds a '\' or a ':' names a folder: a font name never does (such
  // a name is refused as a font). Wide, so that any folder name comes through.
  std::wstring Folder;
};

// `arguments` without the program's own name. The font stays the first argument, read
// as before; a folder may be the first argument or follow the font.
TCommandLine ParseCommandLine(const std::vector<std::wstring>& arguments);

// The arguments of the process's wide command line, its own name left out.
std::vector<std::wstring> ProcessArguments();

}  // namespace ramilux
