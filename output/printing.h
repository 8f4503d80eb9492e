// Printing the listing of the view: the print button's handler and the page estimate.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "outcome.h"
#include "page_arithmetic.h"
#include "page_renderer.h"

namespace ramilux {

// The print button: estimate, print dialog, then all / selection / page range.
// `owner` is the main window, `view` its rich edit view. `holdWaitCursor`, when given,
// is the window's own wait cursor, set for the length of the print: SetCursor alone
// lasts only until the mouse next moves over a window.
void SbnPrintClick(HWND owner, HWND view,
                   const std::function<void(bool wait)>& holdWaitCursor = {});

// The print dialog's flags: the selection offered (and chosen) or not, the page range
// offered or not; never the print-to-file box nor a warning about the default printer.
DWORD PrintDialogFlags(bool selection, bool pageNums);

// Measured on the current printer, in a job started and aborted for it. Fails when there
// is no printer, when the printer gives no device context, or while a print goes on.
TResult<int> GetLinesPerPage(HWND view);
// The sheets a print of the whole view fills: the pages the print dialog numbers.
TResult<int> GetPageCount(HWND view);

}  // namespace ramilux
