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
  static constexpr int64_t kNoDay = INT64_MIN;

  // What a UTC day's times need: the day's local times fall on at most two local dates.
  // A time `s` seconds into the UTC day is `s + Shift` seconds into the first of them;
  // past its end, into the second. A date word of 0 is a year the format cannot hold.
  struct TDay {
    int32_t Shift = kUnknown;  // or kUnusable: such a day goes through localtime_r
    uint16_t Dates[2] = {0, 0};
  };

  void CheckZone();
  static uint32_t Convert(time_t when);
  static TDay DayOf(int64_t day);

  static constexpr int64_t kPageDays = 1024;
  TDay& DaySlot(int64_t index);

  // By day from kFirstDay, in pages of kPageDays days, filled on demand.
  std::vector<std::unique_ptr<TDay[]>> days_;
  // The day asked for last: the files of a folder are often of one day.
  int64_t lastDay_ = kNoDay;
  TDay last_;
  const char* zoneNames_[2] = {nullptr, nullptr};
  long zone_ = 0;
  bool zoneSet_ = false;
  std::string zoneSetting_;  // TZ when the offsets were found
  bool recheck_ = true;
};

}  // namespace ramilux
