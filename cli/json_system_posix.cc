// The JSON listing's system needs on POSIX: the offset of a local time comes from the time
// zone's rules for that date.
#include <ctime>
#include <unordered_map>

#include "json_system.h"
#include "posix/time_format_posix.h"

namespace arbo {

namespace {

// The search packed the time with localtime_r, so mktime finds the same instant (in the
// hour repeated when summer time ends, either of the two).
std::optional<int> OffsetByMktime(const ramilux::TDateTime& when) {
  struct tm local = ramilux::CalendarFields(when);
  const time_t instant = mktime(&local);
  struct tm back {};
  if (instant == time_t(-1) || localtime_r(&instant, &back) == nullptr) return std::nullopt;
  return static_cast<int>(back.tm_gmtoff / 60);
}

}  // namespace

// Remembered by the minute: glibc's mktime looks at the time zone file on every call,
// and the files of one tree share few distinct minutes.
std::optional<int> UtcOffsetMinutes(const ramilux::TDateTime& when) {
  static std::unordered_map<int64_t, std::optional<int>> offsets;
  const int64_t minute =
      (((int64_t(when.Year) * 13 + when.Month) * 32 + when.Day) * 24 + when.Hour) * 60 +
      when.Minute;
  auto [at, added] = offsets.try_emplace(minute);
  if (added) at->second = OffsetByMktime(when);
  return at->second;
}

}  // namespace arbo
