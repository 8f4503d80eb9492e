// Conversions between the view's character format and the font dialog's LOGFONT.
#include "display_font.h"

#include <cstdlib>

#include "rich_edit.h"

namespace ramilux {

TDisplayFont FontFromCharFormat(const CHARFORMATA& format, int dpi) {
  TDisplayFont result{};
  LOGFONTA& font = result.Font;
  font.lfHeight = -MulDiv(format.yHeight, dpi, 1440);
  font.lfWeight = (format.dwEffects & CFE_BOLD) ? FW_BOLD : FW_NORMAL;
  font.lfItalic = (format.dwEffects & CFE_ITALIC) ? TRUE : FALSE;
  font.lfUnderline = (format.dwEffects & CFE_UNDERLINE) ? TRUE : FALSE;
  font.lfStrikeOut = (format.dwEffects & CFE_STRIKEOUT) ? TRUE : FALSE;
  font.lfCharSet = format.bCharSet;
  font.lfPitchAndFamily = format.bPitchAndFamily;
  lstrcpynA(font.lfFaceName, format.szFaceName, LF_FACESIZE);
  result.Color =
      (format.dwEffects & CFE_AUTOCOLOR) ? GetSysColor(COLOR_WINDOWTEXT) : format.crTextColor;
  return result;
}

CHARFORMATA CharFormatFromFont(const TDisplayFont& display, int dpi) {
  const LOGFONTA& font = display.Font;
  CHARFORMATA format{};
  format.cbSize = sizeof format;
  format.dwMask =
      CFM_FACE | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_CHARSET | CFM_COLOR;
  if (font.lfHeight != 0) {
    format.dwMask |= CFM_SIZE;
    format.yHeight = 20 * MulDiv(std::abs(font.lfHeight), 72, dpi);
  }
  if (font.lfWeight > FW_NORMAL) format.dwEffects |= CFE_BOLD;
  if (font.lfItalic) format.dwEffects |= CFE_ITALIC;
  if (font.lfUnderline) format.dwEffects |= CFE_UNDERLINE;
  if (font.lfStrikeOut) format.dwEffects |= CFE_STRIKEOUT;
  format.crTextColor = display.Color;
  format.bCharSet = font.lfCharSet;
  format.bPitchAndFamily = font.lfPitchAndFamily;
  lstrcpynA(format.szFaceName, font.lfFaceName, LF_FACESIZE);
  return format;
}

TDisplayFont ReadDisplayFont(HWND view) {
  return FontFromCharFormat(rich_edit::CharFormat(view), ScreenDpi());
}

bool WriteDisplayFont(HWND view, const TDisplayFont& font) {
  return rich_edit::SetCharFormat(view, CharFormatFromFont(font, ScreenDpi()));
}

}  // namespace ramilux
