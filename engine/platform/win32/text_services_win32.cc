// The text services on Win32: ANSI lower-casing, the locale's collation and its number,
// date and time formats, read afresh at every call so that a change the user makes in
// the regional settings shows in the next line.
#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "platform.h"
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
    if (result != 0) return result - 2;
    // Only a broken locale gets here; byte order still gives the sort a consistent order.
    const int bytes = a.compare(b);
    return bytes < 0 ? -1 : bytes > 0 ? 1 : 0;
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

 private:
  LCID locale_;
};

}  // namespace

std::unique_ptr<TTextServices> NewWin32TextServices(unsigned long locale) {
  return std::make_unique<TWin32TextServices>(LCID(locale));
}

std::unique_ptr<TTextServices> NewPlatformTextServices() {
  return NewWin32TextServices(LOCALE_USER_DEFAULT);
}

}  // namespace ramilux
