// JSON string contents: escapes, U+FFFD for stray bytes, and the exact bytes in hex.
#include "json_text.h"

#include <cstdio>

#include "utf8.h"

namespace ramilux {
namespace {

constexpr std::string_view kReplacement = "\uFFFD";

void AppendEscaped(std::string& out, unsigned char c) {
  switch (c) {
    case '"':
      out += "\\\"";
      return;
    case '\\':
      out += "\\\\";
      return;
    case '\b':
      out += "\\b";
      return;
    case '\f':
      out += "\\f";
      return;
    case '\n':
      out += "\\n";
      return;
    case '\r':
      out += "\\r";
      return;
    case '\t':
      out += "\\t";
      return;
  }
  char code[8];
  std::snprintf(code, sizeof code, "\\u%04x", c);
  out += code;
}

}  // namespace

void AppendJsonString(std::string& out, std::string_view text) {
  while (!text.empty()) {
    size_t bad = 0;
    const size_t length = WellFormedUtf8Length(text, bad);
    if (length == 0) {
      // One mark a byte, as the text listing shows it.
      out += kReplacement;
      text.remove_prefix(1);
      continue;
    }
    const unsigned char c = static_cast<unsigned char>(text[0]);
    if (length == 1 && (c < 0x20 || c == '"' || c == '\\')) {
      AppendEscaped(out, c);
    } else {
      out.append(text.substr(0, length));
    }
    text.remove_prefix(length);
  }
}

void AppendJsonQuoted(std::string& out, std::string_view text) {
  out += '"';
  AppendJsonString(out, text);
  out += '"';
}

void AppendBytesField(std::string& out, std::string_view field, std::string_view text) {
  if (IsWellFormedUtf8(text)) return;
  static constexpr char kDigits[] = "0123456789abcdef";
  out += ", \"";
  out += field;
  out += "\": \"";
  for (const char c : text) {
    out += kDigits[static_cast<unsigned char>(c) >> 4];
    out += kDigits[c & 0xF];
  }
  out += '"';
}

}  // namespace ramilux
