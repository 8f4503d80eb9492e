// The JSON listing's system needs on POSIX: names are UTF-8 bytes already, and the offset
// of a local time comes from the time zone's rules for that date.
#include <ctime>

#include "json_system.h"

namespace arbo {

std::string_view NameAsUtf8(std::string_view name, std::string&) {
  return name;
}

// The search packed the time with localtime_r, so mktime finds the same instant (in the
// hour repeated when summer time ends, either of the two).
std::optional<int> UtcOffsetMinutes(const ramilux::TDateTime& when) {
  struct tm local {};
  local.tm_year = when.Year - 1900;
  local.tm_mon = when.Month - 1;
  local.tm_mday = when.Day;
  local.tm_hour = when.Hour;
  local.tm_min = when.Minute;
  local.tm_sec = when.Second;
  local.tm_isdst = -1;
  const time_t instant = mktime(&local);
  struct tm back {};
  if (instant == time_t(-1) || localtime_r(&instant, &back) == nullptr) return std::nullopt;
  return static_cast<int>(back.tm_gmtoff / 60);
}

}  // namespace arbo
