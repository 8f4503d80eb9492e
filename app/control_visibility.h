// Whether a control of the form is shown, read from its style so that it holds before
// the window itself is shown.
#pragma once

#include <windows.h>

namespace ramilux {

inline bool IsShown(HWND control) {
  return (GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE) != 0;
}

}  // namespace ramilux
