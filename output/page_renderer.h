// Prints the text of a rich edit control on a printer, page by page. The system's
// control can lay out printer pages itself, but not every implementation does (one
// answers that request with nothing printed), so the listing is laid out here: one
// text line per printed line in the control's font. Swappable for the control's own
// printing behind this one call.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "outcome.h"
#include "page_arithmetic.h"

namespace ramilux {

struct TPrintRequest {
  HWND Control;       // the rich edit whose text is printed
  HDC Printer;        // a printer device context, with one copy set in the driver
  int Copies = 1;     // the sheets are sent this many times in the one job
  std::string Title;  // the job's document name
  // The sheets printed, numbered from 1 as in a print of the whole text; 0 and 0 for
  // all of them.
  int FirstSheet = 0, LastSheet = 0;
};

// One job: the text from the top-left corner of the printable area, lines wider than
// the page wrapped, a new sheet when the next row would not fit. An empty text (or a
// range past the last sheet) prints one blank page. Lets pending messages through
// after every page. Fails when the job can't be started or a page fails; cancelled when
// the program quits meanwhile.
TOutcome PrintRichEditText(const TPrintRequest& request);

// Sheets a print of the whole text of `control` fills on `printer` (0 for no text).
int CountSheets(HWND control, HDC printer);

// One printed row: a piece of a text line, where it starts across the page, and the
// advance of each of its characters as measured, which is what it is drawn with.
struct TPrintedRow {
  std::string_view Text;
  int X = 0;
  std::vector<INT> Advances;
};

// The rows a line takes at `width` device pixels in the font selected into `dc`. A row
// ends after the last blank that fits, or at the width when the row has none; the
// continuation rows start under the first character after the line's connectors and
// blanks. Every row holds at least one character, so nothing is lost.
std::vector<TPrintedRow> WrapLine(HDC dc, std::string_view line, int width);

}  // namespace ramilux
