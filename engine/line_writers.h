// The listing in the formats other programs read: CSV for spreadsheets, Markdown, RTF
// that any word processor shows with its connectors, a <pre> block of HTML and an HTML page
// with an outline; all in UTF-8 (the RTF in its own escapes), made from the lines of lines.h.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "lines.h"

namespace ramilux {

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

struct TCsvOptions {
  char Separator = ',';
  // An entry's last-write time in ISO 8601; by default the packed local time, without
  // an offset.
  std::function<std::optional<std::string>(const TFileObject&)> Modified;
};
// One row per entry after a row of column names: full path, name, type, depth, size in
// bytes, last-write time, state (the unread reason); RFC 4180 quoting, CR LF, a BOM first.
void WriteCsv(const TLineContext& context, const TCsvOptions& options, const TTextSink& sink);
// The field as RFC 4180 writes it: quoted when it holds the separator, a quote or a line
// break, its quotes doubled.
void AppendCsvField(std::string& out, std::string_view field, char separator);
// "2003-01-10T11:00:04", or nothing when the packed time is no real date and time.
std::optional<std::string> PackedIsoTime(uint32_t time);

// A title line, then the entries' Unicode lines in a fenced code block whose fence is
// longer than any run of backticks in them.
void WriteMarkdown(const TLineContext& context, std::string_view lineEnd, const TTextSink& sink);

// The display font as the RTF names it.
struct TRtfFont {
  std::string Face = "Ramilux";
  int HalfPoints = 20;
  int Charset = 0;
  int CodePage = 1252;
  // The ANSI byte that stands for a character outside ASCII in readers without \u; by
  // default the Latin 1 byte, else "?".
  std::function<std::optional<char>(char32_t)> Fallback;
};
// The view's lines, each connector and each character outside ASCII as \uN followed by
// its ANSI stand-in (the connectors' own bytes, which the display font draws as lines).
void WriteRtf(const TLineContext& context, const TRtfFont& font, const TTextSink& sink,
              TLineRange range = {});
// The Unicode lines as one HTML <pre> block, escaped.
void WriteHtmlPre(const TLineContext& context, const TTextSink& sink, TLineRange range = {});

// The whole listing as one HTML page that needs no other file and no network: the header
// line, the entries as an outline whose folders open and close, their columns and unread
// marks, and a search field that shows the matching lines with their folders.
void WriteHtmlDocument(const TLineContext& context, const TTextSink& sink);
// `text` with each character of `special` as its HTML reference, and each control character
// as "?", as the listing shows it.
void AppendHtmlEscaped(std::string& out, std::string_view text,
                       std::string_view special = "<>&\"'");

}  // namespace ramilux
