// Printing the listing of the view: the print button's handler and the page estimate.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

namespace ramilux {

// The print button: estimate, print dialog, then all / selection / page range.
// `owner` is the main window, `view` its rich edit view. `holdWaitCursor`, when given,
// is the window's own wait cursor, set for the length of the print: SetCursor alone
// lasts only until the mouse next moves over a window.
void SbnPrintClick(HWND owner, HWND view,
                   const std::function<void(bool wait)>& holdWaitCursor = {});

// What the page estimate needs to know: the display font's height in screen pixels
// (negative: a character height), the screen's and the printer's vertical pixels per
// inch, and the printable page height in printer pixels.
struct PrintGeometry {
  int fontHeight;
  int screenDpi;
  int printerDpi;
  int pageHeight;
};

// Printed lines a page holds at one font height per line; at least 1, even for a font
// taller than the page.
int LinesPerPage(const PrintGeometry& geometry);

// Pages that `lines` lines fill at `linesPerPage` a page: rounded up, 0 for no line.
int32_t PageCount(int64_t lines, int linesPerPage);

// The estimate on the current printer: a job is started and aborted to measure it.
// Throws PrintError (no printer, a printer without a device context, a print going on).
int GetLinesPerPage(HWND view);

// Pages of the view's lines (the empty line after the last line break not counted).
int32_t GetPageCount(HWND view, int linesPerPage);

}  // namespace ramilux
