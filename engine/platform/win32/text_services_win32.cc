// The text services on Win32: lower-casing, the locale's collation and its number, date
// and time formats, read afresh at every call so that a change the user makes in the
// regional settings shows in the next line. ANSI texts go through the "A" functions as
// the window always did; UTF-8 texts through the wide ones.
#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "platform.h"
#include "wide_text.h"
#include "win32_platform.h"

namespace ramilux {
namespace {

int ClampedLength(std::string_view text) {
  return int(std::min<size_t>(text.size(), INT_MAX));
}

SYSTEMTIME ToSystemTime(const TDateTime& when) {
  SYSTEMTIME st{};
  st.wYear = WORD(when.Year);
  st.wMonth = WORD(when.Month);
  st.wDay = WORD(when.Day);
  st.wHour = WORD(when.Hour);
  st.wMinute = WORD(when.Minute);
  st.wSecond = WORD(when.Second);
  return st;
}

// Calls a Win32 formatter twice: once for the size it needs, once to fill the text.
// Empty when the formatter refuses the input (a date that does not exist).
template <typename Format>
std::string Formatted(Format format) {
  const int needed = format(nullptr, 0);
  if (needed <= 0) return {};
  std::string text(size_t(needed), '\0');
  const int written = format(text.data(), needed);
  if (written <= 0) return {};
  text.resize(strnlen(text.data(), size_t(written)));
  return text;
}

class TWin32TextServices final : public TTextServices {
 public:
  explicit TWin32TextServices(LCID locale) : locale_(locale) {}

  TEncoding Encoding() const override { return TEncoding::Ansi; }

  void Lower(std::string& text) const override {
    if (!text.empty()) CharLowerBuffA(text.data(), DWORD(text.size()));
  }

  int Compare(std::string_view a, std::string_view b) const override {
    const int result =
        CompareStringA(locale_, 0, a.data(), ClampedLength(a), b.data(), ClampedLength(b));
    return ResultOf(result, a, b);
  }

  std::string DecimalSeparator() const override {
    std::string separator = Formatted([this](char* out, int size) {
      return GetLocaleInfoA(locale_, LOCALE_SDECIMAL, out, size);
    });
    return separator.empty() ? "." : separator;
  }

  std::string FormatShortDate(const TDateTime& when) const override {
    const SYSTEMTIME st = ToSystemTime(when);
    return Formatted([this, &st](char* out, int size) {
      return GetDateFormatA(locale_, DATE_SHORTDATE, &st, nullptr, out, size);
    });
  }

  std::string FormatLongTime(const TDateTime& when) const override {
    const SYSTEMTIME st = ToSystemTime(when);
    return Formatted([this, &st](char* out, int size) {
      return GetTimeFormatA(locale_, 0, &st, nullptr, out, size);
    });
  }

  static int ResultOf(int result, std::string_view a, std::string_view b) {
    if (result != 0) return result - 2;
    // Only a broken locale gets here; byte order still gives the sort a consistent order.
    const int bytes = a.compare(b);
    return bytes < 0 ? -1 : bytes > 0 ? 1 : 0;
  }

 private:
  LCID locale_;
};

// The same services on UTF-8 texts: exact names, lower-cased and collated as characters.
class TWin32Utf8TextServices final : public TTextServices {
 public:
  explicit TWin32Utf8TextServices(LCID locale) : locale_(locale), ansi_(locale) {}

  TEncoding Encoding() const override { return TEncoding::Utf8; }

  void Lower(std::string& text) const override {
    if (text.empty()) return;
    std::wstring wide = ToWide(text, CP_UTF8);
    CharLowerBuffW(wide.data(), DWORD(wide.size()));
    text = FromWide(wide, CP_UTF8);
  }

  int Compare(std::string_view a, std::string_view b) const override {
    const std::wstring wa = ToWide(a, CP_UTF8), wb = ToWide(b, CP_UTF8);
    const int result =
        CompareStringW(locale_, 0, wa.data(), int(wa.size()), wb.data(), int(wb.size()));
    return TWin32TextServices::ResultOf(result, a, b);
  }

  // The locale's texts are ASCII or letters of its own code page: read in ANSI, shown in
  // UTF-8.
  std::string DecimalSeparator() const override { return Utf8(ansi_.DecimalSeparator()); }
  std::string FormatShortDate(const TDateTime& when) const override {
    return Utf8(ansi_.FormatShortDate(when));
  }
  std::string FormatLongTime(const TDateTime& when) const override {
    return Utf8(ansi_.FormatLongTime(when));
  }

 private:
  static std::string Utf8(const std::string& ansi) {
    return FromWide(ToWide(ansi, CP_ACP), CP_UTF8);
  }

  LCID locale_;
  TWin32TextServices ansi_;
};

}  // namespace

std::unique_ptr<TTextServices> NewWin32TextServices(unsigned long locale) {
  return std::make_unique<TWin32TextServices>(LCID(locale));
}

std::unique_ptr<TTextServices> NewPlatformTextServices(TEncoding encoding) {
  if (encoding == TEncoding::Utf8) {
    return std::make_unique<TWin32Utf8TextServices>(LOCALE_USER_DEFAULT);
  }
  return NewWin32TextServices(LOCALE_USER_DEFAULT);
}

}  // namespace ramilux
