// What the JSON listing needs from the operating system: names as UTF-8, and the UTC
// offset that goes with a packed local time. One implementation per platform
// (json_system_posix.cc, json_system_win32.cc).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "ports.h"

namespace arbo {

// `name` as UTF-8: itself where names are UTF-8 already, else converted from the ANSI
// code page into `buffer`. Bytes that are no UTF-8 may remain; the writer replaces them.
std::string_view NameAsUtf8(std::string_view name, std::string& buffer);

// Minutes east of UTC of the local time `when`, as the file search made it; none when
// the platform cannot tell.
std::optional<int> UtcOffsetMinutes(const ramilux::TDateTime& when);

}  // namespace arbo
