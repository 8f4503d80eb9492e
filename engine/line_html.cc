// The listing as one HTML page that needs no other file: its entries travel as compact
// text lines that the page's own script lays out as an outline, so that a million entries
// stay a few bytes each and only the lines in sight are ever drawn.
#include "line_html.h"

#include "line_writers.h"

namespace ramilux {
namespace {

// One entry as the page's script reads it: its depth, "d" for a folder or "f", the name,
// then a tab and the columns, then a tab and the unread mark, as far as there are any.
void AppendDataLine(std::string& out, const TLineRecord& line) {
  out += std::to_string(line.Depth());
  out += (line.Entry->Attr() & kAttrDirectory) ? 'd' : 'f';
  AppendHtmlEscaped(out, line.ExactName);
  if (!line.Columns.empty() || !line.Mark.empty()) {
    out += '\t';
    AppendHtmlEscaped(out, line.Columns);
  }
  if (!line.Mark.empty()) {
    out += '\t';
    AppendHtmlEscaped(out, line.Mark);
  }
  out += '\n';
}

}  // namespace

void AppendHtmlEscaped(std::string& out, std::string_view text, std::string_view special) {
  for (char c : text) {
    if (special.find(c) == std::string_view::npos) {
      // A control character would break the line it is in: the listing's "?" stands for it.
      out += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? '?' : c;
      continue;
    }
    switch (c) {
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '&':
        out += "&amp;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += "&#39;";
    }
  }
}

void WriteHtmlDocument(const TLineContext& context, const TTextSink& sink) {
  const std::string header = ExactHeaderLine(context);
  std::string block = "<!DOCTYPE html>\n<html lang=\"fr\"><head><meta charset=\"utf-8\">\n<title>";
  AppendHtmlEscaped(block, header);
  block += "</title>\n";
  block += kHtmlPageStyle;
  block += "</head><body>\n<header><div id=\"h\">";
  AppendHtmlEscaped(block, header);
  block += kHtmlPageTools;
  block +=
      "</header>\n<div id=\"v\"><div id=\"s\"></div><div id=\"r\">Lecture de la "
      "liste\xE2\x80\xA6</div></div>\n";
  block += "<pre id=\"d\" hidden>";
  TLineReader reader(context);
  TLineRecord line;
  while (reader.Next(line)) {
    AppendDataLine(block, line);
    PassOnFull(block, sink);
  }
  block += "</pre>\n";
  block += kHtmlPageScript;
  block += "</body></html>\n";
  sink(block);
}

}  // namespace ramilux
