// The arithmetic of printed pages, free of the printer: the display font's height at
// the printer's density, rows a sheet holds, sheets a print fills. Portable, so that its
// tables run natively as well as under Wine.
#pragma once

#include <cstdint>

namespace ramilux {

// Rounds to the nearest integer, ties to the even neighbour (the processor's mode).
int RoundHalfEven(double value);

// The display font's height (screen pixels, negative for a character height) on a
// device of `deviceDpi`: whole points first, then device pixels; unchanged when the
// two densities are equal. Never 0, which a LOGFONT would read as "any size".
int DeviceFontHeight(int screenHeight, int screenDpi, int deviceDpi);

// Rows a sheet holds at `pitch` device pixels a row: at least 1, even for a font taller
// than the page.
int RowsPerSheet(int pageHeight, int pitch);

// Sheets that `rows` rows fill at `rowsPerSheet` a sheet: rounded up, 0 for no row.
int32_t PageCount(int64_t rows, int rowsPerSheet);

// What the page estimate needs to know: the display font's height in screen pixels
// (negative: a character height), the screen's and the printer's vertical pixels per
// inch, and the printable page height in printer pixels.
struct TPrintGeometry {
  int FontHeight;
  int ScreenDpi;
  int PrinterDpi;
  int PageHeight;
};

// Printed lines a page holds at one font height per line (the rows of a sheet without
// wrapped lines); at least 1, even for a font taller than the page.
int LinesPerPage(const TPrintGeometry& geometry);

}  // namespace ramilux
