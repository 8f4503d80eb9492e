// The speed button window class (see speed_button.h).
#include "speed_button.h"

#include "handles.h"

namespace ramilux {
namespace {

struct TSpeedButtonState {
  HBITMAP Glyph = nullptr;
  bool Hot = false;      // the mouse is over the button
  bool Pressed = false;  // the left button went down on it and is still held
};

TSpeedButtonState* StateOf(HWND window) {
  return reinterpret_cast<TSpeedButtonState*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

// Paints `brush` where the glyph is not transparent.
void FillGlyphShape(HDC dc, HDC mask, int x, int y, HBRUSH brush) {
  HGDIOBJ old = SelectObject(dc, brush);
  constexpr DWORD kPaintWhereSourceIsBlack = 0x00B8074A;
  BitBlt(dc, x, y, 16, 16, mask, 0, 0, kPaintWhereSourceIsBlack);
  SelectObject(dc, old);
}

void Paint(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  RECT client;
  GetClientRect(window, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  TSpeedButtonState* state = StateOf(window);
  bool enabled = IsWindowEnabled(window);
  int offset = 0;
  if (enabled && state->Pressed && state->Hot) {
    DrawEdge(dc, &client, BDR_SUNKENOUTER, BF_RECT);
    offset = 1;
  } else if (enabled && state->Hot) {
    DrawEdge(dc, &client, BDR_RAISEDINNER, BF_RECT);
  }
  int x = (client.right - 16) / 2 + offset;
  int y = (client.bottom - 16) / 2 + offset;
  if (state->Glyph) DrawGlyph(dc, state->Glyph, x, y, enabled);
  EndPaint(window, &paint);
}

void Click(HWND window) {
  if (!IsWindowEnabled(window)) return;
  SendMessageA(GetParent(window), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window), BN_CLICKED),
               reinterpret_cast<LPARAM>(window));
}

bool ContainsCursor(HWND window, LPARAM lParam) {
  RECT client;
  GetClientRect(window, &client);
  POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  return PtInRect(&client, point);
}

void SetHot(HWND window, bool hot) {
  TSpeedButtonState* state = StateOf(window);
  if (state->Hot == hot) return;
  state->Hot = hot;
  if (hot) {
    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window, 0};
    TrackMouseEvent(&track);
  }
  InvalidateRect(window, nullptr, TRUE);
}

LRESULT OnMouse(HWND window, UINT message, LPARAM lParam) {
  TSpeedButtonState* state = StateOf(window);
  switch (message) {
    case WM_LBUTTONDOWN:
      SetCapture(window);
      state->Pressed = true;
      SetHot(window, true);
      InvalidateRect(window, nullptr, TRUE);
      break;
    case WM_MOUSEMOVE:
      SetHot(window, ContainsCursor(window, lParam) || GetCapture() != window);
      break;
    case WM_LBUTTONUP: {
      bool click = state->Pressed && ContainsCursor(window, lParam);
      state->Pressed = false;
      if (GetCapture() == window) ReleaseCapture();
      InvalidateRect(window, nullptr, TRUE);
      if (click) Click(window);
      break;
    }
  }
  return 0;
}

LRESULT CALLBACK SpeedButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE: {
      auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
      auto* state = new TSpeedButtonState;
      auto glyphId = static_cast<WORD>(reinterpret_cast<UINT_PTR>(create->lpCreateParams));
      if (glyphId != 0) {
        state->Glyph = static_cast<HBITMAP>(
            LoadImageA(create->hInstance, MAKEINTRESOURCEA(glyphId), IMAGE_BITMAP, 0, 0, 0));
      }
      SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
      break;
    }
    case WM_NCDESTROY: {
      TSpeedButtonState* state = StateOf(window);
      if (state && state->Glyph) DeleteObject(state->Glyph);
      delete state;
      SetWindowLongPtrA(window, GWLP_USERDATA, 0);
      break;
    }
    case WM_PAINT:
      Paint(window);
      return 0;
    case WM_ENABLE:
      StateOf(window)->Pressed = false;
      InvalidateRect(window, nullptr, TRUE);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
      return OnMouse(window, message == WM_LBUTTONDBLCLK ? WM_LBUTTONDOWN : message, lParam);
    case WM_MOUSELEAVE:
      SetHot(window, false);
      return 0;
    case WM_CAPTURECHANGED:
      StateOf(window)->Pressed = false;
      InvalidateRect(window, nullptr, TRUE);
      return 0;
    case BM_CLICK:
      Click(window);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

void DrawGlyph(HDC dc, HBITMAP glyph, int x, int y, bool enabled) {
  TMemoryDc image(dc, glyph);
  COLORREF transparent = GetPixel(image.Dc(), 0, 15);
  if (enabled) {
    TransparentBlt(dc, x, y, 16, 16, image.Dc(), 0, 0, 16, 16, transparent);
    return;
  }
  // The disabled look: the glyph's shape in the highlight colour, with the shadow colour
  // over it one pixel up and left.
  TGdiObject maskBitmap(CreateBitmap(16, 16, 1, 1, nullptr));
  TMemoryDc mask(dc, static_cast<HBITMAP>(maskBitmap.Get()));
  SetBkColor(image.Dc(), transparent);
  BitBlt(mask.Dc(), 0, 0, 16, 16, image.Dc(), 0, 0, SRCCOPY);
  COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
  COLORREF oldBack = SetBkColor(dc, RGB(255, 255, 255));
  FillGlyphShape(dc, mask.Dc(), x + 1, y + 1, GetSysColorBrush(COLOR_3DHILIGHT));
  FillGlyphShape(dc, mask.Dc(), x, y, GetSysColorBrush(COLOR_3DSHADOW));
  SetTextColor(dc, oldText);
  SetBkColor(dc, oldBack);
}

void RegisterSpeedButtonClass(HINSTANCE instance) {
  WNDCLASSA windowClass{};
  if (GetClassInfoA(instance, kSpeedButtonClass, &windowClass)) return;
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = SpeedButtonProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.lpszClassName = kSpeedButtonClass;
  RegisterClassA(&windowClass);
}

}  // namespace ramilux
