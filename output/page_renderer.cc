// The page renderer: the control's text in its own font, laid out on printer pages.
#include "page_renderer.h"

#include <richedit.h>

#include <algorithm>
#include <cstdlib>

#include "message_pump.h"
#include "printer.h"
#include "rich_edit.h"

namespace ramilux {

namespace {

// Lets the window go on while the job spools: the Stop button, repaints, its keys (F1,
// Tab), a second press of the print button (which is then refused).
BOOL CALLBACK LetMessagesThrough(HDC, int) {
  return PumpPendingMessages() ? TRUE : FALSE;
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

struct TSelectedFont {
  TSelectedFont(HDC dc, const LOGFONTA& font)
      : Dc(dc), Font(CreateFontIndirectA(&font)), Old(SelectObject(dc, Font)) {}
  ~TSelectedFont() {
    SelectObject(Dc, Old);
    DeleteObject(Font);
  }
  TSelectedFont(const TSelectedFont&) = delete;
  TSelectedFont& operator=(const TSelectedFont&) = delete;

  HDC Dc;
  HFONT Font;
  HGDIOBJ Old;
};

// A document on the printer, aborted unless it was ended.
class TDocument {
 public:
  explicit TDocument(HDC dc) : dc_(dc) {}
  ~TDocument() {
    if (open_) AbortDoc(dc_);
  }
  TDocument(const TDocument&) = delete;
  TDocument& operator=(const TDocument&) = delete;

  TOutcome Start(const std::string& title) {
    SetAbortProc(dc_, LetMessagesThrough);
    DOCINFOA info{};
    info.cbSize = sizeof info;
    info.lpszDocName = title.c_str();
    if (StartDocA(dc_, &info) <= 0) return Failure();
    open_ = true;
    return {};
  }
  TOutcome StartNewPage() { return StartPage(dc_) > 0 ? TOutcome() : Failure(); }
  TOutcome EndThisPage() {
    if (EndPage(dc_) <= 0) return Failure();
    return LetMessagesThrough(dc_, 0) ? TOutcome() : TOutcome::Cancelled();
  }
  TOutcome End() {
    open_ = false;
    return EndDoc(dc_) > 0 ? TOutcome() : Failure();
  }

 private:
  // The system may run the abort procedure itself inside a job or page call, which then
  // fails because the program is quitting: that is no printing error.
  static TOutcome Failure() {
    DWORD error = GetLastError();
    MSG quit;
    if (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) return TOutcome::Cancelled();
    return TOutcome::SystemFailure(error);
  }

  HDC dc_;
  bool open_ = false;
};

bool IsOutlineByte(char c) {
  auto byte = static_cast<unsigned char>(c);
  return byte == ' ' || byte == 0xC3 || byte == 0xC0 || byte == 0xB3 || byte == 0xC4;
}

// The next row of `text` at `width`: all that fits, cut after the last blank among it
// that lies at or after `firstBreak`; at least one character. One measure gives both
// the cut and the advances the row is drawn with.
TPrintedRow NextRow(HDC dc, std::string_view text, int x, int width, size_t firstBreak) {
  std::vector<INT> extents(text.size());
  int fit = 0;
  SIZE size{};
  // The measure rounds each advance to a whole pixel; the driver draws the last glyph at
  // its real advance, which may pass the rounded one by less than a pixel.
  GetTextExtentExPointA(dc, text.data(), static_cast<int>(text.size()), std::max(0, width - 1),
                        &fit, extents.data(), &size);
  size_t take = std::min(static_cast<size_t>(std::max(0, fit)), text.size());
  if (take == 0) {
    // Not even one character fits: it goes on a row of its own all the same.
    take = 1;
    GetTextExtentExPointA(dc, text.data(), 1, 0, nullptr, extents.data(), &size);
  } else if (take < text.size()) {
    size_t blank = text.substr(0, take).find_last_of(' ');
    if (blank != std::string_view::npos && blank >= firstBreak) take = blank + 1;
  }
  extents.resize(take);
  for (size_t i = take; i-- > 1;) extents[i] -= extents[i - 1];
  return {text.substr(0, take), x, std::move(extents)};
}

int Extent(HDC dc, std::string_view text) {
  SIZE size{};
  GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
  return size.cx;
}

HDC InTextMode(HDC dc) {
  SetMapMode(dc, MM_TEXT);
  return dc;
}

// The display font on the printer and where its rows go: one row every `Pitch` pixels
// (the font's size, as the page estimate counts them), from `Top`.
class TPageSetup {
 public:
  TPageSetup(HWND control, HDC dc)
      : dc_(dc), logFont_(DisplayFontFor(control, dc)), font_(InTextMode(dc), logFont_) {
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    Pitch = std::max<int>(1, std::abs(logFont_.lfHeight));
    Width = GetDeviceCaps(dc, HORZRES);
    int height = GetDeviceCaps(dc, VERTRES);
    SheetRows = RowsPerSheet(height, Pitch);
    // The rows are closer than the font's cell, whose top is leading: when the last
    // row's cell would pass the page's foot, the rows move up by at most that leading.
    int overflow = (SheetRows - 1) * Pitch + metrics.tmHeight - height;
    Top = -std::clamp(overflow, 0, static_cast<int>(metrics.tmInternalLeading));
  }

  void Reselect() const { SelectObject(dc_, font_.Font); }

  int Pitch = 1, Width = 0, SheetRows = 1, Top = 0;

 private:
  HDC dc_;
  LOGFONTA logFont_;
  TSelectedFont font_;
};

std::vector<TPrintedRow> LayOut(HDC dc, std::string_view text, int width) {
  std::vector<TPrintedRow> rows;
  for (std::string_view line : SplitLines(text)) {
    for (TPrintedRow& row : WrapLine(dc, line, width)) rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace

std::vector<TPrintedRow> WrapLine(HDC dc, std::string_view line, int width) {
  if (line.empty()) return {TPrintedRow{line, 0, {}}};
  size_t outline = 0;
  while (outline < line.size() && IsOutlineByte(line[outline])) ++outline;
  // Continuations sit under the line's text, unless that leaves them too narrow a column.
  int indent = outline < line.size() ? Extent(dc, line.substr(0, outline)) : 0;
  if (indent > width * 3 / 4) indent = 0;
  std::vector<TPrintedRow> rows;
  int x = 0;
  size_t firstBreak = outline;
  while (!line.empty()) {
    rows.push_back(NextRow(dc, line, x, width - x, firstBreak));
    line.remove_prefix(rows.back().Text.size());
    // Blanks at a break would only push the continuation off its column.
    while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
    x = indent;
    firstBreak = 1;
  }
  return rows;
}

int CountSheets(HWND control, HDC printer) {
  std::string text = rich_edit::Text(control);
  TPageSetup setup(control, printer);
  return PageCount(static_cast<int64_t>(LayOut(printer, text, setup.Width).size()),
                   setup.SheetRows);
}

TOutcome PrintRichEditText(const TPrintRequest& request) {
  HDC dc = request.Printer;
  std::string text = rich_edit::Text(request.Control);
  TPageSetup setup(request.Control, dc);
  CHARFORMATA format = rich_edit::CharFormat(request.Control);
  if (!(format.dwEffects & CFE_AUTOCOLOR)) SetTextColor(dc, format.crTextColor);
  SetBkMode(dc, TRANSPARENT);
  SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
  std::vector<TPrintedRow> rows = LayOut(dc, text, setup.Width);

  size_t perSheet = static_cast<size_t>(setup.SheetRows);
  size_t sheets =
      static_cast<size_t>(PageCount(static_cast<int64_t>(rows.size()), setup.SheetRows));
  size_t first = request.FirstSheet > 0 ? static_cast<size_t>(request.FirstSheet) : 1;
  size_t last =
      request.LastSheet > 0 ? std::min(sheets, static_cast<size_t>(request.LastSheet)) : sheets;
  TDocument document(dc);
  if (TOutcome started = document.Start(request.Title); !started.Ok()) return started;
  for (int copy = 0; copy < std::max(1, request.Copies); ++copy) {
    size_t sheet = first;
    do {
      if (TOutcome page = document.StartNewPage(); !page.Ok()) return page;
      // A new page may come back with the device's default font.
      setup.Reselect();
      size_t begin = (sheet - 1) * perSheet;
      for (size_t i = begin; i < begin + perSheet && i < rows.size() && sheet <= last; ++i) {
        const TPrintedRow& row = rows[i];
        int y = setup.Top + static_cast<int>(i - begin) * setup.Pitch;
        ExtTextOutA(dc, row.X, y, 0, nullptr, row.Text.data(), static_cast<UINT>(row.Text.size()),
                    row.Advances.empty() ? nullptr : row.Advances.data());
      }
      if (TOutcome page = document.EndThisPage(); !page.Ok()) return page;
      ++sheet;
    } while (sheet <= last);
  }
  return document.End();
}

}  // namespace ramilux
