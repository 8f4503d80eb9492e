// The panel and radio-group container windows (see panel.h).
#include "panel.h"

namespace ramilux {
namespace {

constexpr int kFontSlot = 0;   // HFONT given by WM_SETFONT
constexpr int kStyleSlot = 1;  // TPanelStyle

void PaintGroupFrame(HWND window, HDC dc) {
  RECT client;
  GetClientRect(window, &client);
  auto font = reinterpret_cast<HFONT>(GetWindowLongPtrA(window, kFontSlot * sizeof(LONG_PTR)));
  HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
  TEXTMETRICA metrics;
  GetTextMetricsA(dc, &metrics);
  RECT frame = client;
  frame.top = metrics.tmHeight / 2;
  DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);

  char caption[64] = {};
  int length = GetWindowTextA(window, caption, sizeof caption);
  if (length > 0) {
    SIZE extent;
    GetTextExtentPoint32A(dc, caption, length, &extent);
    RECT text{8, 0, 8 + extent.cx + 4, metrics.tmHeight};
    FillRect(dc, &text, GetSysColorBrush(COLOR_BTNFACE));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    TextOutA(dc, text.left + 2, 0, caption, length);
  }
  SelectObject(dc, old);
}

void Paint(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  if (GetWindowLongPtrA(window, kStyleSlot * sizeof(LONG_PTR)) ==
      static_cast<LONG_PTR>(TPanelStyle::GroupFrame)) {
    PaintGroupFrame(window, dc);
  } else {
    RECT client;
    GetClientRect(window, &client);
    DrawEdge(dc, &client, BDR_RAISEDINNER, BF_RECT);
  }
  EndPaint(window, &paint);
}

LRESULT CALLBACK PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE: {
      auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
      SetWindowLongPtrA(window, kStyleSlot * sizeof(LONG_PTR),
                        reinterpret_cast<LONG_PTR>(create->lpCreateParams));
      break;
    }
    case WM_SETFONT:
      SetWindowLongPtrA(window, kFontSlot * sizeof(LONG_PTR), static_cast<LONG_PTR>(wParam));
      if (LOWORD(lParam)) InvalidateRect(window, nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return GetWindowLongPtrA(window, kFontSlot * sizeof(LONG_PTR));
    case WM_PAINT:
      Paint(window);
      return 0;
    case WM_SETTEXT: {
      LRESULT result = DefWindowProcA(window, message, wParam, lParam);
      InvalidateRect(window, nullptr, TRUE);
      return result;
    }
    case WM_COMMAND:
    case WM_NOTIFY:
      return SendMessageA(GetParent(window), message, wParam, lParam);
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

void RegisterPanelClass(HINSTANCE instance) {
  WNDCLASSA windowClass{};
  if (GetClassInfoA(instance, kPanelClass, &windowClass)) return;
  windowClass.lpfnWndProc = PanelProc;
  windowClass.cbWndExtra = 2 * sizeof(LONG_PTR);
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kPanelClass;
  RegisterClassA(&windowClass);
}

}  // namespace ramilux
