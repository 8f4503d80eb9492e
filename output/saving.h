// Saving the view's listing as RTF or plain text through a save dialog.
#pragma once

#include <windows.h>

namespace ramilux {

void PopMnuSaveRtfClick(HWND view);
void PopMnuSaveTxtClick(HWND view);

}  // namespace ramilux
