// The size and date columns: integer formatting and the per-output tables of dates and
// times of day.
#include "columns.h"

namespace ramilux {
namespace {

bool IsLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

void AppendDecimal(std::string& out, uint64_t value) {
  char digits[20];
  size_t n = 0;
  do {
    digits[n++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  while (n > 0) out += digits[--n];
}

// "0 dossier", "1 fichier", "2 fichiers": French keeps the singular up to one.
void AppendCount(std::string& out, uint64_t count, std::string_view noun) {
  AppendDecimal(out, count);
  out += ' ';
  out += noun;
  if (count > 1) out += 's';
}

}  // namespace

bool DecodePackedTime(uint32_t time, TDateTime& when) {
  when.Year = 1980 + static_cast<int>(time >> 25);
  when.Month = static_cast<int>((time >> 21) & 0x0F);
  when.Day = static_cast<int>((time >> 16) & 0x1F);
  when.Hour = static_cast<int>((time >> 11) & 0x1F);
  when.Minute = static_cast<int>((time >> 5) & 0x3F);
  when.Second = static_cast<int>(time & 0x1F) * 2;
  return when.Month >= 1 && when.Month <= 12 && when.Day >= 1 &&
         when.Day <= DaysInMonth(when.Year, when.Month) && when.Hour <= 23 && when.Minute <= 59 &&
         when.Second <= 59;
}

void AppendSizeText(std::string& out, int64_t size, std::string_view decimalSeparator) {
  // 128 bytes (0.125 Ko) give 0,13, which a binary double would round down.
  uint64_t bytes = size < 0 ? 0 - static_cast<uint64_t>(size) : static_cast<uint64_t>(size);
  uint64_t whole = bytes / 1024;
  uint64_t hundredths = ((bytes % 1024) * 100 + 512) / 1024;
  if (hundredths == 100) {
    ++whole;
    hundredths = 0;
  }
  if (size < 0 && (whole != 0 || hundredths != 0)) out += '-';
  AppendDecimal(out, whole);
  out += decimalSeparator;
  out += static_cast<char>('0' + hundredths / 10);
  out += static_cast<char>('0' + hundredths % 10);
}

void TColumnTexts::AppendTotals(std::string& out, const TFolderTotals& totals) const {
  if (totals.Incomplete) out += "au moins ";
  AppendSize(out, totals.Size);
  out += " Ko  ";
  AppendCount(out, totals.Files, "fichier");
  out += "  ";
  AppendCount(out, totals.Folders, "dossier");
}

template <typename TFormat>
std::string_view TColumnTexts::TTextTable::Get(uint16_t key, TFormat format) {
  if (where_.empty()) {
    where_.assign(size_t{1} << 16, 0);
    length_.assign(size_t{1} << 16, 0);
  }
  if (where_[key] == 0) {
    std::string text = format();
    // A text too long for the table (no locale has one) is formatted every time.
    if (text.size() > UINT16_MAX || pool_.size() + text.size() >= UINT32_MAX) {
      spare_ = std::move(text);
      return spare_;
    }
    pool_ += text;
    where_[key] = static_cast<uint32_t>(pool_.size());
    length_[key] = static_cast<uint16_t>(text.size());
  }
  return std::string_view(pool_).substr(where_[key] - length_[key], length_[key]);
}

TColumnTexts::TColumnTexts(const TTextServices& text)
    : text_(text), decimal_(text.DecimalSeparator()) {}

bool TColumnTexts::AppendDateTime(std::string& out, uint32_t time) {
  TDateTime when;
  // A value that is no real date and time gets no column rather than ending the run.
  if (!DecodePackedTime(time, when)) return false;
  const size_t start = out.size();
  out += dates_.Get(static_cast<uint16_t>(time >> 16), [&] { return text_.FormatShortDate(when); });
  if ((time & 0xFFFF) != 0) {
    out += ' ';
    out += times_.Get(static_cast<uint16_t>(time & 0xFFFF),
                      [&] { return text_.FormatLongTime(when); });
  }
  return out.size() > start;
}

}  // namespace ramilux
