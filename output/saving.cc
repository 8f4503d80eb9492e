// (being written)
#include "saving.h"

namespace ramilux {

void PopMnuSaveRtfClick(HWND) {}
void PopMnuSaveTxtClick(HWND) {}

}  // namespace ramilux
