// Text services on POSIX: UTF-8 names, lower-cased by character with ICU, ordered by
// ICU's collator for the user's locale, and the locale's decimal separator, short date
// and long time formats from the C library's locale data: D_FMT and T_FMT, numeric and
// short (fr_FR: 14/03/2003 and 09:05:12; en_US: 03/14/2003 and 09:05:12 AM).
#include <langinfo.h>
#include <locale.h>
#include <unicode/uchar.h>
#include <unicode/ucol.h>
#include <unicode/utf8.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "platform.h"
#include "time_format_posix.h"

namespace ramilux {
namespace {

struct TLocaleFree {
  void operator()(locale_t locale) const { freelocale(locale); }
};
using TLocaleHandle = std::unique_ptr<std::remove_pointer_t<locale_t>, TLocaleFree>;

struct TCollatorClose {
  void operator()(UCollator* collator) const { ucol_close(collator); }
};
using TCollatorHandle = std::unique_ptr<UCollator, TCollatorClose>;

// The locale of one category as the environment sets it (LC_ALL, then the category's
// own variable, then LANG), or "C" when that locale is not installed.
TLocaleHandle OpenLocale(int categoryMask) {
  locale_t locale = newlocale(categoryMask, "", locale_t(0));
  if (locale == locale_t(0)) locale = newlocale(categoryMask, "C", locale_t(0));
  return TLocaleHandle(locale);
}

// The collation locale's name for ICU: "fr_FR.UTF-8@euro" gives "fr_FR"; "C" and
// "POSIX" give the root collation.
std::string CollationLocaleName() {
  for (const char* variable : {"LC_ALL", "LC_COLLATE", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value == nullptr || *value == '\0') continue;
    std::string name(value);
    name = name.substr(0, name.find_first_of(".@"));
    if (name == "C" || name == "POSIX") return "";
    return name;
  }
  return "";
}

TCollatorHandle OpenCollator() {
  UErrorCode status = U_ZERO_ERROR;
  UCollator* collator = ucol_open(CollationLocaleName().c_str(), &status);
  if (U_FAILURE(status)) {
    status = U_ZERO_ERROR;
    collator = ucol_open("", &status);
  }
  return TCollatorHandle(U_SUCCESS(status) ? collator : nullptr);
}

int ByteOrder(std::string_view a, std::string_view b) {
  const int result = a.compare(b);
  return result < 0 ? -1 : (result > 0 ? 1 : 0);
}

// Lower-cases UTF-8 text character by character; bytes that are not well-formed UTF-8
// are kept as they are, so a name in another encoding still matches itself.
std::string LowerUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 4);
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  const int32_t length = int32_t(text.size());
  int32_t i = 0;
  while (i < length) {
    const int32_t start = i;
    UChar32 c;
    U8_NEXT(bytes, i, length, c);
    if (c < 0) {
      out.append(text.data() + start, size_t(i - start));
      continue;
    }
    uint8_t encoded[U8_MAX_LENGTH];
    int32_t used = 0;
    U8_APPEND_UNSAFE(encoded, used, u_tolower(c));  // a valid code point, 4 bytes at most
    out.append(reinterpret_cast<const char*>(encoded), size_t(used));
  }
  return out;
}

class TPosixTextServices final : public TTextServices {
 public:
  TPosixTextServices()
      : numeric_(OpenLocale(LC_NUMERIC_MASK)),
        time_(OpenLocale(LC_TIME_MASK)),
        collator_(OpenCollator()),
        decimal_(nl_langinfo_l(RADIXCHAR, numeric_.get())),
        shortDate_(nl_langinfo_l(D_FMT, time_.get()), time_.get()),
        longTime_(nl_langinfo_l(T_FMT, time_.get()), time_.get()) {}

  TEncoding Encoding() const override { return TEncoding::Utf8; }

  void Lower(std::string& text) const override {
    bool ascii = true;
    for (char& c : text) {
      if (static_cast<unsigned char>(c) >= 0x80) {
        ascii = false;
        break;
      }
      if (c >= 'A' && c <= 'Z') c = char(c + ('a' - 'A'));
    }
    if (!ascii) text = LowerUtf8(text);
  }

  // The collator's order; strings it holds equal (canonically equivalent forms,
  // ignorable characters, ill-formed bytes) are ordered by their bytes, so that two
  // different names never compare equal and a listing comes out the same every time.
  int Compare(std::string_view a, std::string_view b) const override {
    if (!collator_) return ByteOrder(a, b);
    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult result = ucol_strcollUTF8(collator_.get(), a.data(), int32_t(a.size()),
                                                     b.data(), int32_t(b.size()), &status);
    if (U_FAILURE(status) || result == UCOL_EQUAL) return ByteOrder(a, b);
    return result == UCOL_LESS ? -1 : 1;
  }

  std::string DecimalSeparator() const override { return decimal_; }
  std::string FormatShortDate(const TDateTime& when) const override {
    return shortDate_.Format(when);
  }
  std::string FormatLongTime(const TDateTime& when) const override {
    return longTime_.Format(when);
  }

 private:
  TLocaleHandle numeric_;
  TLocaleHandle time_;
  TCollatorHandle collator_;
  std::string decimal_;
  TTimeFormat shortDate_;
  TTimeFormat longTime_;
};

}  // namespace

std::unique_ptr<TTextServices> NewPlatformTextServices(TEncoding) {
  return std::make_unique<TPosixTextServices>();
}

}  // namespace ramilux
