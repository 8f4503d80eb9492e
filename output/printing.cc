// The print button: the page estimate, the print dialog, and the print of the whole
// view, of its selection or of a range of estimated pages.
#include "printing.h"

#include <commdlg.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

#include "display_font.h"
#include "error_box.h"
#include "page_renderer.h"
#include "printer.h"
#include "rich_edit.h"

namespace ramilux {

namespace {

// Runs `measure` on a device context of the current printer inside a started job, as
// the page is when printing; nothing is drawn, and the job is aborted, which sends
// nothing to the printer.
template <typename Measure>
TResult<int> MeasureOnPrinter(Measure measure) {
  TPrinter& printer = ThePrinter();
  TPrinter::TJob job(printer);
  if (TOutcome held = job.Outcome(); !held.Ok()) return held;
  TResult<TPrinterDc> dc = printer.CreateDc();
  if (!dc.Ok()) return dc.Outcome();
  HDC device = dc.Value().get();
  DOCINFOA info{};
  info.cbSize = sizeof info;
  info.lpszDocName = "";
  bool started = StartDocA(device, &info) > 0;
  int result = measure(device);
  if (started) AbortDoc(device);
  return result;
}

}  // namespace

TResult<int> GetLinesPerPage(HWND view) {
  return MeasureOnPrinter([view](HDC dc) {
    int screenDpi = ScreenDpi();
    return LinesPerPage({ScreenFontHeight(view, screenDpi), screenDpi,
                         GetDeviceCaps(dc, LOGPIXELSY), GetDeviceCaps(dc, VERTRES)});
  });
}

TResult<int> GetPageCount(HWND view) {
  return MeasureOnPrinter([view](HDC dc) { return CountSheets(view, dc); });
}

DWORD PrintDialogFlags(bool selection, bool pageNums) {
  return PD_HIDEPRINTTOFILE | PD_NOWARNING | (selection ? PD_SELECTION : PD_NOSELECTION) |
         (pageNums ? 0 : PD_NOPAGENUMS);
}

namespace {

// What the print dialog offers. Without a page range its page numbers are not shown,
// so they need not outlive one press.
struct TPrintDialogState {
  bool Selection = false;  // offer the selection and open with it chosen
  bool PageNums = false;   // offer a page range
  int FromPage = 0, ToPage = 0, MinPage = 0, MaxPage = 0;
};

enum class TPrintRange { AllPages, Selection, PageNums };

struct TPrintChoice {
  TPrintRange Range;
  int FromPage, ToPage;
  int Copies;
};

// Shows the dialog on the current printer; false on Cancel. The printer and settings
// chosen in it become the current printer.
bool ShowPrintDialog(HWND owner, const TPrintDialogState& state, TPrintChoice& choice) {
  TPrinter& printer = ThePrinter();
  TGlobalMemory devMode = printer.DevMode(), devNames = printer.DevNames();
  PRINTDLGA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.hDevMode = devMode.get();
  dialog.hDevNames = devNames.get();
  dialog.Flags = PrintDialogFlags(state.Selection, state.PageNums);
  dialog.nFromPage = static_cast<WORD>(state.FromPage);
  dialog.nToPage = static_cast<WORD>(state.ToPage);
  dialog.nMinPage = static_cast<WORD>(state.MinPage);
  dialog.nMaxPage = static_cast<WORD>(state.MaxPage);
  dialog.nCopies = 1;
  BOOL ok = PrintDlgA(&dialog);
  // The dialog may have replaced the handles it was given: own what it returns.
  devMode.release();
  devNames.release();
  TGlobalMemory returnedMode(dialog.hDevMode), returnedNames(dialog.hDevNames);
  if (!ok) return false;
  printer.Choose(dialog.hDevNames, dialog.hDevMode);
  choice.Range = (dialog.Flags & PD_SELECTION)  ? TPrintRange::Selection
                 : (dialog.Flags & PD_PAGENUMS) ? TPrintRange::PageNums
                                                : TPrintRange::AllPages;
  choice.FromPage = dialog.nFromPage;
  choice.ToPage = dialog.nToPage;
  choice.Copies = std::max<int>(dialog.nCopies, printer.Copies());
  return true;
}

struct TWindowDestroyer {
  // The copy dies with its owner when the window was closed during the print.
  void operator()(HWND window) const {
    if (IsWindow(window)) DestroyWindow(window);
  }
};
using TEmporaryControl = std::unique_ptr<std::remove_pointer_t<HWND>, TWindowDestroyer>;

// An invisible rich edit beside the view, with its font, its (unwrapped) layout and its
// text capacity, holding only `text`; or why it could not be made.
TOutcome MakePrintCopy(HWND owner, HWND view, const std::string& text, TEmporaryControl& control) {
  DWORD style = (static_cast<DWORD>(GetWindowLongPtrA(view, GWL_STYLE)) & ~WS_VISIBLE) | WS_CHILD;
  HWND copy = CreateWindowExA(0, "RICHEDIT", "", style, 0, 0, 100, 100, owner, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  if (!copy) return TOutcome::SystemFailure(GetLastError());
  control.reset(copy);
  rich_edit::SetTextLimit(copy, rich_edit::TextLimit(view));
  rich_edit::SetCharFormat(copy, rich_edit::CharFormat(view));
  rich_edit::ReplaceSelection(copy, text);
  if (rich_edit::TextLength(copy) < static_cast<int64_t>(text.size())) {
    return TOutcome::Failed(kInsertError);
  }
  return {};
}

class TWaitCursor {
 public:
  explicit TWaitCursor(const std::function<void(bool)>& hold) : hold_(hold) {
    SetCursor(LoadCursor(nullptr, IDC_WAIT));
    if (hold_) hold_(true);
  }
  ~TWaitCursor() {
    if (hold_) hold_(false);
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
  }
  TWaitCursor(const TWaitCursor&) = delete;
  TWaitCursor& operator=(const TWaitCursor&) = delete;

 private:
  const std::function<void(bool)>& hold_;
};

// Sheets `first` to `last` of the whole control's print; 0 and 0 for all of them.
TOutcome PrintControl(HWND control, int copies, int first = 0, int last = 0) {
  TPrinter& printer = ThePrinter();
  TPrinter::TJob job(printer);
  if (TOutcome held = job.Outcome(); !held.Ok()) return held;
  TResult<TPrinterDc> dc = printer.CreateDc(/*singleCopy=*/true);
  if (!dc.Ok()) return dc.Outcome();
  return PrintRichEditText({control, dc.Value().get(), copies, "", first, last});
}

TOutcome PrintChosen(HWND owner, HWND view, const TPrintChoice& choice,
                     const std::function<void(bool)>& holdWaitCursor) {
  TWaitCursor wait(holdWaitCursor);
  switch (choice.Range) {
    case TPrintRange::AllPages:
      break;
    case TPrintRange::Selection: {
      TEmporaryControl copy;
      TOutcome made = MakePrintCopy(owner, view, rich_edit::SelectedText(view) + "\r\n", copy);
      return made.Ok() ? PrintControl(copy.get(), choice.Copies) : made;
    }
    case TPrintRange::PageNums:
      // The pages are the sheets of a print of the whole view.
      return PrintControl(view, choice.Copies, choice.FromPage, choice.ToPage);
  }
  return PrintControl(view, choice.Copies);
}

// The estimate, the dialog and the print; done also when the dialog is cancelled.
TOutcome PrintView(HWND owner, HWND view, const std::function<void(bool)>& holdWaitCursor) {
  TPrintDialogState state;
  CHARRANGE selection = rich_edit::Selection(view);
  state.Selection = selection.cpMax > selection.cpMin;
  TResult<int> pages = GetPageCount(view);
  if (!pages.Ok()) return pages.Outcome();
  if (pages.Value() > 1) {
    state.PageNums = true;
    state.FromPage = state.MinPage = 1;
    // The dialog holds page numbers in 16 bits.
    state.ToPage = state.MaxPage = std::min<int32_t>(pages.Value(), 0xFFFF);
  }
  TPrintChoice choice{};
  if (!ShowPrintDialog(owner, state, choice)) return {};
  return PrintChosen(owner, view, choice, holdWaitCursor);
}

}  // namespace

// A cancelled print means the window is going away; the quit message is back in the
// queue for its loop.
void SbnPrintClick(HWND owner, HWND view, const std::function<void(bool wait)>& holdWaitCursor) {
  PrintView(owner, view, holdWaitCursor).Show(owner);
}

}  // namespace ramilux
