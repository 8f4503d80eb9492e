// (being written)
#include "font_choice.h"

namespace ramilux {

void SbnFontClick(HWND, HWND) {}

}  // namespace ramilux
