// (being written)
#include "printing.h"

namespace ramilux {

void SbnPrintClick(HWND, HWND) {}

}  // namespace ramilux
