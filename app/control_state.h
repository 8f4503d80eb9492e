// The state of the form's controls as the handlers and the window's ports read it:
// shown, checked, text; and how a port finds the controls it drives once the form is
// built.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace ramilux {

// A control of the built form by its IDC_... id (IDC_FORM: the window itself).
using TControlOf = std::function<HWND(int id)>;

// Read from the style, so that it holds before the window itself is shown.
inline bool IsShown(HWND control) {
  return (GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE) != 0;
}

inline bool IsChecked(HWND button) {
  return SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

inline std::string TextOf(HWND control) {
  std::string text(static_cast<size_t>(GetWindowTextLengthA(control)) + 1, '\0');
  text.resize(static_cast<size_t>(GetWindowTextA(control, text.data(), text.size())));
  return text;
}

}  // namespace ramilux
