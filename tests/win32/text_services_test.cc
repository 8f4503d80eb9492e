// The Win32 text services in the French user locale that the test run gives Wine, and in
// a second locale bound by its identifier.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "platform.h"
#include "win32/win32_platform.h"

namespace ramilux {
namespace {

const LCID kEnglishUs = MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT);
const LCID kSwedish = MAKELCID(MAKELANGID(LANG_SWEDISH, SUBLANG_SWEDISH), SORT_DEFAULT);
const TDateTime kMarch14 = {2003, 3, 14, 9, 5, 12};

bool UserLocaleIsFrench() {
  return PRIMARYLANGID(GetUserDefaultLangID()) == LANG_FRENCH;
}

class FrenchTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!UserLocaleIsFrench()) GTEST_SKIP() << "run with LANG=fr_FR.UTF-8";
  }
  std::unique_ptr<TTextServices> text_ = NewPlatformTextServices();
};

TEST_F(FrenchTextTest, LowerCasesTheWholeStringInCodePage1252) {
  const struct {
    const char* Why;
    std::string Text, Lower;
  } rows[] = {
      {"ASCII", "README.TXT", "readme.txt"},
      {"accents", "\xC9T\xC9", "\xE9t\xE9"},                    // ÉTÉ -> été
      {"1252 beyond Latin-1", "\x8A\x8C\x9F", "\x9A\x9C\xFF"},  // ŠŒŸ -> šœÿ
      {"already lower", "\xE9t\xE9", "\xE9t\xE9"},
      {"past an embedded NUL", std::string("A\0B", 3), std::string("a\0b", 3)},
      {"empty", "", ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Why);
    std::string text = row.Text;
    text_->Lower(text);
    EXPECT_EQ(text, row.Lower);
  }
}

TEST_F(FrenchTextTest, ComparesByTheLocaleNotByBytes) {
  const struct {
    std::string A, B;
    int Expected;
  } rows[] = {
      {"a", "B", -1},                 // bytes would put "B" (0x42) first
      {"B", "c", -1},                 //
      {"e", "\xE9", -1},              // e < é
      {"\xE9", "f", -1},              // é < f, not after every ASCII letter
      {"cote", "c\xF4te", -1},        // cote < côte
      {"a", "A", -1},                 // case counts: no flags
      {"\xC9t\xE9", "\xE9t\xE9", 1},  // Été after été
      {"same", "same", 0},            //
      {"ab", "a", 1},                 //
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.A + " / " + row.B);
    EXPECT_EQ(text_->Compare(row.A, row.B), row.Expected);
    EXPECT_EQ(text_->Compare(row.B, row.A), -row.Expected);
  }
  // Only the viewed bytes count: no terminating NUL is looked for.
  const std::string longer = "abcdef";
  EXPECT_EQ(text_->Compare(std::string_view(longer).substr(0, 2), "ab"), 0);
}

TEST_F(FrenchTextTest, FrenchNumberDateAndTimeFormats) {
  EXPECT_EQ(text_->Encoding(), TEncoding::Ansi);
  EXPECT_EQ(text_->DecimalSeparator(), ",");
  EXPECT_EQ(text_->FormatShortDate(kMarch14), "14/03/2003");
  EXPECT_EQ(text_->FormatLongTime(kMarch14), "09:05:12");
  EXPECT_EQ(text_->FormatLongTime({2003, 3, 14, 17, 30, 0}), "17:30:00");
}

// Restores one of the user's locale settings when the test ends.
class TLocaleSettingGuard {
 public:
  explicit TLocaleSettingGuard(LCTYPE type) : type_(type) {
    char value[80] = "";
    GetLocaleInfoA(LOCALE_USER_DEFAULT, type, value, sizeof value);
    saved_ = value;
  }
  ~TLocaleSettingGuard() { SetLocaleInfoA(LOCALE_USER_DEFAULT, type_, saved_.c_str()); }

 private:
  LCTYPE type_;
  std::string saved_;
};

TEST_F(FrenchTextTest, FormatsAreThoseInForceAtEachCall) {
  TLocaleSettingGuard date(LOCALE_SSHORTDATE), decimal(LOCALE_SDECIMAL);
  ASSERT_EQ(text_->FormatShortDate(kMarch14), "14/03/2003");
  ASSERT_TRUE(SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, "yyyy-MM-dd"));
  ASSERT_TRUE(SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, "."));
  EXPECT_EQ(text_->FormatShortDate(kMarch14), "2003-03-14");
  EXPECT_EQ(text_->DecimalSeparator(), ".");
}

TEST_F(FrenchTextTest, ADateThatDoesNotExistGivesNoText) {
  EXPECT_EQ(text_->FormatShortDate({2003, 2, 30, 0, 0, 0}), "");
  EXPECT_EQ(text_->FormatShortDate({2003, 13, 1, 0, 0, 0}), "");
  EXPECT_EQ(text_->FormatLongTime({2003, 3, 14, 25, 0, 0}), "");
}

// A child process can't carry another locale here: Wine takes the user locale from the
// Unix environment of the first process, not from a child's environment block. The
// second locale is therefore bound by its identifier.
TEST(OtherLocaleText, UsEnglishFormatsAndSwedishCollation) {
  std::unique_ptr<TTextServices> us = NewWin32TextServices(kEnglishUs);
  EXPECT_EQ(us->DecimalSeparator(), ".");
  EXPECT_EQ(us->FormatShortDate(kMarch14), "3/14/2003");
  EXPECT_EQ(us->FormatLongTime(kMarch14), "9:05:12 AM");
  EXPECT_EQ(us->FormatLongTime({2003, 3, 14, 17, 30, 0}), "5:30:00 PM");

  // Swedish puts ä after z, where French and English put it beside a.
  std::unique_ptr<TTextServices> swedish = NewWin32TextServices(kSwedish);
  EXPECT_EQ(swedish->Compare("z", "\xE4"), -1);
  EXPECT_EQ(us->Compare("z", "\xE4"), 1);
}

}  // namespace
}  // namespace ramilux
