// A last-write time packed as the file search reports it: the DOS date word (years since
// 1980, month, day) high, the time word (hour, minute, seconds halved) low.
#pragma once

#include <cstdint>

namespace ramilux::test {

constexpr uint32_t Packed(int year, int month, int day, int hour, int minute, int second) {
  return uint32_t(year - 1980) << 25 | uint32_t(month) << 21 | uint32_t(day) << 16 |
         uint32_t(hour) << 11 | uint32_t(minute) << 5 | uint32_t(second / 2);
}

}  // namespace ramilux::test
