// The JSON listing's system needs on Win32: the offset with which the file search turned
// times into local time, and a time read again through the wide API.
#include <windows.h>

#include "json_system.h"
#include "wide_text.h"

namespace arbo {
namespace {

long long Ticks(const FILETIME& time) {
  return (static_cast<long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// 100-nanosecond ticks, rounded to the minute.
int Minutes(long long ticks) {
  return static_cast<int>((ticks + (ticks < 0 ? -300000000LL : 300000000LL)) / 600000000LL);
}

}  // namespace

// FileTimeToLocalFileTime, which the search uses, applies today's bias to every date, so
// the offset of every packed time is today's: each time is still its own instant.
TUtcOffsets UtcOffsetsOf(const ramilux::TDateTime&) {
  static const TUtcOffsets offsets = [] {
    TUtcOffsets today;
    FILETIME utc, local;
    GetSystemTimeAsFileTime(&utc);
    if (FileTimeToLocalFileTime(&utc, &local)) {
      today.Minutes[today.Count++] = Minutes(Ticks(local) - Ticks(utc));
    }
    return today;
  }();
  return offsets;
}

// The same conversion as the search's, for any year a FILETIME holds.
std::optional<TLocalInstant> ReadLocalTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  FILETIME local;
  SYSTEMTIME fields;
  // Long paths as well: the walk is not held to 260 characters.
  const bool prefixed = path.starts_with("\\\\?\\");
  const bool share = !prefixed && path.starts_with("\\\\");
  const std::wstring wide = (prefixed ? L""
                             : share  ? L"\\\\?\\UNC\\"
                                      : L"\\\\?\\") +
                            ramilux::ToWide(share ? path.substr(2) : path, CP_UTF8);
  if (!GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data) ||
      !FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) ||
      !FileTimeToSystemTime(&local, &fields)) {
    return std::nullopt;
  }
  TLocalInstant instant;
  instant.Local = {fields.wYear, fields.wMonth,  fields.wDay,
                   fields.wHour, fields.wMinute, fields.wSecond};
  instant.OffsetMinutes = Minutes(Ticks(local) - Ticks(data.ftLastWriteTime));
  return instant;
}

}  // namespace arbo
