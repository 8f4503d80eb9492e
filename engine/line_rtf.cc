// The listing as RTF that readers without the display font still show with its lines,
// and as the <pre> block of a copy.
#include <cstdio>

#include "line_writers.h"
#include "utf8.h"

namespace ramilux {
namespace {

// The code point of the well-formed UTF-8 sequence of `length` bytes at `text`.
char32_t CodePoint(std::string_view text, size_t length) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  if (length == 1) return byte(0);
  char32_t c = byte(0) & (0xFF >> (length + 1));
  for (size_t i = 1; i < length; ++i) c = (c << 6) | (byte(i) & 0x3F);
  return c;
}

void AppendHexByte(std::string& out, char c) {
  char text[8];
  std::snprintf(text, sizeof text, "\\'%02x", static_cast<unsigned char>(c));
  out += text;
}

// \uN takes a signed 16-bit number: a character beyond U+FFFF goes as its two surrogates.
void AppendUnicodeWord(std::string& out, char32_t unit, char fallback) {
  out += "\\u";
  out += std::to_string(static_cast<int16_t>(static_cast<uint16_t>(unit)));
  AppendHexByte(out, fallback);
}

class TRtfText {
 public:
  explicit TRtfText(const TRtfFont& font) : font_(font) {}

  void AppendConnector(std::string& out, TPrefix::TGroup group) const {
    switch (group) {
      case TPrefix::Bar:
        AppendUnicodeWord(out, 0x2502, kBar);
        out += "  ";
        break;
      case TPrefix::Branch:
      case TPrefix::Corner:
        AppendUnicodeWord(out, group == TPrefix::Branch ? 0x251C : 0x2514,
                          group == TPrefix::Branch ? kBranch : kCorner);
        AppendUnicodeWord(out, 0x2500, kHorizontal);
        out += ' ';
        break;
      default:
        out += "   ";
    }
  }

  void AppendText(std::string& out, std::string_view utf8) const {
    for (size_t i = 0; i < utf8.size();) {
      size_t bad = 0;
      const size_t length = WellFormedUtf8Length(utf8.substr(i), bad);
      const char32_t c = length == 0 ? 0xFFFD : CodePoint(utf8.substr(i), length);
      i += length == 0 ? bad : length;
      if (c == '\\' || c == '{' || c == '}') {
        out += '\\';
        out += static_cast<char>(c);
      } else if (c >= 0x20 && c < 0x7F) {
        out += static_cast<char>(c);
      } else if (c < 0x10000) {
        AppendUnicodeWord(out, c, Fallback(c));
      } else {
        AppendUnicodeWord(out, 0xD800 + ((c - 0x10000) >> 10), '?');
        AppendUnicodeWord(out, 0xDC00 + ((c - 0x10000) & 0x3FF), '?');
      }
    }
  }

 private:
  char Fallback(char32_t c) const {
    if (font_.Fallback) return font_.Fallback(c).value_or('?');
    return c >= 0xA0 && c <= 0xFF ? static_cast<char>(c) : '?';
  }
  const TRtfFont& font_;
};

std::string RtfHead(const TRtfFont& font, const TRtfText& text) {
  std::string face;
  text.AppendText(face, font.Face);
  return "{\\rtf1\\ansi\\ansicpg" + std::to_string(font.CodePage) +
         "\\deff0\\uc1{\\fonttbl{\\f0\\fmodern\\fprq1\\fcharset" + std::to_string(font.Charset) +
         " " + face + "{\\*\\falt Courier New};}}\r\n\\pard\\plain\\f0\\fs" +
         std::to_string(font.HalfPoints) + " ";
}

// Each line of the view as the writer wants it, the header and the blank line included.
template <typename TLine>
void ForEachLine(const TLineContext& context, TLineRange range, TLine&& write) {
  if (range.First == 0) write(nullptr, ExactHeaderLine(context));
  if (range.First <= 1 && range.Last >= 1) write(nullptr, " ");
  size_t number = 2;
  TLineReader reader(context);
  TLineRecord line;
  while (number <= range.Last && reader.Next(line)) {
    if (number++ >= range.First) write(&line, {});
  }
}

}  // namespace

void WriteRtf(const TLineContext& context, const TRtfFont& font, const TTextSink& sink,
              TLineRange range) {
  const TRtfText rtf(font);
  std::string block = RtfHead(font, rtf);
  ForEachLine(context, range, [&](const TLineRecord* line, std::string_view text) {
    if (line == nullptr) {
      rtf.AppendText(block, text);
    } else {
      for (TPrefix::TGroup group : line->Groups) rtf.AppendConnector(block, group);
      rtf.AppendText(block, line->ExactName);
      rtf.AppendText(block, line->Columns);
      rtf.AppendText(block, line->Mark);
    }
    block += "\\par\r\n";
    PassOnFull(block, sink);
  });
  block += "}\r\n";
  sink(block);
}

void WriteHtmlPre(const TLineContext& context, const TTextSink& sink, TLineRange range) {
  std::string block = "<pre>";
  std::string text;
  ForEachLine(context, range, [&](const TLineRecord* line, std::string_view plain) {
    text = plain;
    if (line != nullptr) {
      for (TPrefix::TGroup group : line->Groups) text += GroupUtf8(group);
      text += line->ExactName + line->Columns + line->Mark;
    }
    AppendHtmlEscaped(block, text, "<>&\"");
    block += "\r\n";
    PassOnFull(block, sink);
  });
  block += "</pre>";
  sink(block);
}

}  // namespace ramilux
