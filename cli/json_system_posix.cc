// The JSON listing's system needs on POSIX: the offsets of a local time come from the time
// zone's rules around that date, and a time read again comes from lstat.
#include <fcntl.h>
#include <sys/stat.h>

#include <climits>
#include <ctime>
#include <unordered_map>

#include "calendar_fields.h"
#include "json_system.h"

namespace arbo {
namespace {

long OffsetAt(time_t instant) {
  struct tm local {};
  return localtime_r(&instant, &local) != nullptr ? local.tm_gmtoff : LONG_MIN;
}

// An instant whose local time is `when` is the time read as UTC less the offset of that
// instant. The offsets in force a day before and a day after are the candidates: a
// candidate that holds at its own instant is one answer. Two answers are the hour repeated
// when summer time ends; mktime would give one of them only.
TUtcOffsets FindOffsets(const ramilux::TDateTime& when) {
  struct tm fields = ramilux::CalendarFields(when);
  const time_t asUtc = timegm(&fields);
  TUtcOffsets offsets;
  for (const time_t around : {asUtc - 86400, asUtc + 86400}) {
    const long offset = OffsetAt(around);
    if (offset == LONG_MIN || OffsetAt(asUtc - offset) != offset) continue;
    const int minutes = static_cast<int>(offset / 60);
    if (offsets.Count == 1 && offsets.Minutes[0] == minutes) continue;
    offsets.Minutes[offsets.Count++] = minutes;
  }
  return offsets;
}

}  // namespace

// Remembered by the minute (offsets change on whole minutes): the time zone rules cost a
// few conversions, and the files of one tree share few distinct minutes.
TUtcOffsets UtcOffsetsOf(const ramilux::TDateTime& when) {
  static std::unordered_map<int64_t, TUtcOffsets> offsets;
  const int64_t minute =
      (((int64_t(when.Year) * 13 + when.Month) * 32 + when.Day) * 24 + when.Hour) * 60 +
      when.Minute;
  auto [at, added] = offsets.try_emplace(minute);
  if (added) at->second = FindOffsets(when);
  return at->second;
}

std::optional<TLocalInstant> ReadLocalTime(const std::string& path) {
  struct stat status;
  struct tm local {};
  if (fstatat(AT_FDCWD, path.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0 ||
      localtime_r(&status.st_mtim.tv_sec, &local) == nullptr) {
    return std::nullopt;
  }
  TLocalInstant instant;
  instant.Local = {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                   local.tm_hour,        local.tm_min,     local.tm_sec > 59 ? 59 : local.tm_sec};
  instant.OffsetMinutes = static_cast<int>(local.tm_gmtoff / 60);
  return instant;
}

}  // namespace arbo
