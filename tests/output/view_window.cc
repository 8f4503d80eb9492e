// The output suites' window with its rich edit view.
#include "view_window.h"

#include <richedit.h>

#include "rich_edit.h"

namespace ramilux::test {
namespace {

constexpr UINT_PTR kPrintingTimer = 1;
constexpr char kWindowClass[] = "RamiluxOutputTestWindow";

void RegisterWindowClass(WNDPROC proc) {
  static const bool registered = [proc] {
    LoadLibraryA("riched32.dll");
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = proc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kWindowClass;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    return RegisterClassA(&windowClass) != 0;
  }();
  (void)registered;
}

HWND CreateView(HWND owner) {
  HWND view = CreateWindowExA(WS_EX_CLIENTEDGE, "RICHEDIT", "",
                              WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE |
                                  ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_READONLY | ES_NOHIDESEL,
                              0, 0, 620, 440, owner, reinterpret_cast<HMENU>(kViewId),
                              GetModuleHandleA(nullptr), nullptr);
  rich_edit::SetTextLimit(view, 0x7FFFFFFD);
  return view;
}

}  // namespace

ViewWindow::ViewWindow(const char* face) {
  RegisterWindowClass(Proc);
  HINSTANCE instance = GetModuleHandleA(nullptr);
  owner_ =
      CreateWindowExA(0, kWindowClass, "Listeur d'arborescence", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                      0, 0, 640, 480, nullptr, nullptr, instance, nullptr);
  SetWindowLongPtrA(owner_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  view_ = CreateView(owner_);
  SetFont(face, 9);
  SetTimer(owner_, kPrintingTimer, 10, nullptr);
}

ViewWindow::~ViewWindow() {
  DestroyWindow(owner_);
}

void ViewWindow::SetFont(const char* face, int points, BYTE charset) {
  CHARFORMATA format{};
  format.dwMask = CFM_FACE | CFM_SIZE | CFM_CHARSET | CFM_BOLD | CFM_ITALIC | CFM_COLOR;
  format.dwEffects = CFE_AUTOCOLOR;
  format.yHeight = points * 20;
  format.bCharSet = charset;
  lstrcpynA(format.szFaceName, face, LF_FACESIZE);
  rich_edit::SetCharFormat(view_, format);
}

bool ViewWindow::UseRamiluxFont() {
  static const bool registered = [] {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string font(path);
    font = font.substr(0, font.find_last_of('\\') + 1) + "Ramilux.ttf";
    return GetFileAttributesA(font.c_str()) != INVALID_FILE_ATTRIBUTES &&
           AddFontResourceA(font.c_str()) > 0;
  }();
  if (registered) SetFont("Ramilux", 9);
  return registered;
}

void ViewWindow::SetLines(const std::vector<std::string>& lines) {
  rich_edit::Clear(view_);
  rich_edit::ReplaceSelection(view_, JoinLines(lines));
  rich_edit::SetCaret(view_, 0);
}

void ViewWindow::AddLines(const std::vector<std::string>& lines) {
  rich_edit::SetCaret(view_, rich_edit::TextLength(view_));
  rich_edit::ReplaceSelection(view_, JoinLines(lines));
}

void ViewWindow::SelectLines(int first, int last) {
  rich_edit::Select(view_, rich_edit::LineIndex(view_, first), rich_edit::LineIndex(view_, last));
}

void ViewWindow::ReplaceView(const std::vector<std::string>& lines, bool keepOne) {
  HWND old = view_;
  if (keepOne) {
    CHARFORMATA format = rich_edit::CharFormat(old);
    view_ = CreateView(owner_);
    rich_edit::SetCharFormat(view_, format);
    SetLines(lines);
  }
  DestroyWindow(old);
}

LRESULT CALLBACK ViewWindow::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<ViewWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (message == WM_TIMER && wParam == kPrintingTimer && self && self->onPrinting) {
    self->onPrinting();
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

}  // namespace ramilux::test
