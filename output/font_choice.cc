// The font button: the font dialog with its live Apply button, on the view's font.
#include "font_choice.h"

#include <commdlg.h>
#include <dlgs.h>

#include <string>

#include "error_box.h"
#include "printer.h"

namespace ramilux {
namespace {

constexpr char kApplyContextProperty[] = "Ramilux.FontApply";

// What the Apply button needs, reached from the dialog's hook through a window property.
struct TApplyContext {
  HWND View;
  COLORREF Color;
  HDC Printer;
};

bool FaceOnDevice(HDC dc, const char* face) {
  LOGFONTA wanted{};
  wanted.lfCharSet = DEFAULT_CHARSET;
  lstrcpynA(wanted.lfFaceName, face, LF_FACESIZE);
  bool found = false;
  EnumFontFamiliesExA(
      dc, &wanted,
      [](const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM flag) -> int {
        *reinterpret_cast<bool*>(flag) = true;
        return 0;
      },
      reinterpret_cast<LPARAM>(&found), 0);
  return found;
}

bool FaceInstalled(const char* face, HDC printer) {
  if (face[0] == '\0') return false;
  HDC screen = GetDC(nullptr);
  bool found = FaceOnDevice(screen, face);
  ReleaseDC(nullptr, screen);
  return found || (printer && FaceOnDevice(printer, face));
}

// The dialog's current choice, as the dialog itself reports it.
LOGFONTA CurrentChoice(HWND dialog) {
  LOGFONTA font{};
  SendMessageA(dialog, WM_CHOOSEFONT_GETLOGFONT, 0, reinterpret_cast<LPARAM>(&font));
  return font;
}

UINT_PTR CALLBACK FontDialogHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      auto* settings = reinterpret_cast<CHOOSEFONTA*>(lParam);
      SetPropA(dialog, kApplyContextProperty, reinterpret_cast<HANDLE>(settings->lCustData));
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == psh3) {
        auto* context = static_cast<TApplyContext*>(GetPropA(dialog, kApplyContextProperty));
        if (context) DlgFontApply(dialog, context->View, context->Color, context->Printer);
        return TRUE;
      }
      return FALSE;
    case WM_DESTROY:
      RemovePropA(dialog, kApplyContextProperty);
      return FALSE;
  }
  return FALSE;
}

}  // namespace

TOutcome ApplyDisplayFont(HWND view, const TDisplayFont& font, HDC printer) {
  const char* face = font.Font.lfFaceName;
  if (!FaceInstalled(face, printer)) {
    return TOutcome::Failed(std::string("Aucune police install\xE9"
                                        "e ne porte le nom \"") +
                            face + "\"");
  }
  if (!WriteDisplayFont(view, font)) {
    return TOutcome::Failed(std::string("Impossible d'appliquer la police \"") + face + "\"");
  }
  return {};
}

void DlgFontApply(HWND dialog, HWND view, COLORREF color, HDC printer) {
  ApplyDisplayFont(view, {CurrentChoice(dialog), color}, printer).Show(dialog);
}

void SbnFontClick(HWND owner, HWND view) {
  // The current printer's information context (the one the print dialog chose, else
  // the default): the dialog lists its fonts beside the screen's.
  TResult<TPrinterDc> info = ThePrinter().CreateInfoContext();
  if (!info.Ok()) {
    info.Outcome().Show(owner);
    return;
  }
  HDC printer = info.Value().get();
  TDisplayFont current = ReadDisplayFont(view);
  // A copy: the dialog writes its changes into this LOGFONT even when cancelled.
  LOGFONTA choice = current.Font;
  TApplyContext context{view, current.Color, printer};
  CHOOSEFONTA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.hDC = printer;
  dialog.lpLogFont = &choice;
  dialog.Flags = CF_BOTH | CF_INITTOLOGFONTSTRUCT | CF_ENABLEHOOK | CF_FORCEFONTEXIST | CF_APPLY;
  dialog.rgbColors = current.Color;
  dialog.lCustData = reinterpret_cast<LPARAM>(&context);
  dialog.lpfnHook = FontDialogHook;
  if (!ChooseFontA(&dialog)) return;
  ApplyDisplayFont(view, {choice, dialog.rgbColors}, printer).Show(owner);
}

}  // namespace ramilux
