// What the JSON listing needs from the operating system: the UTC offset that goes with a
// packed local time. One implementation per platform (json_system_posix.cc,
// json_system_win32.cc).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "ports.h"

namespace arbo {

// Minutes east of UTC of the local time `when`, as the file search made it; none when
// the platform cannot tell.
std::optional<int> UtcOffsetMinutes(const ramilux::TDateTime& when);

}  // namespace arbo
