// What the JSON listing needs from the operating system: the UTC offsets that go with a
// packed local time, and a file's time read again where the packed one cannot tell the
// instant. One implementation per platform (json_system_posix.cc, json_system_win32.cc).
#pragma once

#include <optional>
#include <string>

#include "ports.h"

namespace arbo {

// The offsets, in minutes east of UTC, of the instants whose local time is `when`, as the
// file search made it: one as a rule, two in the hour repeated when summer time ends,
// none when the platform cannot tell.
struct TUtcOffsets {
  int Count = 0;
  int Minutes[2] = {0, 0};
};
TUtcOffsets UtcOffsetsOf(const ramilux::TDateTime& when);

// A last-write time as the file system holds it, in local time with the offset of that
// very instant (any year, not only those of the packed dates).
struct TLocalInstant {
  ramilux::TDateTime Local;
  int OffsetMinutes = 0;
};
// Of the file or folder at `path` (a link's own time, as the search reads it); none when
// it cannot be read.
std::optional<TLocalInstant> ReadLocalTime(const std::string& path);

}  // namespace arbo
