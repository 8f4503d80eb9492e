// A locale's date or time format (the C library's strftime notation, as nl_langinfo gives
// it), compiled once so that formatting one listing line costs no library call.
#pragma once

#include <locale.h>

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "calendar_fields.h"
#include "ports.h"

namespace ramilux {

class TTimeFormat {
 public:
  // `locale` must outlive the format; it serves AM/PM and the rare conversions that are
  // handed to strftime_l.
  TTimeFormat(std::string_view format, locale_t locale);
  std::string Format(const TDateTime& when) const;

 private:
  enum class TField {
    Literal,
    Day,
    DaySpaced,
    Month,
    Year,
    Year2,
    Hour24,
    Hour12,
    Minute,
    Second,
    AmPm,
    Other
  };
  struct TPiece {
    TField Field;
    std::string Text;  // the literal, or the conversion handed to strftime_l
  };

  void Compile(std::string_view format, int depth);
  void AddLiteral(std::string_view text);
  std::string FormatOther(const std::string& conversion, const TDateTime& when) const;

  std::vector<TPiece> pieces_;
  locale_t locale_;
  std::string am_, pm_;
};

}  // namespace ramilux
