// The container windows of the form: the raised panel PnlBoutons and the framed radio
// group RgpSort. Both pass their children's notifications on to their own parent, so
// that every control's click reaches the main window.
#pragma once

#include <windows.h>

namespace ramilux {

inline constexpr char kPanelClass[] = "TPanel";

// Registers the class once per process.
void RegisterPanelClass(HINSTANCE instance);

// Creation parameter: a panel with a raised bevel, or a radio group's frame with its
// caption (the window text).
enum class TPanelStyle { RaisedBevel, GroupFrame };

}  // namespace ramilux
