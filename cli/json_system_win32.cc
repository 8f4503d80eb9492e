// The JSON listing's system needs on Win32: the offset with which the file search turned
// times into local time.
#include <windows.h>

#include "json_system.h"

namespace arbo {

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
