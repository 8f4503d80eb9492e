// The screen's pixel density, which the form's 96-dpi layout and a LOGFONT's height
// both refer to.
#pragma once

namespace ramilux {

// Pixels per inch of the screen, vertically; 96 when the screen does not say.
int ScreenDpi();

}  // namespace ramilux
