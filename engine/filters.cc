// The file filters: the mask list and its wildcard matching, the size threshold and the
// size test. Masks and names arrive lower-cased; matching is then exact, byte for byte.
#include <algorithm>
#include <cstdint>
#include <optional>

#include "listing.h"

namespace ramilux {
namespace {

// Bytes 0 to 32 (control characters and the space) count as blanks around a mask.
std::string_view TrimBlanks(std::string_view text) {
  auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

// Length in bytes of the character that starts at text[0]. Under UTF-8 a character is a
// whole sequence; a stray or cut-off byte counts as one character of its own.
size_t CharLength(std::string_view text, TEncoding encoding) {
  if (encoding == TEncoding::Ansi) return 1;
  unsigned char lead = static_cast<unsigned char>(text[0]);
  size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF8 ? 4 : 1;
  if (length > text.size()) return 1;
  for (size_t i = 1; i < length; ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) return 1;
  }
  return length;
}

size_t CharCount(std::string_view text, TEncoding encoding) {
  if (encoding == TEncoding::Ansi) return text.size();
  size_t count = 0;
  for (size_t i = 0; i < text.size(); i += CharLength(text.substr(i), encoding)) ++count;
  return count;
}

// Whether the byte at `index` may belong to the character before it: only a UTF-8
// continuation byte can, and only when the characters are counted can it be told. The
// start and the end of the text are always between characters.
bool ContinuesCharacter(std::string_view text, size_t index, TEncoding encoding) {
  return encoding == TEncoding::Utf8 && index > 0 && index < text.size() &&
         (static_cast<unsigned char>(text[index]) & 0xC0) == 0x80;
}

// The text without its first `count` characters.
std::string_view SkipChars(std::string_view text, size_t count, TEncoding encoding) {
  while (count-- > 0 && !text.empty()) text.remove_prefix(CharLength(text, encoding));
  return text;
}

// A name part against a pattern part without a star, character by character: "?" takes
// any one character, every other character must be the same bytes. Both hold `count`
// characters at least; only the first `count` are compared.
bool MatchChars(std::string_view name, std::string_view pattern, size_t count, TEncoding encoding) {
  for (; count > 0; --count) {
    size_t nameChar = CharLength(name, encoding);
    size_t patternChar = CharLength(pattern, encoding);
    if (pattern[0] != '?' && name.substr(0, nameChar) != pattern.substr(0, patternChar)) {
      return false;
    }
    name.remove_prefix(nameChar);
    pattern.remove_prefix(patternChar);
  }
  return true;
}

// The strict integer conversion of the size edit: leading spaces, then a signed decimal
// number or an unsigned hexadecimal one ("$", "x", "X", "0x", "0X"), nothing after it.
// Hexadecimal values are 32-bit two's complement numbers: FFFFFFFF is -1.
std::optional<int32_t> StrictToInt32(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  bool hex = false;
  if (!text.empty() && (text.front() == '$' || text.front() == 'x' || text.front() == 'X')) {
    hex = true;
    text.remove_prefix(1);
  } else if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    hex = true;
    text.remove_prefix(2);
  }
  bool negative = false;
  if (!hex && !text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  uint64_t value = 0;
  const uint64_t limit = hex ? 0xFFFFFFFFull : negative ? 2147483648ull : 2147483647ull;
  for (char c : text) {
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (hex && c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (hex && c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return std::nullopt;
    }
    value = value * (hex ? 16 : 10) + digit;
    if (value > limit) return std::nullopt;
  }
  if (hex) return static_cast<int32_t>(static_cast<uint32_t>(value));
  return static_cast<int32_t>(negative ? -static_cast<int64_t>(value)
                                       : static_cast<int64_t>(value));
}

}  // namespace

void TListing::BuildMaskList(std::string text) {
  FMasks.clear();
  // An empty text means every file; a text of blanks is not empty and lists no file.
  if (text.empty()) text = "*";
  text_.Lower(text);
  std::string_view rest = text;
  if (rest.find(';') == std::string_view::npos) {
    FMasks.emplace_back(TrimBlanks(rest));
    return;
  }
  for (size_t semicolon; (semicolon = rest.find(';')) != std::string_view::npos;) {
    std::string_view mask = TrimBlanks(rest.substr(0, semicolon));
    if (!mask.empty()) FMasks.emplace_back(mask);
    rest.remove_prefix(semicolon + 1);
  }
  std::string_view last = TrimBlanks(rest);
  if (!last.empty()) FMasks.emplace_back(last);
}

bool MatchPart(std::string_view name, std::string_view pattern, TEncoding encoding) {
  if (pattern == "*") return true;
  size_t star = pattern.find('*');
  std::string_view head = pattern.substr(0, star);
  std::string_view tail = star == std::string_view::npos ? "" : pattern.substr(star + 1);
  if (pattern.find('?') == std::string_view::npos) {
    // Without "?" every character stands for itself: whole characters compare equal
    // exactly when their bytes do, so the bytes decide without counting characters.
    if (star == std::string_view::npos) return name == pattern;
    // The star needs at least one character between the head and the tail.
    if (tail.find('*') != std::string_view::npos || name.size() <= head.size() + tail.size() ||
        !name.starts_with(head) || !name.ends_with(tail)) {
      return false;
    }
    // ...provided the head ends and the tail starts where a character of the name does:
    // "*\x84" must not take the last byte of "a\xD8\x84". A byte that continues no
    // character starts one; otherwise the characters are counted below.
    if (!ContinuesCharacter(name, head.size(), encoding) &&
        !ContinuesCharacter(name, name.size() - tail.size(), encoding)) {
      return true;
    }
  }
  size_t patternChars = CharCount(pattern, encoding);
  size_t nameChars = CharCount(name, encoding);
  // A star counts as one character: it covers at least one.
  if (patternChars > nameChars) return false;
  if (star == std::string_view::npos) {
    return patternChars == nameChars && MatchChars(name, pattern, nameChars, encoding);
  }
  if (tail.find('*') != std::string_view::npos) return false;
  size_t headChars = CharCount(head, encoding);
  size_t tailChars = patternChars - headChars - 1;
  return MatchChars(name, head, headChars, encoding) &&
         MatchChars(SkipChars(name, nameChars - tailChars, encoding), tail, tailChars, encoding);
}

bool TListing::MatchMask(std::string_view lowerName, std::string_view mask) const {
  if (mask == "*" || mask == "*.*") return true;
  TEncoding encoding = text_.Encoding();
  size_t maskDot = mask.find('.');
  if (maskDot == std::string_view::npos) return MatchPart(lowerName, mask, encoding);
  size_t nameDot = lowerName.find('.');
  if (nameDot == std::string_view::npos) return false;
  // Split both at their first dot; the extension decides first.
  return MatchPart(lowerName.substr(nameDot + 1), mask.substr(maskDot + 1), encoding) &&
         MatchPart(lowerName.substr(0, nameDot), mask.substr(0, maskDot), encoding);
}

bool TListing::MatchesAnyMask(std::string_view lowerName) const {
  for (const std::string& mask : FMasks) {
    if (MatchMask(lowerName, mask)) return true;
  }
  return false;
}

void TListing::SetExcludeMasks(std::string text) {
  FWalkLimits.ExcludeMasks.clear();
  text_.Lower(text);
  std::string_view rest = text;
  while (!rest.empty()) {
    const size_t semicolon = std::min(rest.find(';'), rest.size());
    std::string_view mask = TrimBlanks(rest.substr(0, semicolon));
    if (!mask.empty()) FWalkLimits.ExcludeMasks.emplace_back(mask);
    rest.remove_prefix(std::min(semicolon + 1, rest.size()));
  }
}

bool TListing::Excluded(std::string_view lowerName) const {
  for (const std::string& mask : FWalkLimits.ExcludeMasks) {
    if (MatchMask(lowerName, mask)) return true;
  }
  return false;
}

void TListing::SetMinSize(const std::string& text) {
  sizeFilterOn_ = true;
  std::optional<int32_t> kilobytes = StrictToInt32(text);
  if (!kilobytes) {
    FMinSize = 0;
    options_.SetMinSizeText("0");
    return;
  }
  // In 64 bits: kilobyte counts beyond 2097151 stay exact instead of wrapping around.
  FMinSize = static_cast<int64_t>(*kilobytes) * 1024;
}

void TListing::ClearMinSize() {
  sizeFilterOn_ = false;
  FMinSize = 0;
}

bool TListing::PassesSizeFilter(int64_t size) {
  if (!sizeFilterOn_) return true;
  // The direction is read at every test: a change during the walk counts from then on.
  return options_.HigherSelected() ? size >= FMinSize : size <= FMinSize;
}

}  // namespace ramilux
