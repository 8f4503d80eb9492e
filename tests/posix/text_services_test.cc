// The POSIX text services with real locales: lower-casing by character, the collation of
// the user's locale, and the locale's decimal separator, date and time formats.
#include <gtest/gtest.h>
#include <langinfo.h>

#include <string>

#include "listing.h"
#include "platform.h"
#include "posix/time_format_posix.h"
#include "temp_folder.h"

namespace ramilux {
namespace {

using test::TScopedEnv;

// Text services for `locale`, chosen through LC_ALL as a user would.
std::unique_ptr<TTextServices> ServicesFor(const char* locale) {
  TScopedEnv all("LC_ALL", locale);
  return NewPlatformTextServices();
}

bool LocaleInstalled(const char* name) {
  locale_t probe = newlocale(LC_ALL_MASK, name, locale_t(0));
  if (probe == locale_t(0)) return false;
  freelocale(probe);
  return true;
}

class FrenchText : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(LocaleInstalled("fr_FR.UTF-8")) << "scripts/install-deps generates fr_FR.UTF-8";
  }
  std::unique_ptr<TTextServices> text_ = ServicesFor("fr_FR.UTF-8");
};

TEST_F(FrenchText, LowersByCharacterAndKeepsIllFormedBytes) {
  struct TRow {
    const char* Case;
    std::string Text, Expected;
  };
  const TRow rows[] = {
      {"ascii", "README.TXT", "readme.txt"},
      {"accented capitals", "ÉTÉ", "été"},
      {"mixed", "Ça Va À Noël", "ça va à noël"},
      {"sharp s unchanged", "Straße", "straße"},
      {"greek, no final-sigma rule", "ΣΊΣΥΦΟΣ", "σίσυφοσ"},
      {"latin-1 bytes kept", "CAF\xC9.TXT", "caf\xC9.txt"},
      {"truncated sequence kept", "AB\xC3", "ab\xC3"},
      {"lone continuation kept", "\x80Z", "\x80z"},
  };
  for (const TRow& row : rows) {
    std::string text = row.Text;
    text_->Lower(text);
    EXPECT_EQ(text, row.Expected) << row.Case;
  }
}

// Names and masks lower-cased by the platform, then "?" against UTF-8 characters of one
// to four bytes.
TEST_F(FrenchText, QuestionMarkMatchesOneCharacterOfALowerCasedName) {
  struct TRow {
    const char* Name;
    const char* Pattern;
    bool Expected;
  };
  const TRow rows[] = {
      {"ÉTÉ", "?T?", true},     {"ÉTÉ", "??", false},   {"ÉTÉ", "????", false},
      {"NAÏVE", "na?ve", true}, {"€URO", "?uro", true}, {"\U0001F600X", "?x", true},
      {"CAFÉ", "caf*", true},   {"CAFÉ", "*?", true},   {"É", "*", true},
  };
  for (const TRow& row : rows) {
    std::string name = row.Name, pattern = row.Pattern;
    text_->Lower(name);
    text_->Lower(pattern);
    EXPECT_EQ(MatchPart(name, pattern, text_->Encoding()), row.Expected)
        << row.Name << " against " << row.Pattern;
  }
}

TEST_F(FrenchText, ComparesByTheLocalesCollationNotByBytes) {
  struct TRow {
    const char* A;
    const char* B;
    int Expected;
  };
  const TRow rows[] = {
      {"a", "B", -1},        // case is weighed after the letter
      {"abc", "ABC", -1},    // lower case first at equal letters
      {"e", "é", -1},        // accent weighed after the letter
      {"é", "f", -1},        // é is an e, not a byte above every letter
      {"coté", "côte", -1},  // accents compared from the front in France
      {"Zèbre", "zèbre", 1},
      {"abc", "abcd", -1},  // a text before every longer text that begins with it
      {"docs", "docs/", -1},
      {"même", "même", 0},
  };
  for (const TRow& row : rows) {
    EXPECT_EQ(text_->Compare(row.A, row.B), row.Expected) << row.A << " vs " << row.B;
    EXPECT_EQ(text_->Compare(row.B, row.A), -row.Expected) << row.B << " vs " << row.A;
  }
}

TEST_F(FrenchText, DifferentNamesTheCollatorHoldsEqualStillDiffer) {
  const std::string composed = "\xC3\xA9t\xC3\xA9";      // "été" precomposed
  const std::string decomposed = "e\xCC\x81te\xCC\x81";  // e + combining acute
  const int forward = text_->Compare(composed, decomposed);
  EXPECT_NE(forward, 0);
  EXPECT_EQ(text_->Compare(decomposed, composed), -forward);
  EXPECT_NE(text_->Compare("a\xFF", "a\xFE"), 0);  // ill-formed bytes
}

TEST_F(FrenchText, FormatsLikeTheFrenchLocale) {
  const TDateTime when{2003, 3, 14, 9, 5, 12};
  EXPECT_EQ(text_->Encoding(), TEncoding::Utf8);
  EXPECT_EQ(text_->DecimalSeparator(), ",");
  EXPECT_EQ(text_->FormatShortDate(when), "14/03/2003");
  EXPECT_EQ(text_->FormatLongTime(when), "09:05:12");
}

TEST(OtherLocales, UsFormatsAndTheCLocalesRootCollation) {
  ASSERT_TRUE(LocaleInstalled("en_US.UTF-8")) << "scripts/install-deps generates en_US.UTF-8";
  auto us = ServicesFor("en_US.UTF-8");
  EXPECT_EQ(us->DecimalSeparator(), ".");
  EXPECT_EQ(us->FormatShortDate({2003, 3, 14, 17, 30, 0}), "03/14/2003");
  EXPECT_EQ(us->FormatLongTime({2003, 3, 14, 9, 5, 12}), "09:05:12 AM");
  EXPECT_EQ(us->FormatLongTime({2003, 3, 14, 17, 30, 0}), "05:30:00 PM");
  EXPECT_EQ(us->FormatLongTime({2003, 3, 14, 0, 15, 0}), "12:15:00 AM");

  // "C" means ICU's root collation, which still is no byte order.
  auto plain = ServicesFor("C");
  EXPECT_EQ(plain->Compare("a", "B"), -1);
  EXPECT_EQ(plain->Compare("é", "f"), -1);
}

TEST(OtherLocales, CollationFollowsLcCollateThenLang) {
  TScopedEnv all("LC_ALL", nullptr);
  TScopedEnv lang("LANG", "C");
  {
    TScopedEnv collate("LC_COLLATE", "sv_SE.UTF-8");  // Swedish: ö after z
    EXPECT_EQ(NewPlatformTextServices()->Compare("ö", "z"), 1);
  }
  TScopedEnv collate("LC_COLLATE", nullptr);
  EXPECT_EQ(NewPlatformTextServices()->Compare("ö", "z"), -1);
}

// The compiled formats against the C library's own strftime.
TEST(TimeFormat, WritesLikeStrftime) {
  locale_t c = newlocale(LC_ALL_MASK, "C", locale_t(0));
  struct TRow {
    const char* Format;
    TDateTime When;
    const char* Expected;
  };
  const TRow rows[] = {
      {"%d/%m/%Y", {2003, 3, 14, 9, 5, 12}, "14/03/2003"},
      {"%Y-%m-%d", {1999, 12, 1, 0, 0, 0}, "1999-12-01"},
      {"%e.%m.%y", {2007, 2, 5, 0, 0, 0}, " 5.02.07"},
      {"%H h %M, %S s %%", {2003, 3, 14, 9, 5, 2}, "09 h 05, 02 s %"},
      {"%I:%M %p", {2003, 3, 14, 12, 0, 0}, "12:00 PM"},
      {"%T", {2003, 3, 14, 23, 59, 58}, "23:59:58"},
      {"%D", {2003, 3, 14, 0, 0, 0}, "03/14/03"},
      {"%A %d %B", {2003, 3, 14, 0, 0, 0}, "Friday 14 March"},  // names via strftime_l
      {"%-d/%-m", {2003, 3, 4, 0, 0, 0}, "4/3"},                // flags via strftime_l
      {"trailing %", {2003, 3, 4, 0, 0, 0}, "trailing %"},
  };
  for (const TRow& row : rows) {
    EXPECT_EQ(TTimeFormat(row.Format, c).Format(row.When), row.Expected) << row.Format;
  }
  freelocale(c);
}

}  // namespace
}  // namespace ramilux
