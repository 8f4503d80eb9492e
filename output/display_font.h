// The view's display font as the font dialog sees it: a LOGFONT at the screen's pixel
// density plus a colour, converted from and to the rich edit's character format.
#pragma once

#include <richedit.h>
#include <windows.h>

#include "screen_dpi.h"

namespace ramilux {

struct TDisplayFont {
  LOGFONTA Font;
  COLORREF Color;
};

// The character format's size is in twips (1/1440 inch); a LOGFONT's height is the
// negated character height in pixels. The view gets whole points, as a point size the
// dialog lists.
TDisplayFont FontFromCharFormat(const CHARFORMATA& format, int dpi);
CHARFORMATA CharFormatFromFont(const TDisplayFont& font, int dpi);

TDisplayFont ReadDisplayFont(HWND view);

// Puts face, height, style, character set and colour on the whole view (and as the
// format of text added later); the text itself does not change.
bool WriteDisplayFont(HWND view, const TDisplayFont& font);

}  // namespace ramilux
