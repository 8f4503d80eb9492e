// The error box of the save and font commands: the application title as caption, the
// error icon, one OK button.
#pragma once

#include <windows.h>

#include <string>

namespace ramilux {

// The program's default title, made from the executable's file name: folder removed,
// cut at the first full stop, every character after the first in lower case
// ("C:\Prog\RAMILUX.EXE" gives "Ramilux").
std::string ApplicationTitleFromPath(const std::string& exePath);
std::string ApplicationTitle();

// Shows `text` (ANSI bytes) modally over `owner` (may be null).
void ShowErrorBox(HWND owner, const std::string& text);

}  // namespace ramilux
