// Conversions between the engine's byte strings (ANSI code page or UTF-8) and the wide
// strings of the Win32 API.
#pragma once

#include <windows.h>

#include <algorithm>
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

// A name as the engine holds it in `codePage`. Under ANSI a name the code page cannot
// hold exactly is shown as Windows shows it to ANSI programs ("Łódź" as "Lódz") and keeps
// its exact form (UTF-8) after a NUL, so that the walk enters that very folder and two
// names that show alike stay apart.
inline std::string EngineName(std::wstring_view wide, UINT codePage) {
  std::string out;
  if (std::all_of(wide.begin(), wide.end(), [](wchar_t c) { return c < 0x80; })) {
    for (wchar_t c : wide) out += char(c);
    return out;
  }
  out = FromWide(wide, codePage);
  if (codePage == CP_UTF8 || ToWide(out, codePage) == wide) return out;
  out += '\0';
  out += FromWide(wide, CP_UTF8);
  return out;
}

// A whole path, folder by folder, as EngineName gives each name.
inline std::string EnginePath(std::wstring_view path, UINT codePage) {
  std::string out;
  for (size_t begin = 0;;) {
    size_t end = path.find(L'\\', begin);
    if (end == std::wstring_view::npos) end = path.size();
    out += EngineName(path.substr(begin, end - begin), codePage);
    if (end == path.size()) return out;
    out += '\\';
    begin = end + 1;
  }
}

}  // namespace ramilux
