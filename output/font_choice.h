// The font button: the font dialog with its live Apply button, on the view's font.
#pragma once

#include <windows.h>

#include <string>

#include "display_font.h"
#include "outcome.h"

namespace ramilux {

// Opens the font dialog on the view's current font (screen and printer fonts, so a
// default printer must exist). Apply shows a choice on the view at once and keeps the
// dialog open; OK keeps the final choice; Cancel keeps what Apply already showed.
void SbnFontClick(HWND owner, HWND view);

// The Apply handler: puts the open dialog's current choice on the view, or shows why it
// cannot; the dialog stays open either way.
void DlgFontApply(HWND dialog, HWND view, COLORREF color, HDC printer);

// Puts `font` on the view. A face found neither among the screen's nor the printer's
// fonts is refused.
TOutcome ApplyDisplayFont(HWND view, const TDisplayFont& font, HDC printer);

}  // namespace ramilux
