// Conversions between the engine's byte strings (ANSI code page or UTF-8) and the wide
// strings of the Win32 API.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "ports.h"

namespace ramilux {

inline UINT CodePageOf(TEncoding encoding) {
  return encoding == TEncoding::Utf8 ? CP_UTF8 : CP_ACP;
}

inline std::wstring ToWide(std::string_view text, UINT codePage) {
  if (text.empty()) return {};
  const int length = MultiByteToWideChar(codePage, 0, text.data(), int(text.size()), nullptr, 0);
  std::wstring wide(size_t(length > 0 ? length : 0), L'\0');
  if (length > 0) {
    MultiByteToWideChar(codePage, 0, text.data(), int(text.size()), wide.data(), length);
  }
  return wide;
}

// In the ANSI code page, characters it lacks take their best fit ("Ł" as "L") or "?".
inline std::string FromWide(std::wstring_view text, UINT codePage) {
  if (text.empty()) return {};
  const int length =
      WideCharToMultiByte(codePage, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
  std::string narrow(size_t(length > 0 ? length : 0), '\0');
  if (length > 0) {
    WideCharToMultiByte(codePage, 0, text.data(), int(text.size()), narrow.data(), length, nullptr,
                        nullptr);
  }
  return narrow;
}

}  // namespace ramilux
