// A listing's date and time as the C library's calendar fields, for the POSIX time
// formats and for arbo's offsets of local times.
#pragma once

#include <ctime>

#include "ports.h"

namespace ramilux {

// The calendar fields of `when` as the C library takes them, daylight saving time left
// for the library to find.
inline struct tm CalendarFields(const TDateTime& when) {
  struct tm fields {};
  fields.tm_year = when.Year - 1900;
  fields.tm_mon = when.Month - 1;
  fields.tm_mday = when.Day;
  fields.tm_hour = when.Hour;
  fields.tm_min = when.Minute;
  fields.tm_sec = when.Second;
  fields.tm_isdst = -1;
  return fields;
}

}  // namespace ramilux
