// The file filters: wildcard masks, the mask text, the size threshold and the size test.
#include <gtest/gtest.h>

#include "fake_listing.h"

namespace ramilux {
namespace {

using test::TFakeListing;

struct MaskRow {
  const char* mask;
  const char* name;
  bool match;
};

class MaskTable : public ::testing::TestWithParam<MaskRow> {};

TEST_P(MaskTable, MatchesAsTheRuleSays) {
  for (TEncoding encoding : {TEncoding::Ansi, TEncoding::Utf8}) {
    TFakeListing f;
    f.Text.TextEncoding = encoding;
    EXPECT_EQ(f.Listing.MatchMask(GetParam().name, GetParam().mask), GetParam().match)
        << GetParam().mask << " against " << GetParam().name;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, MaskTable,
    ::testing::Values(MaskRow{"*", "any name", true}, MaskRow{"*.*", "readme", true},
                      MaskRow{"*.htm", "index.htm", true}, MaskRow{"*.htm", "index.html", false},
                      MaskRow{"*.htm*", "index.html", true}, MaskRow{"*.htm*", "index.htm", false},
                      MaskRow{"*.txt", "a.b.txt", false}, MaskRow{"*.*.txt", "a.b.txt", true},
                      MaskRow{"a*c", "abbc", true}, MaskRow{"a*c", "ac", false},
                      MaskRow{"*b", "ab", true}, MaskRow{"*b", "ba", false},
                      MaskRow{"a*b*c", "abxbc", false}, MaskRow{"a?c", "a.c", true},
                      MaskRow{"?.txt", ".txt", false}, MaskRow{"*.htaccess", ".htaccess", true},
                      MaskRow{"readme.*", "readme", false}, MaskRow{"*.", "abc", false},
                      MaskRow{"read*", "readme.txt", true}));

TEST(MatchPart, QuestionMarkTakesOneCharacterOfTheEncoding) {
  // "é" is two bytes in UTF-8: one character there, two under ANSI.
  EXPECT_TRUE(MatchPart("caf\xC3\xA9", "caf?", TEncoding::Utf8));
  EXPECT_FALSE(MatchPart("caf\xC3\xA9", "caf?", TEncoding::Ansi));
  EXPECT_TRUE(MatchPart("caf\xC3\xA9", "caf??", TEncoding::Ansi));
  EXPECT_TRUE(MatchPart("\xC3\xA9t\xC3\xA9", "?*?", TEncoding::Utf8));
  EXPECT_FALSE(MatchPart("\xC3\xA9\xC3\xA9", "?*?", TEncoding::Utf8));  // star gets nothing
  EXPECT_TRUE(
      MatchPart("\xC3\xA9"
                "a",
                "*a", TEncoding::Utf8));
  EXPECT_FALSE(MatchPart("a", "*a", TEncoding::Utf8));
  EXPECT_TRUE(MatchPart("", "*", TEncoding::Utf8));
  EXPECT_FALSE(MatchPart("", "?", TEncoding::Utf8));
}

// Under UTF-8 a stray continuation byte in a mask is a character of its own: it never
// matches the end of a longer character, with "*" as with "?".
struct Utf8PartRow {
  const char* label;
  const char* pattern;
  const char* name;
  bool match;
};

class Utf8PartTable : public ::testing::TestWithParam<Utf8PartRow> {};

TEST_P(Utf8PartTable, MatchesWholeCharacters) {
  EXPECT_EQ(MatchPart(GetParam().name, GetParam().pattern, TEncoding::Utf8), GetParam().match)
      << GetParam().label;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Utf8PartTable,
    ::testing::Values(Utf8PartRow{"StarThenStrayByte", "*\x84", "a\xD8\x84", false},
                      Utf8PartRow{"QuestionThenStrayByte", "?\x84", "a\xD8\x84", false},
                      Utf8PartRow{"StarThenWholeCharacter", "*\xD8\x84", "a\xD8\x84", true},
                      Utf8PartRow{"StarThenStrayOfStrayName", "*\x84", "a\x84", true},
                      Utf8PartRow{"StrayLeadThenStar", "\xD8*",
                                  "\xD8\x84"
                                  "a",
                                  false},
                      Utf8PartRow{"WholeLeadThenStar", "\xD8\x84*",
                                  "\xD8\x84"
                                  "a",
                                  true},
                      Utf8PartRow{"StrayLeadOfStrayName", "\xD8*",
                                  "\xD8"
                                  "ab",
                                  true},
                      Utf8PartRow{"CutSequenceThenStar", "\xE2\x82*",
                                  "\xE2\x82\xAC"
                                  "a",
                                  false},
                      Utf8PartRow{"StarThenLastTwoBytes", "*\x82\xAC", "a\xE2\x82\xAC", false}),
    [](const auto& row) { return std::string(row.param.label); });

struct MaskTextRow {
  const char* label;
  const char* text;
  std::vector<std::string> masks;
};

class MaskTextTable : public ::testing::TestWithParam<MaskTextRow> {};

TEST_P(MaskTextTable, BuildsTheList) {
  TFakeListing f;
  f.Listing.BuildMaskList(GetParam().text);
  EXPECT_EQ(f.Listing.Masks(), GetParam().masks);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, MaskTextTable,
    ::testing::Values(MaskTextRow{"Empty", "", {"*"}},
                      MaskTextRow{"Initial", "*.htm;*.html;*.jpg", {"*.htm", "*.html", "*.jpg"}},
                      MaskTextRow{"UpperCase", "*.HTM;*.Html;*.JPG", {"*.htm", "*.html", "*.jpg"}},
                      MaskTextRow{"Blanks", "*.htm; *.jpg", {"*.htm", "*.jpg"}},
                      MaskTextRow{"EmptyItems", "a;;b;", {"a", "b"}},
                      MaskTextRow{"Spaces", "   ", {""}}, MaskTextRow{"LoneSemicolon", ";", {}},
                      MaskTextRow{"SeparatorsOnly", " ; ;", {}},
                      MaskTextRow{"ControlBytes", "\t*.c\r;\x01*.h ", {"*.c", "*.h"}}),
    [](const auto& row) { return row.param.label; });

TEST(MatchesAnyMask, EmptyListMatchesNothing) {
  TFakeListing f;
  f.Listing.BuildMaskList(";");
  EXPECT_FALSE(f.Listing.MatchesAnyMask("readme.txt"));
  f.Listing.BuildMaskList("*.c;*.H");
  EXPECT_TRUE(f.Listing.MatchesAnyMask("main.h"));
  EXPECT_FALSE(f.Listing.MatchesAnyMask("main.cc"));
}

struct MinSizeRow {
  const char* label;
  const char* text;
  int64_t minSize;
  bool reset;  // the edit is put back to "0"
};

class MinSizeTable : public ::testing::TestWithParam<MinSizeRow> {};

TEST_P(MinSizeTable, SetsTheThreshold) {
  TFakeListing f;
  f.Window.MinSize = GetParam().text;
  f.Listing.SetMinSize("777");  // a threshold left from before
  f.Listing.SetMinSize(GetParam().text);
  EXPECT_EQ(f.Listing.MinSize(), GetParam().minSize);
  EXPECT_EQ(f.Window.MinSize, GetParam().reset ? std::string("0") : GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, MinSizeTable,
    ::testing::Values(
        MinSizeRow{"Zero", "0", 0, false}, MinSizeRow{"Hundred", "100", 102400, false},
        MinSizeRow{"LeadingSpace", " 100", 102400, false},
        MinSizeRow{"TrailingSpace", "100 ", 0, true}, MinSizeRow{"Decimal", "1.5", 0, true},
        MinSizeRow{"Empty", "", 0, true}, MinSizeRow{"Spaces", "   ", 0, true},
        MinSizeRow{"Negative", "-5", -5120, false}, MinSizeRow{"Plus", "+5", 5120, false},
        MinSizeRow{"Dollar", "$10", 16384, false}, MinSizeRow{"ZeroX", "0x10", 16384, false},
        MinSizeRow{"X", "X1f", 31744, false}, MinSizeRow{"SignedHex", "-$10", 0, true},
        MinSizeRow{"BareDollar", "$", 0, true},
        MinSizeRow{"Largest32Bit", "2097151", 2147482624, false},
        // 64-bit thresholds: no wrap-around beyond 2097151 Ko.
        MinSizeRow{"ThreeMillion", "3000000", 3072000000, false},
        MinSizeRow{"IntMax", "2147483647", 2147483647LL * 1024, false},
        MinSizeRow{"IntMin", "-2147483648", -2147483648LL * 1024, false},
        MinSizeRow{"TooLarge", "2147483648", 0, true},
        MinSizeRow{"HexMinusOne", "$FFFFFFFF", -1024, false},
        MinSizeRow{"HexTooLarge", "$100000000", 0, true}),
    [](const auto& row) { return row.param.label; });

TEST(PassesSizeFilter, ThresholdAndDirection) {
  TFakeListing f;
  f.Listing.SetMinSize("100");
  f.Window.Higher = true;
  EXPECT_TRUE(f.Listing.PassesSizeFilter(102400));
  EXPECT_FALSE(f.Listing.PassesSizeFilter(102399));
  f.Window.Higher = false;
  EXPECT_TRUE(f.Listing.PassesSizeFilter(102400));
  EXPECT_FALSE(f.Listing.PassesSizeFilter(102401));

  f.Listing.SetMinSize("0");  // "<=" 0: only empty files
  EXPECT_TRUE(f.Listing.PassesSizeFilter(0));
  EXPECT_FALSE(f.Listing.PassesSizeFilter(1));
}

TEST(PassesSizeFilter, OptionOffLetsEveryFilePass) {
  TFakeListing f;
  f.Listing.SetMinSize("100");
  f.Listing.ClearMinSize();
  EXPECT_EQ(f.Listing.MinSize(), 0);
  for (bool higher : {true, false}) {
    f.Window.Higher = higher;
    EXPECT_TRUE(f.Listing.PassesSizeFilter(1));
    EXPECT_TRUE(f.Listing.PassesSizeFilter(0));
  }
}

TEST(PassesSizeFilter, LargeFilesCompareIn64Bits) {
  TFakeListing f;
  f.Listing.SetMinSize("3000000");
  f.Window.Higher = true;
  EXPECT_TRUE(f.Listing.PassesSizeFilter(4LL << 30));  // 4 GiB
  EXPECT_FALSE(f.Listing.PassesSizeFilter(2LL << 30));
}

}  // namespace
}  // namespace ramilux
