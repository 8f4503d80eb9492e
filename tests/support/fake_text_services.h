// Text services for tests: a locale made to order (byte order, a simple case-blind or a
// case-insensitive collation, the decimal separator, the short date and long time formats,
// ANSI or UTF-8). The default is the French locale of the listing: "," dd/MM/yyyy HH:mm:ss.
#pragma once

#include <atomic>
#include <string>
#include <string_view>

#include "ports.h"

namespace ramilux::test {

enum class TCollation {
  Bytes,           // unsigned byte order
  CaseBlind,       // letters without case first ("a" < "B"), then byte order
  CaseInsensitive  // letters without case only: "Docs" and "docs" collate equal
};

class TFakeTextServices : public TTextServices {
 public:
  TEncoding TextEncoding = TEncoding::Ansi;
  TCollation Collation = TCollation::Bytes;
  std::string Decimal = ",";
  std::string ShortDate = "dd/MM/yyyy";
  std::string LongTime = "HH:mm:ss";
  // Atomic: a large list is sorted on several threads.
  mutable std::atomic<long> CompareCalls{0};

  TEncoding Encoding() const override { return TextEncoding; }

  // ASCII letters; under ANSI also the Latin-1 capitals (0xC0 to 0xDE but 0xD7), under
  // UTF-8 the same capitals as two-byte sequences (C3 80 to C3 9E).
  void Lower(std::string& text) const override {
    for (size_t i = 0; i < text.size(); ++i) {
      unsigned char c = static_cast<unsigned char>(text[i]);
      if (c >= 'A' && c <= 'Z') {
        text[i] = static_cast<char>(c + 32);
      } else if (TextEncoding == TEncoding::Ansi && c >= 0xC0 && c <= 0xDE && c != 0xD7) {
        text[i] = static_cast<char>(c + 32);
      } else if (TextEncoding == TEncoding::Utf8 && c == 0xC3 && i + 1 < text.size()) {
        unsigned char d = static_cast<unsigned char>(text[i + 1]);
        if (d >= 0x80 && d <= 0x9E && d != 0x97) text[i + 1] = static_cast<char>(d + 32);
        ++i;
      }
    }
  }

  int Compare(std::string_view a, std::string_view b) const override {
    ++CompareCalls;
    if (Collation == TCollation::Bytes) return Bytes(a, b);
    std::string la(a), lb(b);
    for (char& c : la) c = AsciiLower(c);
    for (char& c : lb) c = AsciiLower(c);
    if (int r = Bytes(la, lb); r != 0 || Collation == TCollation::CaseInsensitive) return r;
    return Bytes(a, b);
  }

  std::string DecimalSeparator() const override { return Decimal; }
  std::string FormatShortDate(const TDateTime& when) const override {
    return Format(ShortDate, when);
  }
  std::string FormatLongTime(const TDateTime& when) const override {
    return Format(LongTime, when);
  }

  // Formats with the letters of the locale pictures: d dd M MM yy yyyy H HH h hh m mm s ss
  // t tt; text in single quotes and any other character stand for themselves.
  static std::string Format(std::string_view picture, const TDateTime& when) {
    std::string out;
    for (size_t i = 0; i < picture.size();) {
      char c = picture[i];
      size_t run = 1;
      while (i + run < picture.size() && picture[i + run] == c) ++run;
      int hour12 = when.Hour % 12 == 0 ? 12 : when.Hour % 12;
      switch (c) {
        case 'd':
          out += Number(when.Day, run);
          break;
        case 'M':
          out += Number(when.Month, run);
          break;
        case 'y':
          out += run >= 3 ? Number(when.Year, 4) : Number(when.Year % 100, 2);
          break;
        case 'H':
          out += Number(when.Hour, run);
          break;
        case 'h':
          out += Number(hour12, run);
          break;
        case 'm':
          out += Number(when.Minute, run);
          break;
        case 's':
          out += Number(when.Second, run);
          break;
        case 't':
          out += run == 1 ? (when.Hour < 12 ? "A" : "P") : (when.Hour < 12 ? "AM" : "PM");
          break;
        case '\'': {
          size_t close = picture.find('\'', i + 1);
          if (close == std::string_view::npos) close = picture.size();
          out += picture.substr(i + 1, close - i - 1);
          run = close + 1 - i;
          break;
        }
        default:
          out.append(run, c);
      }
      i += run;
    }
    return out;
  }

 private:
  static char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }
  static int Bytes(std::string_view a, std::string_view b) {
    int r = a.compare(b);  // char_traits<char> compares as unsigned char
    return r < 0 ? -1 : r > 0 ? 1 : 0;
  }
  static std::string Number(int value, size_t width) {
    std::string digits = std::to_string(value);
    if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
    return digits;
  }
};

}  // namespace ramilux::test
