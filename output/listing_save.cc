// Saving the last run's listing in the formats written from its entries.
#include "listing_save.h"

#include "rich_edit.h"
#include "view_save.h"
#include "wide_text.h"

namespace ramilux {

const TSaveCommand kSaveUnicodeText{"Fichiers TXT (*.txt)|*.txt|Tous fichiers (*.*)|*.*",
                                    "Ramilux.txt", false};
const TSaveCommand kSaveCsv{"Fichiers CSV (*.csv)|*.csv|Tous fichiers (*.*)|*.*", "Ramilux.csv",
                            false};
const TSaveCommand kSaveMarkdown{"Fichiers Markdown (*.md)|*.md|Tous fichiers (*.*)|*.*",
                                 "Ramilux.md", false};
const TSaveCommand kSaveHtml{"Fichiers HTML (*.html)|*.html|Tous fichiers (*.*)|*.*",
                             "Ramilux.html", false};

namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr char kWindowSeparator = '\\';

}  // namespace

std::string AnsiToUtf8(std::string_view text) {
  return FromWide(ToWide(text, CP_ACP), CP_UTF8);
}

TRtfFont ViewRtfFont(HWND view) {
  TRtfFont font;
  if (IsWindow(view)) {
    const CHARFORMATA format = rich_edit::CharFormat(view);
    if (format.szFaceName[0] != '\0') font.Face = AnsiToUtf8(format.szFaceName);
    if (format.yHeight > 0) font.HalfPoints = static_cast<int>(format.yHeight / 10);
    font.Charset = format.bCharSet;
  }
  font.CodePage = static_cast<int>(GetACP());
  // The code page's own byte for a character it holds as one byte, best fit excluded.
  font.Fallback = [](char32_t c) -> std::optional<char> {
    if (c > 0xFFFF) return std::nullopt;
    const wchar_t wide = static_cast<wchar_t>(c);
    char bytes[4];
    BOOL lossy = FALSE;
    const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &wide, 1, bytes,
                                           sizeof bytes, nullptr, &lossy);
    if (length != 1 || lossy) return std::nullopt;
    return bytes[0];
  };
  return font;
}

void WriteListing(TListing& listing, TListingFormat format, HWND view, const TTextSink& sink,
                  TLineRange range) {
  const TLineContext context{listing, AnsiToUtf8, kWindowSeparator};
  switch (format) {
    case TListingFormat::UnicodeText:
      sink(kUtf8Bom);
      WriteUnicodeLines(context, kCrLf, sink, range);
      break;
    case TListingFormat::Csv:
      WriteCsv(context, TCsvOptions{';', nullptr}, sink);
      break;
    case TListingFormat::Markdown:
      WriteMarkdown(context, kCrLf, sink);
      break;
    case TListingFormat::Html:
      WriteHtmlDocument(context, sink);
      break;
    case TListingFormat::Rtf:
      WriteRtf(context, ViewRtfFont(view), sink, range);
      break;
  }
}

void RunListingSave(HWND view, TListing& listing, const TSaveCommand& command,
                    TListingFormat format) {
  HWND owner = GetAncestor(view, GA_ROOT);
  const int viewId = GetDlgCtrlID(view);
  std::optional<std::string> fileName = AskSaveFileName(command, owner);
  if (!fileName) return;
  if (HWND current = GetDlgItem(owner, viewId)) view = current;
  SaveWrittenFile(*fileName, [&](const std::function<void(std::string_view)>& sink) {
    WriteListing(listing, format, view, sink);
  }).Show(owner);
}

}  // namespace ramilux
