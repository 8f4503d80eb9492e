// The JSON listing's system needs on Win32: names from the ANSI code page to UTF-8, and
// the offset with which the file search turned times into local time.
#include <windows.h>

#include "json_system.h"

namespace arbo {

std::string_view NameAsUtf8(std::string_view name, std::string& buffer) {
  buffer.clear();
  if (name.empty()) return buffer;
  const int wideLength = MultiByteToWideChar(CP_ACP, 0, name.data(), int(name.size()), nullptr, 0);
  std::wstring wide(size_t(wideLength > 0 ? wideLength : 0), L'\0');
  MultiByteToWideChar(CP_ACP, 0, name.data(), int(name.size()), wide.data(), wideLength);
  const int length =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), nullptr, 0, nullptr, nullptr);
  buffer.resize(size_t(length > 0 ? length : 0));
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), buffer.data(), length, nullptr,
                      nullptr);
  return buffer;
}

// FileTimeToLocalFileTime, which the search uses, applies today's bias to every date, so
// the offset of every packed time is today's.
std::optional<int> UtcOffsetMinutes(const ramilux::TDateTime&) {
  static const std::optional<int> offset = []() -> std::optional<int> {
    FILETIME utc, local;
    GetSystemTimeAsFileTime(&utc);
    if (!FileTimeToLocalFileTime(&utc, &local)) return std::nullopt;
    const auto ticks = [](const FILETIME& t) {
      return (static_cast<long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    // 100-nanosecond ticks, rounded to the minute.
    const long long difference = ticks(local) - ticks(utc);
    return static_cast<int>((difference + (difference < 0 ? -300000000LL : 300000000LL)) /
                            600000000LL);
  }();
  return offset;
}

}  // namespace arbo
