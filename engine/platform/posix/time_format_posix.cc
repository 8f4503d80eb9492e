// Compiles a strftime format into pieces: the numeric fields a listing needs are written
// here, anything unusual (names of months, flags, eras) goes to strftime_l.
#include "time_format_posix.h"

#include <langinfo.h>

#include <ctime>

namespace ramilux {
namespace {

constexpr int kMaxNesting = 4;  // %r may name a format that holds %T, and so on

void AppendTwoDigits(std::string& out, int value, char pad) {
  out += value < 10 ? pad : char('0' + value / 10 % 10);
  out += char('0' + value % 10);
}

// Day of the week, 0 = Sunday (Sakamoto's method).
int WeekDay(int year, int month, int day) {
  static constexpr int kOffsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  if (month < 3) year -= 1;
  return (year + year / 4 - year / 100 + year / 400 + kOffsets[(month + 11) % 12] + day) % 7;
}

int YearDay(int year, int month, int day) {
  static constexpr int kBefore[] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return kBefore[(month + 11) % 12] + day - 1 + (leap && month > 2 ? 1 : 0);
}

}  // namespace

TTimeFormat::TTimeFormat(std::string_view format, locale_t locale)
    : locale_(locale), am_(nl_langinfo_l(AM_STR, locale)), pm_(nl_langinfo_l(PM_STR, locale)) {
  Compile(format, 0);
}

void TTimeFormat::AddLiteral(std::string_view text) {
  if (!pieces_.empty() && pieces_.back().Field == TField::Literal) {
    pieces_.back().Text += text;
  } else {
    pieces_.push_back({TField::Literal, std::string(text)});
  }
}

void TTimeFormat::Compile(std::string_view format, int depth) {
  size_t i = 0;
  while (i < format.size()) {
    const size_t percent = format.find('%', i);
    AddLiteral(format.substr(i, percent - i));
    if (percent == std::string_view::npos) return;
    // A conversion: flags, width and an E/O modifier make it one for strftime_l.
    size_t end = percent + 1;
    while (end < format.size() &&
           std::string_view("_-0^#").find(format[end]) != std::string_view::npos)
      ++end;
    while (end < format.size() && format[end] >= '0' && format[end] <= '9') ++end;
    if (end < format.size() && (format[end] == 'E' || format[end] == 'O')) ++end;
    if (end >= format.size()) {
      AddLiteral(format.substr(percent));
      return;
    }
    const std::string_view conversion = format.substr(percent, end + 1 - percent);
    i = end + 1;
    if (conversion.size() > 2) {
      pieces_.push_back({TField::Other, std::string(conversion)});
      continue;
    }
    auto nested = [&](std::string_view inner) {
      if (depth < kMaxNesting) {
        Compile(inner, depth + 1);
      } else {
        pieces_.push_back({TField::Other, std::string(conversion)});
      }
    };
    switch (conversion[1]) {
      case 'd':
        pieces_.push_back({TField::Day, {}});
        break;
      case 'e':
        pieces_.push_back({TField::DaySpaced, {}});
        break;
      case 'm':
        pieces_.push_back({TField::Month, {}});
        break;
      case 'Y':
        pieces_.push_back({TField::Year, {}});
        break;
      case 'y':
        pieces_.push_back({TField::Year2, {}});
        break;
      case 'H':
        pieces_.push_back({TField::Hour24, {}});
        break;
      case 'I':
        pieces_.push_back({TField::Hour12, {}});
        break;
      case 'M':
        pieces_.push_back({TField::Minute, {}});
        break;
      case 'S':
        pieces_.push_back({TField::Second, {}});
        break;
      case 'p':
        pieces_.push_back({TField::AmPm, {}});
        break;
      case '%':
        AddLiteral("%");
        break;
      case 'n':
        AddLiteral("\n");
        break;
      case 't':
        AddLiteral("\t");
        break;
      case 'D':
        nested("%m/%d/%y");
        break;
      case 'F':
        nested("%Y-%m-%d");
        break;
      case 'T':
        nested("%H:%M:%S");
        break;
      case 'R':
        nested("%H:%M");
        break;
      case 'r':
        nested(nl_langinfo_l(T_FMT_AMPM, locale_));
        break;
      case 'x':
        nested(nl_langinfo_l(D_FMT, locale_));
        break;
      case 'X':
        nested(nl_langinfo_l(T_FMT, locale_));
        break;
      default:
        pieces_.push_back({TField::Other, std::string(conversion)});
        break;
    }
  }
}

std::string TTimeFormat::Format(const TDateTime& when) const {
  std::string out;
  for (const TPiece& piece : pieces_) {
    switch (piece.Field) {
      case TField::Literal:
        out += piece.Text;
        break;
      case TField::Day:
        AppendTwoDigits(out, when.Day, '0');
        break;
      case TField::DaySpaced:
        AppendTwoDigits(out, when.Day, ' ');
        break;
      case TField::Month:
        AppendTwoDigits(out, when.Month, '0');
        break;
      case TField::Year:
        out += std::to_string(when.Year);
        break;
      case TField::Year2:
        AppendTwoDigits(out, when.Year % 100, '0');
        break;
      case TField::Hour24:
        AppendTwoDigits(out, when.Hour, '0');
        break;
      case TField::Hour12:
        AppendTwoDigits(out, when.Hour % 12 == 0 ? 12 : when.Hour % 12, '0');
        break;
      case TField::Minute:
        AppendTwoDigits(out, when.Minute, '0');
        break;
      case TField::Second:
        AppendTwoDigits(out, when.Second, '0');
        break;
      case TField::AmPm:
        out += when.Hour < 12 ? am_ : pm_;
        break;
      case TField::Other:
        out += FormatOther(piece.Text, when);
        break;
    }
  }
  return out;
}

std::string TTimeFormat::FormatOther(const std::string& conversion, const TDateTime& when) const {
  struct tm fields = CalendarFields(when);
  fields.tm_wday = WeekDay(when.Year, when.Month, when.Day);
  fields.tm_yday = YearDay(when.Year, when.Month, when.Day);
  char buffer[128];
  const size_t length = strftime_l(buffer, sizeof buffer, conversion.c_str(), &fields, locale_);
  return std::string(buffer, length);
}

}  // namespace ramilux
