// The screen's pixel density, read from the screen's device context.
#include "screen_dpi.h"

#include <windows.h>

namespace ramilux {

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

}  // namespace ramilux
