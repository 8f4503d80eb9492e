// TFrmMain: building the window from the form table, the message dispatch, the form's
// own events (create, show, destroy), its key preview and its Tab order.
#include "frm_main.h"

#include <commctrl.h>

#include <algorithm>
#include <exception>

#include "panel.h"
#include "resource.h"
#include "rich_edit.h"
#include "speed_button.h"

namespace ramilux {
namespace {

// The view's own font as the form stores it: "Terminal", 12 pixels at 96 dpi (9 points),
// OEM character set. FormCreate replaces face and character set.
constexpr LONG kViewFontTwips = 9 * 20;
constexpr int kFormFontPixels = 11;  // "MS Sans Serif" 8 points at 96 dpi
constexpr int kWidthMargin = 20;     // FormShow: RgpSort's right edge plus this

WORD GlyphOf(int buttonId) {
  switch (buttonId) {
    case IDC_SBN_SELECT_DIRECTORY:
      return IDB_FOLDER;
    case IDC_SBN_PRINT:
      return IDB_PRINTER;
    case IDC_SBN_REFRESH:
      return IDB_REFRESH;
    case IDC_SBN_STOP:
      return IDB_STOP;
    case IDC_SBN_FONT:
      return IDB_FONT;
  }
  return 0;
}

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

// A label that sizes itself takes the extent of its text in the font it is drawn with,
// which need not be the one the layout's numbers were measured in.
void SizeToText(HWND label, HGDIOBJ font, const std::string& text) {
  HDC dc = GetDC(label);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size{};
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(label, dc);
  SetWindowPos(label, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void RegisterFormClass(HINSTANCE instance, WNDPROC procedure) {
  WNDCLASSA windowClass{};
  if (GetClassInfoA(instance, kFrmMainClass, &windowClass)) return;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_RAMILUX));
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kFrmMainClass;
  RegisterClassA(&windowClass);
}

struct TClassAndStyle {
  const char* ClassName;
  DWORD Style;
  DWORD ExStyle;
};

TClassAndStyle ClassAndStyle(const TControlRecord& record, bool startsGroup) {
  switch (record.Kind) {
    case KIND_PANEL:
    case KIND_RADIO_GROUP:
      return {kPanelClass, WS_CLIPSIBLINGS | WS_GROUP, WS_EX_CONTROLPARENT};
    case KIND_SPEED_BUTTON:
      return {kSpeedButtonClass, 0, 0};
    case KIND_CHECK_BOX:
      return {"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP, 0};
    case KIND_RADIO_BUTTON:
      return {"BUTTON", BS_AUTORADIOBUTTON | (startsGroup ? WS_GROUP | WS_TABSTOP : 0u), 0};
    case KIND_EDIT:
      return {"EDIT", ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP, WS_EX_CLIENTEDGE};
    case KIND_LABEL:
      return {"STATIC", SS_LEFTNOWORDWRAP | SS_NOPREFIX | WS_GROUP, 0};
    case KIND_PROGRESS_BAR:
      return {PROGRESS_CLASSA, WS_GROUP, 0};
    case KIND_RICH_EDIT:
      // No word wrap: a horizontal scroll bar and automatic horizontal scrolling. Both
      // bars stay in place, greyed while the text fits, so the view does not change size
      // as a listing grows.
      return {"RICHEDIT",
              ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_DISABLENOSCROLL |
                  WS_VSCROLL | WS_HSCROLL | WS_TABSTOP | WS_GROUP,
              WS_EX_CLIENTEDGE};
  }
  return {"STATIC", 0, 0};
}

LPVOID CreationParameter(const TControlRecord& record) {
  switch (record.Kind) {
    case KIND_PANEL:
      return reinterpret_cast<LPVOID>(static_cast<INT_PTR>(TPanelStyle::RaisedBevel));
    case KIND_RADIO_GROUP:
      return reinterpret_cast<LPVOID>(static_cast<INT_PTR>(TPanelStyle::GroupFrame));
    case KIND_SPEED_BUTTON:
      return reinterpret_cast<LPVOID>(static_cast<UINT_PTR>(GlyphOf(record.Id)));
  }
  return nullptr;
}

}  // namespace

TFrmMain::TFrmMain(TStartOptions options, TFileSystem& files, TTextServices& text)
    : options_(std::move(options)),
      listing_({files, text, *this}),
      scale_(options_.Dpi > 0 ? options_.Dpi : TScaler::ScreenDpi()) {
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

bool TFrmMain::Create() {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  static const bool richEditLoaded = LoadLibraryA("riched32.dll") != nullptr;
  INITCOMMONCONTROLSEX common{sizeof common, ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
  InitCommonControlsEx(&common);
  RegisterFormClass(instance, WindowProc);
  RegisterPanelClass(instance);
  RegisterSpeedButtonClass(instance);

  std::vector<TControlRecord> records = ReadFormLayout(instance);
  if (!richEditLoaded || records.empty() || records.front().Kind != KIND_FORM) return false;
  const TControlRecord& form = records.front();
  CreateWindowExA(0, kFrmMainClass, form.Text.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                  scale_(form.Left), scale_(form.Top), scale_(form.Width), scale_(form.Height),
                  nullptr, nullptr, instance, this);
  if (!hwnd_) return false;
  formFont_ =
      TGdiObject(CreateFontA(-scale_(kFormFontPixels), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                             DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "MS Sans Serif"));
  CreateControls(records);
  BuildTabOrder(records);
  CreateHints(records);
  CreatePopupMenuItems();
  OnSize();
  FormCreate();
  return true;
}

void TFrmMain::CreateControls(const std::vector<TControlRecord>& records) {
  controls_[IDC_FORM] = hwnd_;
  const TControlRecord* previous = nullptr;
  for (const TControlRecord& record : records) {
    if (record.Kind == KIND_FORM) continue;
    HWND control = CreateControl(record, previous);
    if (record.Kind == KIND_RICH_EDIT) viewRecord_ = record;
    controls_[record.Id] = control;
    previous = &record;
  }
  // EdtMinSize lies over the panel: it must be above it to be seen and clicked, though
  // it comes after the view in the Tab order (which SelectNextControl keeps apart).
  SetWindowPos(Control(IDC_EDT_MIN_SIZE), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  panelHeight_ = scale_(101);
  for (const TControlRecord& record : records) {
    if (record.Kind == KIND_PANEL) panelHeight_ = scale_(record.Height);
  }
  HWND view = Control(IDC_RICH_EDIT);
  SetWindowSubclass(view, ViewProc, 1, reinterpret_cast<DWORD_PTR>(this));
  CHARFORMATA format{};
  format.dwMask = CFM_FACE | CFM_CHARSET | CFM_SIZE | CFM_COLOR | CFM_BOLD | CFM_ITALIC |
                  CFM_UNDERLINE | CFM_STRIKEOUT;
  format.dwEffects = CFE_AUTOCOLOR;
  format.yHeight = kViewFontTwips;
  format.bCharSet = OEM_CHARSET;
  lstrcpynA(format.szFaceName, "Terminal", LF_FACESIZE);
  rich_edit::SetCharFormat(view, format);
}

HWND TFrmMain::CreateControl(const TControlRecord& record, const TControlRecord* previous) {
  bool startsGroup =
      record.Kind == KIND_RADIO_BUTTON &&
      (!previous || previous->Kind != KIND_RADIO_BUTTON || previous->Parent != record.Parent);
  TClassAndStyle kind = ClassAndStyle(record, startsGroup);
  DWORD style = WS_CHILD | kind.Style;
  if (record.Has(F_VISIBLE)) style |= WS_VISIBLE;
  if (record.Has(F_DISABLED)) style |= WS_DISABLED;
  HWND parent = Control(record.Parent);
  HWND control =
      CreateWindowExA(kind.ExStyle, kind.ClassName, record.Text.c_str(), style, scale_(record.Left),
                      scale_(record.Top), scale_(record.Width), scale_(record.Height), parent,
                      reinterpret_cast<HMENU>(static_cast<UINT_PTR>(record.Id)),
                      GetModuleHandleA(nullptr), CreationParameter(record));
  if (record.Kind != KIND_RICH_EDIT) {
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(formFont_.Get()), FALSE);
  }
  if (record.Has(F_AUTO_SIZE)) SizeToText(control, formFont_.Get(), record.Text);
  if (record.Has(F_CHECKED)) SendMessageA(control, BM_SETCHECK, BST_CHECKED, 0);
  return control;
}

// Tab visits the form's children by their tab order, entering each container and
// visiting its children by theirs; EdtMinSize therefore comes after the view.
void TFrmMain::BuildTabOrder(const std::vector<TControlRecord>& records) {
  auto childrenOf = [&](uint16_t parent) {
    std::vector<const TControlRecord*> children;
    for (const TControlRecord& record : records) {
      if (record.Kind != KIND_FORM && record.Parent == parent && record.TabOrder != NO_TAB &&
          record.Kind != KIND_PROGRESS_BAR) {
        children.push_back(&record);
      }
    }
    std::stable_sort(children.begin(), children.end(),
                     [](auto* a, auto* b) { return a->TabOrder < b->TabOrder; });
    return children;
  };
  auto visit = [&](auto& self, uint16_t parent) -> void {
    for (const TControlRecord* record : childrenOf(parent)) {
      if (record->Kind == KIND_PANEL || record->Kind == KIND_RADIO_GROUP) {
        self(self, record->Id);
      } else {
        tabOrder_.push_back(Control(record->Id));
      }
    }
  };
  visit(visit, IDC_FORM);
}

// A radio button is a stop only while it is checked, or, in a group with none checked,
// when it is the group's first item.
bool TFrmMain::CanTakeFocus(HWND control) const {
  if (!IsWindowVisible(control) || !IsWindowEnabled(control)) return false;
  char className[16] = {};
  GetClassNameA(control, className, sizeof className);
  bool radio = lstrcmpiA(className, "BUTTON") == 0 &&
               (GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK) == BS_AUTORADIOBUTTON;
  if (!radio || SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED) return true;
  if (!(GetWindowLongA(control, GWL_STYLE) & WS_GROUP)) return false;
  for (HWND sibling = GetWindow(control, GW_HWNDNEXT); sibling;
       sibling = GetWindow(sibling, GW_HWNDNEXT)) {
    if (GetWindowLongA(sibling, GWL_STYLE) & WS_GROUP) break;
    if (SendMessageA(sibling, BM_GETCHECK, 0, 0) == BST_CHECKED) return false;
  }
  return true;
}

void TFrmMain::SelectNextControl(bool forward) {
  if (tabOrder_.empty()) return;
  int count = static_cast<int>(tabOrder_.size());
  auto found = std::find(tabOrder_.begin(), tabOrder_.end(), GetFocus());
  int index = found == tabOrder_.end() ? (forward ? -1 : count)
                                       : static_cast<int>(found - tabOrder_.begin());
  for (int step = 0; step < count; ++step) {
    index = (index + (forward ? 1 : -1) + count) % count;
    HWND candidate = tabOrder_[index];
    if (!CanTakeFocus(candidate)) continue;
    SetFocus(candidate);
    if (GetDlgCtrlID(candidate) == IDC_EDT_MASK || GetDlgCtrlID(candidate) == IDC_EDT_MIN_SIZE) {
      SendMessageA(candidate, EM_SETSEL, 0, -1);
    }
    return;
  }
}

void TFrmMain::CreateHints(const std::vector<TControlRecord>& records) {
  hints_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_,
                           nullptr, GetModuleHandleA(nullptr), nullptr);
  for (const TControlRecord& record : records) {
    if (!record.Has(F_SHOW_HINT) || record.Hint.empty()) continue;
    TTTOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd_;
    tool.uId = reinterpret_cast<UINT_PTR>(Control(record.Id));
    tool.lpszText = const_cast<char*>(record.Hint.c_str());
    SendMessageA(hints_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void TFrmMain::CreatePopupMenuItems() {
  HDC screen = GetDC(nullptr);
  auto image = [&](WORD id) {
    HBITMAP glyph = static_cast<HBITMAP>(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, 0));
    HBITMAP opaque = CreateCompatibleBitmap(screen, 16, 16);
    {
      TMemoryDc target(screen, opaque);
      RECT all{0, 0, 16, 16};
      FillRect(target.Dc(), &all, GetSysColorBrush(COLOR_MENU));
      if (glyph) DrawGlyph(target.Dc(), glyph, 0, 0, true);
    }
    if (glyph) DeleteObject(glyph);
    menuImages_.emplace_back(opaque);
    return opaque;
  };
  popupMenu_.Reset(CreatePopupMenu());
  HMENU menu = popupMenu_.Get();
  auto addText = [&](UINT id, const char* caption, WORD imageId) {
    MENUITEMINFOA item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_ID | MIIM_STRING | MIIM_BITMAP;
    item.wID = id;
    item.dwTypeData = const_cast<char*>(caption);
    item.hbmpItem = image(imageId);
    InsertMenuItemA(menu, GetMenuItemCount(menu), TRUE, &item);
  };
  addText(IDM_SAVE_RTF, "RTF", IDB_RTF);
  addText(IDM_SAVE_TXT, "TXT", IDB_TXT);
  // The About item has no caption: its image alone.
  AppendMenuA(menu, MF_BITMAP, IDM_ABOUT, reinterpret_cast<LPCSTR>(image(IDB_ABOUT)));
  ReleaseDC(nullptr, screen);
}

// A fresh view in the place of the current one, with its font, text limit and focus.
void TFrmMain::RecreateView() {
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
  DestroyWindow(old);
  SetWindowSubclass(fresh, ViewProc, 1, reinterpret_cast<DWORD_PTR>(this));
  rich_edit::SetCharFormat(fresh, format);
  rich_edit::SetTextLimit(fresh, limit);
  if (focused) SetFocus(fresh);
}

void TFrmMain::SetViewFont(const std::string& face, BYTE charset) {
  CHARFORMATA format{};
  format.dwMask = CFM_FACE | CFM_CHARSET;
  format.bCharSet = charset;
  lstrcpynA(format.szFaceName, face.c_str(), LF_FACESIZE);
  rich_edit::SetCharFormat(Control(IDC_RICH_EDIT), format);
}

void TFrmMain::FormCreate() {
  listing_.FDirectory.clear();
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
  listing_.FMasks.clear();
  listing_.FEntries.Clear();
  listing_.FMinSize = 0;
}

void TFrmMain::FormShow() {
  RECT group;
  GetWindowRect(Control(IDC_RGP_SORT), &group);
  MapWindowPoints(HWND_DESKTOP, Control(IDC_PNL_BOUTONS), reinterpret_cast<POINT*>(&group), 2);
  RECT outer;
  GetWindowRect(hwnd_, &outer);
  int width = group.left + (group.right - group.left) + kWidthMargin;
  SetWindowPos(hwnd_, nullptr, 0, 0, width, outer.bottom - outer.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TFrmMain::Show(int showCommand) {
  FormShow();
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
  listing_.FMasks.clear();
  listing_.FEntries.Clear();
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
    self->ShowErrorBox("Erreur", error.what());
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
    case WM_CLOSE:
      OnClose();
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
  return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace ramilux
