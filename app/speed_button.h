// The tool bar's speed buttons: a flat button showing a 16x16 glyph, which never takes
// the keyboard focus and reports a click to its parent as BN_CLICKED. BM_CLICK clicks it.
#pragma once

#include <windows.h>

namespace ramilux {

inline constexpr char kSpeedButtonClass[] = "TSpeedButton";

void RegisterSpeedButtonClass(HINSTANCE instance);

// The creation parameter of a speed button is the resource id of its glyph bitmap
// (cast to a pointer); the bottom-left pixel's colour is the glyph's transparent colour.

// Draws a 16-colour glyph with its transparent colour left out, embossed when disabled.
void DrawGlyph(HDC dc, HBITMAP glyph, int x, int y, bool enabled);

}  // namespace ramilux
