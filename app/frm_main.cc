// TFrmMain: the message dispatch, the form's own events (create, show, destroy), its key
// preview and the view's replacement. Building from the form table and Tab navigation
// have files of their own.
#include "frm_main.h"

#include <commctrl.h>

#include <algorithm>
#include <exception>

#include "resource.h"
#include "rich_edit.h"
#include "screen_dpi.h"

namespace ramilux {
namespace {

constexpr int kWidthMargin = 20;  // FormShow: RgpSort's right edge plus this

// The first argument names a font file beside the program: only a plain name is taken,
// so that it can't register a file from another folder for the rest of the session.
bool IsPlainFileName(const std::string& name) {
  return !name.empty() && name.find_first_of("\\/:") == std::string::npos &&
         name.find("..") == std::string::npos;
}

// Tells the other top-level windows that the fonts changed; one that hangs must hold
// neither the start nor the end of the program.
void BroadcastFontChange() {
  constexpr UINT kPerWindowMs = 1000;
  SendMessageTimeoutA(HWND_BROADCAST, WM_FONTCHANGE, 0, 0, SMTO_ABORTIFHUNG, kPerWindowMs, nullptr);
}

}  // namespace

TFrmMain::TFrmMain(TStartOptions options, TFileSystem& files, TTextServices& text)
    : options_(std::move(options)),
      source_(files),
      listing_({source_, text, optionControls_, view_, indicators_}),
      scale_(options_.Dpi > 0 ? options_.Dpi : ScreenDpi()) {
  if (options_.ExecutablePath.empty()) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    options_.ExecutablePath = path;
  }
}

TFrmMain::~TFrmMain() {
  if (hwnd_) DestroyWindow(hwnd_);
}

HWND TFrmMain::Control(int id) const {
  auto found = controls_.find(id);
  return found == controls_.end() ? nullptr : found->second;
}

// A fresh view in the place of the current one, with its font, text limit and focus.
HWND TFrmMain::RecreateView() {
  HWND old = Control(IDC_RICH_EDIT);
  CHARFORMATA format = rich_edit::CharFormat(old);
  int64_t limit = rich_edit::TextLimit(old);
  RECT place;
  GetWindowRect(old, &place);
  MapWindowPoints(HWND_DESKTOP, hwnd_, reinterpret_cast<POINT*>(&place), 2);
  bool focused = GetFocus() == old;
  HWND fresh = CreateControl(viewRecord_, nullptr);
  SetWindowPos(fresh, old, place.left, place.top, place.right - place.left,
               place.bottom - place.top, SWP_NOACTIVATE);
  controls_[IDC_RICH_EDIT] = fresh;
  std::replace(tabOrder_.begin(), tabOrder_.end(), old, fresh);
  viewThreads_.Dispose(old);
  rich_edit::SetCharFormat(fresh, format);
  rich_edit::SetTextLimit(fresh, limit);
  if (focused) SetFocus(fresh);
  return fresh;
}

void TFrmMain::SetViewFont(const std::string& face, BYTE charset) {
  CHARFORMATA format{};
  format.dwMask = CFM_FACE | CFM_CHARSET;
  format.bCharSet = charset;
  lstrcpynA(format.szFaceName, face.c_str(), LF_FACESIZE);
  rich_edit::SetCharFormat(Control(IDC_RICH_EDIT), format);
}

void TFrmMain::FormCreate() {
  listing_.Clear();
  fontName_ = IsPlainFileName(options_.FontArgument) ? options_.FontArgument : "Ramilux";
  const std::string& exe = options_.ExecutablePath;
  fontFile_ = exe.substr(0, exe.find_last_of('\\') + 1) + fontName_ + ".ttf";
  DWORD attributes = GetFileAttributesA(fontFile_.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    AddFontResourceA(fontFile_.c_str());
    BroadcastFontChange();
  } else {
    fontName_ = "Terminal";
    fontFile_.clear();
  }
  SetViewFont(fontName_, ANSI_CHARSET);
  rich_edit::SetTextLimit(Control(IDC_RICH_EDIT), 0x7FFFFFFD);
  if (options_.KeepSettings) ApplySettings(LoadSettings());
}

void TFrmMain::FormShow() {
  RECT group;
  GetWindowRect(Control(IDC_RGP_SORT), &group);
  MapWindowPoints(HWND_DESKTOP, Control(IDC_PNL_BOUTONS), reinterpret_cast<POINT*>(&group), 2);
  RECT outer;
  GetWindowRect(hwnd_, &outer);
  int width = group.left + (group.right - group.left) + scale_(kWidthMargin);
  SetWindowPos(hwnd_, nullptr, 0, 0, width, outer.bottom - outer.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TFrmMain::Show(int showCommand) {
  FormShow();
  if (placement_) {
    // The place of the last session, put back on a screen that is there now.
    WINDOWPLACEMENT placement = *placement_;
    placement_.reset();
    if (placement.showCmd != SW_SHOWMAXIMIZED) placement.showCmd = showCommand;
    SetWindowPlacement(hwnd_, &placement);
    UpdateWindow(hwnd_);
    return;
  }
  RECT outer;
  GetWindowRect(hwnd_, &outer);
  int width = outer.right - outer.left, height = outer.bottom - outer.top;
  int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  SetWindowPos(hwnd_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(hwnd_, showCommand);
  UpdateWindow(hwnd_);
}

void TFrmMain::FormDestroy() {
  listing_.Clear();
  if (!fontFile_.empty()) {
    RemoveFontResourceA(fontFile_.c_str());
    BroadcastFontChange();
  }
}

void TFrmMain::FormKeyDown(WPARAM key) {
  if (key == VK_F1) PopMnuAboutClick();
}

bool TFrmMain::PreTranslateMessage(MSG& message) {
  if (!hwnd_ || (message.hwnd != hwnd_ && !IsChild(hwnd_, message.hwnd))) return false;
  if (message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN) {
    FormKeyDown(message.wParam);
    if (message.wParam == VK_TAB && message.message == WM_KEYDOWN && GetKeyState(VK_CONTROL) >= 0) {
      SelectNextControl(GetKeyState(VK_SHIFT) >= 0);
      return true;
    }
  }
  return IsDialogMessageA(hwnd_, &message);
}

int TFrmMain::RunMessageLoop() {
  return ramilux::RunMessageLoop();
}

void TFrmMain::OnSize() {
  RECT client;
  GetClientRect(hwnd_, &client);
  SetWindowPos(Control(IDC_PNL_BOUTONS), nullptr, 0, 0, client.right, panelHeight_,
               SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowPos(Control(IDC_RICH_EDIT), nullptr, 0, panelHeight_, client.right,
               std::max<int>(0, client.bottom - panelHeight_), SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK TFrmMain::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<TFrmMain*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    self->hwnd_ = window;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<TFrmMain*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!self) return DefWindowProcA(window, message, wParam, lParam);
  // No exception may cross the system's code: one that reaches here is shown.
  try {
    return self->HandleMessage(message, wParam, lParam);
  } catch (const std::exception& error) {
    self->indicators_.ShowErrorBox("Erreur", error.what());
    return 0;
  }
}

LRESULT TFrmMain::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      if (!controls_.empty()) OnSize();
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wParam) == Control(IDC_RICH_EDIT)) {
        ShowPopupMenu({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
        return 0;
      }
      break;
    case WM_SETCURSOR:
      if (OnSetCursor()) return TRUE;
      break;
    case kViewKeyDown:
      FormKeyDown(wParam);
      return 0;
    case kViewTab:
      SelectNextControl(wParam != 0);
      return 0;
    case WM_CLOSE:
      OnClose();
      return 0;
    case WM_DROPFILES:
      OnDropFiles(wParam);
      return 0;
    case WM_DESTROY:
      FormDestroy();
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
      hwnd_ = nullptr;
      if (options_.QuitOnDestroy) PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK TFrmMain::ViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                    UINT_PTR, DWORD_PTR self) {
  // The view sets its own cursor; during a run the application's wait cursor wins.
  if (message == WM_SETCURSOR && reinterpret_cast<TFrmMain*>(self)->OnSetCursor()) return TRUE;
  if (message == WM_NCDESTROY) RemoveWindowSubclass(window, ViewProc, 1);
  // The view has a thread of its own: what the form does for it is posted to the form.
  if (message == WM_CONTEXTMENU) {
    PostMessageA(GetAncestor(window, GA_ROOT), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window),
                 lParam);
    return 0;
  }
  // Ctrl+C copies the exact lines in every format, not the view's own ANSI text.
  const bool ctrlC = message == WM_KEYDOWN && wParam == 'C' && GetKeyState(VK_CONTROL) < 0 &&
                     GetKeyState(VK_MENU) >= 0;
  if (ctrlC || message == WM_COPY) {
    PostMessageA(GetAncestor(window, GA_ROOT), WM_COMMAND, IDM_COPY, 0);
    return 0;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace ramilux
