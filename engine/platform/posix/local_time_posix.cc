// Packed local times by the offset of their UTC day, or by localtime_r where a day has none.
#include "local_time_posix.h"

#include <algorithm>
#include <cstdlib>

namespace ramilux {
namespace {

// Packs a local time as a DOS date (high word) and time (low word); 0 for the years the
// packed format cannot hold.
uint32_t PackFields(const struct tm& local) {
  const int year = local.tm_year + 1900;
  if (year < 1980 || year > 2107) return 0;
  const int second = local.tm_sec > 59 ? 59 : local.tm_sec;  // a leap second
  const uint32_t date =
      (uint32_t(year - 1980) << 9) | (uint32_t(local.tm_mon + 1) << 5) | uint32_t(local.tm_mday);
  const uint32_t time =
      (uint32_t(local.tm_hour) << 11) | (uint32_t(local.tm_min) << 5) | uint32_t(second / 2);
  return (date << 16) | time;
}

int64_t FloorDiv(int64_t a, int64_t b) {
  return a / b - (a % b != 0 && (a % b < 0));
}

// The calendar fields of `seconds` counted from 1970-01-01 00:00 without leap seconds.
struct tm FieldsOf(int64_t seconds) {
  const int64_t days = FloorDiv(seconds, 86400), inDay = seconds - days * 86400;
  const int64_t z = days + 719468, era = FloorDiv(z, 146097);
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  const int64_t month = mp < 10 ? mp + 3 : mp - 9;
  struct tm fields {};
  fields.tm_year = static_cast<int>(yoe + era * 400 + (month <= 2) - 1900);
  fields.tm_mon = static_cast<int>(month - 1);
  fields.tm_mday = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  fields.tm_hour = static_cast<int>(inDay / 3600);
  fields.tm_min = static_cast<int>(inDay / 60 % 60);
  fields.tm_sec = static_cast<int>(inDay % 60);
  return fields;
}

// The DOS date word of a day counted from 1970-01-01; 0 for the years the format cannot hold.
uint16_t DateWord(int64_t day) {
  return uint16_t(PackFields(FieldsOf(day * 86400)) >> 16);
}

bool SameFields(const struct tm& a, const struct tm& b) {
  return a.tm_year == b.tm_year && a.tm_mon == b.tm_mon && a.tm_mday == b.tm_mday &&
         a.tm_hour == b.tm_hour && a.tm_min == b.tm_min && a.tm_sec == b.tm_sec;
}

}  // namespace

uint32_t TLocalTimeCache::Pack(time_t when) {
  if (recheck_) CheckZone();
  const int64_t day = FloorDiv(when, 86400);
  if (day != lastDay_) {
    if (day < kFirstDay || day >= kLastDay) return Convert(when);
    TDay& slot = DaySlot(day - kFirstDay);
    if (slot.Shift == kUnknown) slot = DayOf(day);
    last_ = slot;
    lastDay_ = day;
  }
  if (last_.Shift == kUnusable) return Convert(when);
  uint32_t inDay = uint32_t(int64_t(when) - day * 86400 + last_.Shift);
  uint32_t date = last_.Dates[0];
  if (inDay >= 86400) {
    inDay -= 86400;
    date = last_.Dates[1];
  }
  if (date == 0) return 0;
  const uint32_t time = (inDay / 3600) << 11 | (inDay / 60 % 60) << 5 | (inDay % 60 / 2);
  return date << 16 | time;
}

// The days are kept in pages made when a day of theirs is first met: a tree's files span
// a few decades, not the 128 years the format holds, and every reading thread has a cache.
TLocalTimeCache::TDay& TLocalTimeCache::DaySlot(int64_t index) {
  if (days_.empty()) days_.resize((kLastDay - kFirstDay + kPageDays - 1) / kPageDays);
  std::unique_ptr<TDay[]>& page = days_[size_t(index / kPageDays)];
  if (!page) page = std::make_unique<TDay[]>(kPageDays);
  return page[size_t(index % kPageDays)];
}

void TLocalTimeCache::CheckZone() {
  recheck_ = false;
  const char* setting = std::getenv("TZ");
  bool changed = timezone != zone_ || (setting != nullptr) != zoneSet_ ||
                 (setting != nullptr && zoneSetting_ != setting);
  // Another thread's localtime_r sets tzname to null while it converts: a null name says
  // nothing of the zone, and taking it for a change emptied every reader's cache at almost
  // every folder of a walk read on several threads.
  const char* names[2] = {tzname[0], tzname[1]};
  for (int i = 0; i < 2; ++i) {
    if (names[i] == nullptr) names[i] = zoneNames_[i];
    changed = changed || names[i] != zoneNames_[i];
  }
  if (!changed) return;
  days_.clear();
  lastDay_ = kNoDay;
  zoneNames_[0] = names[0];
  zoneNames_[1] = names[1];
  zone_ = timezone;
  zoneSet_ = setting != nullptr;
  zoneSetting_ = setting != nullptr ? setting : "";
}

uint32_t TLocalTimeCache::Convert(time_t when) {
  struct tm local;
  return localtime_r(&when, &local) ? PackFields(local) : 0;
}

TLocalTimeCache::TDay TLocalTimeCache::DayOf(int64_t day) {
  TDay result;
  result.Shift = kUnusable;
  const time_t first = time_t(day * 86400), last = first + 86399;
  struct tm a, b;
  if (!localtime_r(&first, &a) || !localtime_r(&last, &b)) return result;
  if (a.tm_gmtoff != b.tm_gmtoff) return result;
  const int64_t offset = a.tm_gmtoff;
  const bool exact = SameFields(a, FieldsOf(int64_t(first) + offset)) &&
                     SameFields(b, FieldsOf(int64_t(last) + offset));
  if (!exact) return result;
  const int64_t localDay = FloorDiv(int64_t(first) + offset, 86400);
  result.Shift = static_cast<int32_t>(int64_t(first) + offset - localDay * 86400);
  result.Dates[0] = DateWord(localDay);
  result.Dates[1] = DateWord(localDay + 1);
  return result;
}

}  // namespace ramilux
