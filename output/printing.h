// Printing the listing of the view: the print button's handler and the page estimate.
#pragma once

#include <windows.h>

#include <cstdint>

namespace ramilux {

// The print button: estimate, print dialog, then all / selection / page range.
// `owner` is the main window, `view` its rich edit view.
void SbnPrintClick(HWND owner, HWND view);

}  // namespace ramilux
