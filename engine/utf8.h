// UTF-8 as names may hold it: well-formed sequences told from the bytes that are none.
#pragma once

#include <cstddef>
#include <string_view>

namespace ramilux {

// The length of the well-formed UTF-8 sequence at the start of `text`; when there is
// none, 0 and in `bad` the length of the ill-formed part to replace (at least 1).
inline size_t WellFormedUtf8Length(std::string_view text, size_t& bad) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing beyond U+10FFFF
  } else {
    bad = 1;
    return 0;
  }
  for (size_t i = 1; i < length; ++i) {
    const bool inRange =
        i < text.size() && byte(i) >= (i == 1 ? low : 0x80) && byte(i) <= (i == 1 ? high : 0xBF);
    if (!inRange) {
      bad = i;
      return 0;
    }
  }
  return length;
}

// Whether the whole of `text` is well-formed UTF-8.
inline bool IsWellFormedUtf8(std::string_view text) {
  for (size_t bad = 0, length; !text.empty(); text.remove_prefix(length)) {
    length = WellFormedUtf8Length(text, bad);
    if (length == 0) return false;
  }
  return true;
}

}  // namespace ramilux
