// The error box of the save, print and font commands: the application title as caption, the
// error icon, one OK button.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace ramilux {

// The program's default title, made from the executable's file name: folder removed,
// cut at the first full stop, every character after the first in lower case
// ("C:\Prog\RAMILUX.EXE" gives "Ramilux").
std::string ApplicationTitle(std::string_view executablePath);
std::string ApplicationTitle();  // of the running program

// Shows `text` (ANSI bytes) modally over `owner` (may be null).
void ShowErrorBox(HWND owner, const std::string& text);

}  // namespace ramilux
