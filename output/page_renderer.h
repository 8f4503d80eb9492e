// Prints the text of a rich edit control on a printer, page by page. The system's
// control can lay out printer pages itself, but not every implementation does (one
// answers that request with nothing printed), so the listing is laid out here: one
// text line per printed line in the control's font. Swappable for the control's own
// printing behind this one call.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace ramilux {

struct PrintRequest {
  HWND control;       // the rich edit whose whole text is printed
  HDC printer;        // a printer device context, with one copy set in the driver
  int copies = 1;     // the document is sent this many times in the one job
  std::string title;  // the job's document name
};

// One job: the text from the top-left corner of the printable area, lines wider than
// the page wrapped at its width, a new page when the next line would not fit. An empty
// text prints one blank page. Lets pending messages through after every page. Throws
// PrintError when the job can't be started or a page fails.
void PrintRichEditText(const PrintRequest& request);

// The rows a line takes at `width` device pixels in the font selected into `dc`: as
// many bytes per row as fit, at least one, so that nothing is cut off.
std::vector<std::string_view> WrapLine(HDC dc, std::string_view line, int width);

}  // namespace ramilux
