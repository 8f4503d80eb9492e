// The pull reader: RFC 8259 values as the snapshot uses them (objects, arrays, strings,
// integers, true), strictly: no comments, no trailing commas, well-formed UTF-8 only.
#include "json_pull.h"

#include <limits>

#include "utf8.h"

namespace ramilux {

int TJsonPull::Peek() {
  if (at_ == size_) {
    if (ended_) return -1;
    offset_ += size_;
    in_.read(buffer_, sizeof buffer_);
    size_ = static_cast<size_t>(in_.gcount());
    at_ = 0;
    if (size_ == 0) {
      ended_ = true;
      if (in_.bad()) Fail("read error");
      return -1;
    }
  }
  return static_cast<unsigned char>(buffer_[at_]);
}

int TJsonPull::Next() {
  const int c = Peek();
  if (c >= 0) ++at_;
  return c;
}

int TJsonPull::Blank() {
  for (;;) {
    const int c = Peek();
    if (c != ' ' && c != '\n' && c != '\r' && c != '\t') return c;
    ++at_;
  }
}

void TJsonPull::Fail(const std::string& what) const {
  const bool truncated = ended_ && at_ == size_;
  throw TJsonFault(truncated, what + " (byte " + std::to_string(offset_ + at_) + ")");
}

void TJsonPull::Expect(char c) {
  if (Blank() != static_cast<unsigned char>(c)) Fail(std::string("'") + c + "' expected");
  ++at_;
}

bool TJsonPull::Accept(char c) {
  if (Blank() != static_cast<unsigned char>(c)) return false;
  ++at_;
  return true;
}

std::string TJsonPull::Member(bool first) {
  if (Accept('}')) return {};
  if (!first) Expect(',');
  std::string name = String();
  if (name.empty()) Fail("empty member name");
  Expect(':');
  return name;
}

unsigned TJsonPull::Hex4() {
  unsigned value = 0;
  for (int i = 0; i < 4; ++i) {
    const int c = Next();
    const int digit = c >= '0' && c <= '9'   ? c - '0'
                      : c >= 'a' && c <= 'f' ? c - 'a' + 10
                      : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                             : -1;
    if (digit < 0) Fail("bad \\u escape");
    value = value * 16 + unsigned(digit);
  }
  return value;
}

void TJsonPull::AppendEscape(std::string& out) {
  const int c = Next();
  switch (c) {
    case '"':
    case '\\':
    case '/':
      out += char(c);
      return;
    case 'b':
      out += '\b';
      return;
    case 'f':
      out += '\f';
      return;
    case 'n':
      out += '\n';
      return;
    case 'r':
      out += '\r';
      return;
    case 't':
      out += '\t';
      return;
    case 'u':
      break;
    default:
      Fail("bad escape");
  }
  unsigned code = Hex4();
  if (code >= 0xDC00 && code <= 0xDFFF) Fail("lone surrogate");
  if (code >= 0xD800 && code <= 0xDBFF) {
    if (Next() != '\\' || Next() != 'u') Fail("lone surrogate");
    const unsigned low = Hex4();
    if (low < 0xDC00 || low > 0xDFFF) Fail("lone surrogate");
    code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
  }
  if (code < 0x80) {
    out += char(code);
  } else if (code < 0x800) {
    out += char(0xC0 | (code >> 6));
    out += char(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += char(0xE0 | (code >> 12));
    out += char(0x80 | ((code >> 6) & 0x3F));
    out += char(0x80 | (code & 0x3F));
  } else {
    out += char(0xF0 | (code >> 18));
    out += char(0x80 | ((code >> 12) & 0x3F));
    out += char(0x80 | ((code >> 6) & 0x3F));
    out += char(0x80 | (code & 0x3F));
  }
}

std::string TJsonPull::String() {
  // A name, a path or a reason: longer than this is no snapshot's.
  constexpr size_t kLongest = 1 << 24;
  Expect('"');
  std::string out;
  size_t checked = 0;  // bytes up to here are known to be well-formed UTF-8
  const auto check = [&] {
    while (checked < out.size()) {
      size_t bad = 0;
      const size_t length = WellFormedUtf8Length(std::string_view(out).substr(checked), bad);
      if (length == 0) Fail("string not UTF-8");
      checked += length;
    }
  };
  for (;;) {
    const int c = Next();
    if (c < 0) Fail("unterminated string");
    if (c == '"') break;
    if (c < 0x20) Fail("control character in a string");
    if (c == '\\') {
      check();
      AppendEscape(out);
      checked = out.size();
    } else {
      out += char(c);
    }
    if (out.size() > kLongest) Fail("string too long");
  }
  check();
  return out;
}

int64_t TJsonPull::Integer() {
  Blank();
  bool negative = Accept('-');
  int c = Peek();
  if (c < '0' || c > '9') Fail("integer expected");
  uint64_t value = 0;
  const uint64_t limit = uint64_t(std::numeric_limits<int64_t>::max()) + (negative ? 1 : 0);
  bool first = true;
  while (c >= '0' && c <= '9') {
    if (!first && value == 0) Fail("leading zero");
    first = false;
    if (value > (limit - unsigned(c - '0')) / 10) Fail("integer too large");
    value = value * 10 + unsigned(c - '0');
    ++at_;
    c = Peek();
  }
  if (c == '.' || c == 'e' || c == 'E') Fail("integer expected");
  return negative ? int64_t(0 - value) : int64_t(value);
}

bool TJsonPull::Boolean() {
  const int c = Blank();
  const std::string_view word = c == 't' ? "true" : "false";
  for (char expected : word) {
    if (Next() != static_cast<unsigned char>(expected)) Fail("true or false expected");
  }
  return c == 't';
}

void TJsonPull::End() {
  if (Blank() >= 0) Fail("text after the document");
}

}  // namespace ramilux
