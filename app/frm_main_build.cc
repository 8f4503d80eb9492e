// TFrmMain built from the form table of the resource script: the window, its controls
// with their classes and styles, the hints and the popup menu.
// <windows.h> comes before the other system headers.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include "frm_main.h"
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
  DragAcceptFiles(hwnd_, TRUE);
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
  CHARFORMATA format{};
  format.dwMask = CFM_FACE | CFM_CHARSET | CFM_SIZE | CFM_COLOR | CFM_BOLD | CFM_ITALIC |
                  CFM_UNDERLINE | CFM_STRIKEOUT;
  format.dwEffects = CFE_AUTOCOLOR;
  format.yHeight = kViewFontTwips;
  format.bCharSet = OEM_CHARSET;
  lstrcpynA(format.szFaceName, "Terminal", LF_FACESIZE);
  rich_edit::SetCharFormat(view, format);
  const TControlOf control = [this](int id) { return Control(id); };
  optionControls_.Attach(control);
  view_.Attach(control);
  indicators_.Attach(control);
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
  if (record.Kind == KIND_RICH_EDIT) {
    const RECT place{scale_(record.Left), scale_(record.Top), scale_(record.Width),
                     scale_(record.Height)};
    return viewThreads_.Create({kind.ExStyle, kind.ClassName, style, place, parent, record.Id,
                                ViewProc, reinterpret_cast<DWORD_PTR>(this)});
  }
  HWND control =
      CreateWindowExA(kind.ExStyle, kind.ClassName, record.Text.c_str(), style, scale_(record.Left),
                      scale_(record.Top), scale_(record.Width), scale_(record.Height), parent,
                      reinterpret_cast<HMENU>(static_cast<UINT_PTR>(record.Id)),
                      GetModuleHandleA(nullptr), CreationParameter(record));
  SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(formFont_.Get()), FALSE);
  if (record.Has(F_AUTO_SIZE)) SizeToText(control, formFont_.Get(), record.Text);
  if (record.Has(F_CHECKED)) SendMessageA(control, BM_SETCHECK, BST_CHECKED, 0);
  return control;
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
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, IDM_EXPLORER_MENU, "Menu de l'Explorateur");
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, IDM_COPY, "Copier\tCtrl+C");
  AppendMenuA(menu, MF_STRING, IDM_SAVE_UNICODE_TXT, "TXT Unicode");
  AppendMenuA(menu, MF_STRING, IDM_SAVE_HTML, "HTML");
  AppendMenuA(menu, MF_STRING, IDM_SAVE_CSV, "CSV");
  AppendMenuA(menu, MF_STRING, IDM_SAVE_MARKDOWN, "Markdown");
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, IDM_SNAPSHOT, "Instantan\xE9...");
  AppendMenuA(menu, MF_STRING, IDM_OPEN_SNAPSHOT, "Ouvrir un instantan\xE9...");
  AppendMenuA(menu, MF_STRING, IDM_COMPARE_SNAPSHOT, "Comparer \xE0 un instantan\xE9...");
  ReleaseDC(nullptr, screen);
}

}  // namespace ramilux
