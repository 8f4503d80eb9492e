// The page renderer: the control's text in its own font, laid out on printer pages.
#include "page_renderer.h"

#include <richedit.h>

#include <algorithm>

#include "printer.h"
#include "rich_edit.h"

namespace ramilux {

namespace {

// Lets the window go on while the job spools: the Stop button, repaints, a second
// press of the print button (which is then refused).
BOOL CALLBACK LetMessagesThrough(HDC, int) {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return FALSE;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return TRUE;
}

// Lines of the text, split at CR LF (or a lone CR or LF); the empty line after a final
// line break is not a line.
std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
  }
  return lines;
}

struct SelectedFont {
  SelectedFont(HDC dc, const LOGFONTA& font)
      : dc_(dc), font_(CreateFontIndirectA(&font)), old_(SelectObject(dc, font_)) {}
  ~SelectedFont() {
    SelectObject(dc_, old_);
    DeleteObject(font_);
  }
  SelectedFont(const SelectedFont&) = delete;
  SelectedFont& operator=(const SelectedFont&) = delete;

  HDC dc_;
  HFONT font_;
  HGDIOBJ old_;
};

// A started document, aborted unless it was ended.
class Document {
 public:
  Document(HDC dc, const std::string& title) : dc_(dc) {
    SetAbortProc(dc, LetMessagesThrough);
    DOCINFOA info{};
    info.cbSize = sizeof info;
    info.lpszDocName = title.c_str();
    if (StartDocA(dc, &info) <= 0) Fail();
  }
  ~Document() {
    if (open_) AbortDoc(dc_);
  }
  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;

  void StartNewPage() {
    if (StartPage(dc_) <= 0) Fail();
  }
  void EndThisPage() {
    if (EndPage(dc_) <= 0) Fail();
    if (!LetMessagesThrough(dc_, 0)) throw PrintCancelled();
  }
  void End() {
    open_ = false;
    if (EndDoc(dc_) <= 0) Fail();
  }

 private:
  // The system may run the abort procedure itself inside a job or page call, which then
  // fails because the program is quitting: that is no printing error.
  [[noreturn]] static void Fail() {
    DWORD error = GetLastError();
    MSG quit;
    if (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) throw PrintCancelled();
    throw PrintError(SystemErrorText(error));
  }

  HDC dc_;
  bool open_ = true;
};

}  // namespace

std::vector<std::string_view> WrapLine(HDC dc, std::string_view line, int width) {
  if (line.empty()) return {line};
  std::vector<std::string_view> rows;
  while (!line.empty()) {
    int fit = 0;
    SIZE size{};
    GetTextExtentExPointA(dc, line.data(), static_cast<int>(line.size()), width, &fit, nullptr,
                          &size);
    size_t take = fit > 0 ? std::min(static_cast<size_t>(fit), line.size()) : 1;
    rows.push_back(line.substr(0, take));
    line.remove_prefix(take);
  }
  return rows;
}

void PrintRichEditText(const PrintRequest& request) {
  HDC dc = request.printer;
  std::string text = rich_edit::Text(request.control);
  std::vector<std::string_view> lines = SplitLines(text);

  SetMapMode(dc, MM_TEXT);
  SelectedFont font(dc, DisplayFontFor(request.control, dc));
  CHARFORMATA format = rich_edit::CharFormat(request.control);
  if (!(format.dwEffects & CFE_AUTOCOLOR)) SetTextColor(dc, format.crTextColor);
  SetBkMode(dc, TRANSPARENT);
  SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  int lineHeight = std::max<int>(1, metrics.tmHeight + metrics.tmExternalLeading);
  int pageWidth = GetDeviceCaps(dc, HORZRES);
  int rowsPerPage = std::max(1, GetDeviceCaps(dc, VERTRES) / lineHeight);

  std::vector<std::string_view> rows;
  for (std::string_view line : lines) {
    for (std::string_view row : WrapLine(dc, line, pageWidth)) rows.push_back(row);
  }

  Document document(dc, request.title);
  for (int copy = 0; copy < std::max(1, request.copies); ++copy) {
    size_t next = 0;
    do {
      document.StartNewPage();
      // A new page may come back with the device's default font.
      SelectObject(dc, font.font_);
      for (int y = 0; y < rowsPerPage && next < rows.size(); ++y, ++next) {
        TextOutA(dc, 0, y * lineHeight, rows[next].data(), static_cast<int>(rows[next].size()));
      }
      document.EndThisPage();
    } while (next < rows.size());
  }
  document.End();
}

}  // namespace ramilux
