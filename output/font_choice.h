// The font button: the font dialog with its live Apply button, on the view's font.
#pragma once

#include <windows.h>

namespace ramilux {

void SbnFontClick(HWND owner, HWND view);

}  // namespace ramilux
