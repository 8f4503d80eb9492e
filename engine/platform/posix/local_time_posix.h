// Last-write times as packed local DOS date-times on POSIX, with the local offset of each
// UTC day kept, so that most files cost arithmetic rather than a time zone conversion.
#pragma once

#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

namespace ramilux {

// The local offset of each UTC day met, so that most files cost arithmetic rather than a
// time zone conversion: a million files share some ten thousand days. A day is kept only
// when its first and last second convert by that one offset exactly (no change of offset
// and no leap second inside it); any other day, and any day the packed format cannot hold,
// goes back to localtime_r, and a change of time zone (TZ, tzset) empties the cache.
class TLocalTimeCache {
 public:
  // The zone is looked at again at the next time asked for: once a folder, since reading
  // the environment for every file would cost as much as the conversion saved.
  void Recheck() { recheck_ = true; }

  // Packed DOS date (high word) and time (low word); 0 for the years the format cannot hold.
  uint32_t Pack(time_t when);

 private:
  // A day either side of the years the format holds, whatever the offset.
  static constexpr int64_t kFirstDay = 3651, kLastDay = 50519;  // 1979-12-31 to 2108-04-25
  static constexpr int32_t kUnknown = INT32_MIN, kUnusable = INT32_MIN + 1;

  void CheckZone();
  static uint32_t Convert(time_t when);
  static int32_t OffsetOf(int64_t day);

  static constexpr int64_t kPageDays = 1024;
  int32_t& OffsetSlot(int64_t index);

  // By day from kFirstDay, in pages of kPageDays days, filled on demand.
  std::vector<std::unique_ptr<int32_t[]>> offsets_;
  const char* zoneNames_[2] = {nullptr, nullptr};
  long zone_ = 0;
  bool zoneSet_ = false;
  std::string zoneSetting_;  // TZ when the offsets were found
  bool recheck_ = true;
};

}  // namespace ramilux
