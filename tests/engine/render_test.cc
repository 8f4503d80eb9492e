// The rendering: base prefixes, the connector pass, the size and date columns, and the
// lines written to the view.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>

#include "columns.h"
#include "fake_listing.h"
#include "line_writers.h"
#include "packed_time.h"

namespace ramilux {
namespace {

using test::TFakeListing;
using ::testing::ElementsAre;

using test::Packed;

TEST(MakeBasePrefix, BlanksForEachLevelThenACorner) {
  TFakeListing f;
  auto text = [&](std::string_view dir) {
    std::string p;
    f.Listing.MakeBasePrefix(dir).AppendText(p);
    return p;
  };
  EXPECT_EQ(text(""), "\xC0\xC4 ");
  EXPECT_EQ(text("Docs\\"), "   \xC0\xC4 ");
  EXPECT_EQ(text("Docs\\Old\\"), "      \xC0\xC4 ");
  std::string deep;
  for (int level = 0; level < 40; ++level) deep += "d\\";  // deeper than kept inline
  EXPECT_EQ(text(deep), std::string(120, ' ') + "\xC0\xC4 ");
}

// Every entry's whole prefix, as its line shows it.
std::vector<std::string> PrefixTexts(const TEntryList& entries) {
  TPrefixWriter writer;
  std::vector<std::string> texts;
  for (const TFileObject& e : entries.Items) writer.Append(texts.emplace_back(), e.Prefix);
  return texts;
}

// The tree of the connector example: readme.txt, Docs (a.doc, Old (b.doc)), Src (main.c).
void MakeExampleTree(TFakeListing& f) {
  f.Files.AddFile("readme.txt", 1500, Packed(2003, 3, 14, 9, 5, 12));
  f.Files.AddFolder("Docs", Packed(2003, 1, 2, 0, 0, 0));
  f.Files.AddFile("Docs\\a.doc", 2048, Packed(2003, 2, 20, 17, 30, 0));
  f.Files.AddFolder("Docs\\Old", Packed(2003, 1, 10, 11, 0, 4));
  f.Files.AddFile("Docs\\Old\\b.doc", 10, Packed(2003, 1, 10, 11, 0, 4));
  f.Files.AddFolder("Src", Packed(2003, 3, 5, 8, 15, 40));
  f.Files.AddFile("Src\\main.c", 300, Packed(2003, 3, 5, 8, 15, 40));
}

TEST(FixConnectors, ConnectorExampleByteForByte) {
  TFakeListing f;
  MakeExampleTree(f);
  f.Listing.BuildMaskList("");
  f.Listing.ScanTree(f.Files.Root(), true);
  f.Listing.SortEntries(0);
  f.Listing.FixConnectors();
  const std::vector<std::string> prefixes = PrefixTexts(f.Listing.Entries());
  EXPECT_THAT(f.Names(),
              ElementsAre("readme.txt", "Docs", "a.doc", "Old", "b.doc", "Src", "main.c"));
  EXPECT_THAT(prefixes, ElementsAre("\xC3\xC4 ", "\xC3\xC4 ", "\xB3  \xC3\xC4 ", "\xB3  \xC0\xC4 ",
                                    "\xB3     \xC0\xC4 ", "\xC0\xC4 ", "   \xC0\xC4 "));
}

TEST(EmitLines, ConnectorExampleWithBothColumns) {
  TFakeListing f;
  MakeExampleTree(f);
  f.Window.Files = f.Window.Size = f.Window.DateTime = true;
  ASSERT_TRUE(f.Listing.Run());
  EXPECT_THAT(
      f.Window.ViewLines(),
      ElementsAre("Arborescence a partir de: C:\\root\\", " ",
                  "\xC3\xC4 readme.txt  1,46 Ko  14/03/2003 09:05:12", "\xC3\xC4 Docs  02/01/2003",
                  "\xB3  \xC3\xC4 a.doc  2,00 Ko  20/02/2003 17:30:00",
                  "\xB3  \xC0\xC4 Old  10/01/2003 11:00:04",
                  "\xB3     \xC0\xC4 b.doc  0,01 Ko  10/01/2003 11:00:04",
                  "\xC0\xC4 Src  05/03/2003 08:15:40",
                  "   \xC0\xC4 main.c  0,29 Ko  05/03/2003 08:15:40"));
  EXPECT_EQ(f.Window.View.substr(f.Window.View.size() - 2), "\r\n");
}

// Names as the lines show them: control characters and, in UTF-8, bytes that are no valid
// UTF-8 never reach the view as they are; the exact form after a NUL is never shown.
TEST(EmitLines, NamesThatCannotBeShownAsTheyAre) {
  struct TRow {
    const char* Case;
    TEncoding Encoding;
    std::string Name, Shown;
  };
  const TRow rows[] = {
      {"newline", TEncoding::Utf8, "a\nb", "a?b"},
      {"tab and DEL", TEncoding::Ansi, "a\tb\x7F", "a?b?"},
      {"valid UTF-8", TEncoding::Utf8,
       "\xC5\x81\xC3\xB3"
       "d\xC5\xBA",
       "\xC5\x81\xC3\xB3"
       "d\xC5\xBA"},
      {"stray byte", TEncoding::Utf8,
       "a\xFF"
       "z",
       "a\xEF\xBF\xBD"
       "z"},
      {"cut sequence", TEncoding::Utf8, "a\xC3", "a\xEF\xBF\xBD"},
      {"overlong", TEncoding::Utf8, "\xC0\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"surrogate", TEncoding::Utf8, "\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"ANSI high bytes", TEncoding::Ansi, "\xE9t\xE9", "\xE9t\xE9"},
      {"exact form", TEncoding::Ansi,
       std::string("L\xF3"
                   "dz\0\xC5\x81\xC3\xB3"
                   "d\xC5\xBA",
                   11),
       "L\xF3"
       "dz"},
  };
  for (const TRow& row : rows) {
    TFakeListing f;
    f.Text.TextEncoding = row.Encoding;
    f.Files.AddFolder(row.Name);
    f.Listing.Run();
    EXPECT_THAT(f.Window.ViewLines(), ElementsAre(::testing::_, " ", "\xC0\xC4 " + row.Shown))
        << row.Case;
  }
}

// The mark of an unread folder closes its line, after the date column; an empty folder
// gets none.
TEST(EmitLines, UnreadFoldersCarryTheirMarkAfterTheDate) {
  for (TEncoding encoding : {TEncoding::Ansi, TEncoding::Utf8}) {
    TFakeListing f;
    f.Text.TextEncoding = encoding;
    f.Files.AddFolder("a", Packed(2003, 1, 2, 0, 0, 0)).Unsearchable = true;
    f.Files.AddFolder("b").Unreadable = true;
    f.Files.AddFolder("c");
    f.Files.AddFile("f", kUnknownSize, Packed(2003, 1, 2, 0, 0, 0));
    f.Window.Files = f.Window.Size = f.Window.DateTime = true;
    f.Listing.Run();
    const std::string denied =
        encoding == TEncoding::Ansi ? "[acc\xE8s refus\xE9]" : "[acc\u00E8s refus\u00E9]";
    EXPECT_THAT(f.Window.ViewLines(), ElementsAre(::testing::_, " ", "\xC3\xC4 f  02/01/2003",
                                                  "\xC3\xC4 a  02/01/2003  " + denied,
                                                  "\xC3\xC4 b  [illisible]", "\xC0\xC4 c"));
  }
}

TEST(EmitLines, ColumnsOnlyWhenFilesAreListed) {
  TFakeListing f;
  MakeExampleTree(f);
  f.Window.Size = f.Window.DateTime = true;  // still checked, but hidden with CbxFile off
  f.Listing.Run();
  EXPECT_THAT(f.Window.ViewLines(),
              ElementsAre("Arborescence a partir de: C:\\root\\", " ", "\xC3\xC4 Docs",
                          "\xB3  \xC0\xC4 Old", "\xC0\xC4 Src"));
}

// Latin 1 as the fake's ANSI code page.
std::string Latin1ToUtf8(std::string_view text) {
  std::string out;
  for (unsigned char c : text) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::string Collect(const std::function<void(const TTextSink&)>& write) {
  std::string text;
  write([&](std::string_view part) { text += part; });
  return text;
}

// The writers of other formats take the view's lines apart: the same connectors, columns
// and marks, with exact names; the view itself is unchanged.
TEST(LineWriters, UnicodeLinesAndRtfFromTheViewsLines) {
  TFakeListing f;
  MakeExampleTree(f);
  f.Files
      .AddFolder(std::string("L\xF3"
                             "dz\0\xC5\x81\xC3\xB3"
                             "d\xC5\xBA",
                             12),
                 Packed(2003, 1, 2, 0, 0, 0))
      .Unsearchable = true;
  f.Window.Files = f.Window.Size = f.Window.DateTime = true;
  ASSERT_TRUE(f.Listing.Run());
  const TLineContext context{f.Listing, Latin1ToUtf8, '\\'};
  const std::string text =
      Collect([&](const TTextSink& sink) { WriteUnicodeLines(context, "\r\n", sink); });
  EXPECT_EQ(text,
            "Arborescence a partir de: C:\\root\\\r\n \r\n"
            "├─ readme.txt  1,46 Ko  14/03/2003 09:05:12\r\n"
            "├─ Docs  02/01/2003\r\n"
            "│  ├─ a.doc  2,00 Ko  20/02/2003 17:30:00\r\n"
            "│  └─ Old  10/01/2003 11:00:04\r\n"
            "│     └─ b.doc  0,01 Ko  10/01/2003 11:00:04\r\n"
            "├─ Łódź  02/01/2003  [accès refusé]\r\n"
            "└─ Src  05/03/2003 08:15:40\r\n"
            "   └─ main.c  0,29 Ko  05/03/2003 08:15:40\r\n");
  const std::string part = Collect([&](const TTextSink& sink) {
    WriteUnicodeLines(context, "\n", sink, {3, 4});
  });
  EXPECT_EQ(part, "├─ Docs  02/01/2003\n│  ├─ a.doc  2,00 Ko  20/02/2003 17:30:00\n");

  const std::string rtf = Collect([&](const TTextSink& sink) {
    WriteRtf(context, TRtfFont{}, sink, {7, 7});
  });
  EXPECT_TRUE(rtf.starts_with("{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl")) << rtf;
  EXPECT_NE(rtf.find("Ramilux{\\*\\falt Courier New};}"), std::string::npos) << rtf;
  EXPECT_NE(rtf.find("\\u9500\\'c3\\u9472\\'c4 \\u321\\'3f\\u243\\'f3d\\u378\\'3f  02/01/2003  "
                     "[acc\\u232\\'e8s refus\\u233\\'e9]\\par\r\n}"),
            std::string::npos)
      << rtf;
  const std::string html = Collect([&](const TTextSink& sink) {
    WriteHtmlPre(context, sink, {0, 0});
  });
  EXPECT_EQ(html, "<pre>Arborescence a partir de: C:\\root\\\r\n</pre>");

  // The page carries each entry as one data line: depth, kind, exact name, then after a tab
  // the columns, then after a tab the unread mark.
  const std::string page =
      Collect([&](const TTextSink& sink) { WriteHtmlDocument(context, sink); });
  EXPECT_TRUE(
      page.starts_with("<!DOCTYPE html>\n<html lang=\"fr\"><head><meta charset=\"utf-8\">"));
  EXPECT_NE(page.find("<title>Arborescence a partir de: C:\\root\\</title>"), std::string::npos);
  EXPECT_NE(page.find("<pre id=\"d\" hidden>"
                      "0freadme.txt\t  1,46 Ko  14/03/2003 09:05:12\n"
                      "0dDocs\t  02/01/2003\n"
                      "1fa.doc\t  2,00 Ko  20/02/2003 17:30:00\n"
                      "1dOld\t  10/01/2003 11:00:04\n"
                      "2fb.doc\t  0,01 Ko  10/01/2003 11:00:04\n"
                      "0dŁódź\t  02/01/2003\t  [accès refusé]\n"
                      "0dSrc\t  05/03/2003 08:15:40\n"
                      "1fmain.c\t  0,29 Ko  05/03/2003 08:15:40\n"
                      "</pre>"),
            std::string::npos)
      << page;
  EXPECT_TRUE(page.ends_with("</script>\n</body></html>\n"));
}

struct THtmlEscapeRow {
  const char* Case;
  std::string Text, Special, Escaped;
};
class HtmlEscapeTable : public ::testing::TestWithParam<THtmlEscapeRow> {};
TEST_P(HtmlEscapeTable, MarkupCharactersAsReferencesControlsAsTheListingsMark) {
  std::string out = "kept ";
  AppendHtmlEscaped(out, GetParam().Text, GetParam().Special);
  EXPECT_EQ(out, "kept " + GetParam().Escaped);
}
INSTANTIATE_TEST_SUITE_P(
    Rows, HtmlEscapeTable,
    ::testing::Values(THtmlEscapeRow{"Markup", "a<&>\"'b", "<>&\"'", "a&lt;&amp;&gt;&quot;&#39;b"},
                      THtmlEscapeRow{"PreKeepsApostrophes", "l'<b>", "<>&\"", "l'&lt;b&gt;"},
                      THtmlEscapeRow{"Controls", std::string("t\tn\nz\0d\x7f", 8), "<>&\"'",
                                     "t?n?z?d?"},
                      THtmlEscapeRow{"Utf8Untouched", "Łódź 東京 🌲", "<>&\"'", "Łódź 東京 🌲"}),
    [](const auto& row) { return std::string(row.param.Case); });

// For every entry and column g up to its depth d: the first later entry of depth <= g
// decides; depth exactly g gives a bar (g < d) or branch (g = d), else blank or corner.
TEST(FixConnectors, AnySequenceOfDepthsFollowsTheColumnRule) {
  std::mt19937 random(7);
  for (int round = 0; round < 50; ++round) {
    TFakeListing f;
    std::vector<size_t> depths;
    size_t depth = round % 3 == 0 ? 30 : 0;  // also across the deepest level kept inline
    for (int i = 0; i < 60; ++i) {
      depths.push_back(depth);
      std::string dir;
      for (size_t l = 0; l < depth; ++l) dir += "d\\";
      TFileObject& e = f.Listing.EntriesForTest().Items.emplace_back();
      e.Prefix = f.Listing.MakeBasePrefix(dir);
      depth = random() % 3 == 0 ? depth + 1 : random() % (depth + 2);
    }
    f.Listing.FixConnectors();
    const std::vector<std::string> prefixes = PrefixTexts(f.Listing.Entries());
    for (size_t k = 0; k < depths.size(); ++k) {
      const std::string& p = prefixes[k];
      ASSERT_EQ(p.size(), 3 * depths[k] + 3);
      for (size_t g = 0; g <= depths[k]; ++g) {
        size_t j = k + 1;
        while (j < depths.size() && depths[j] > g) ++j;
        bool continues = j < depths.size() && depths[j] == g;
        char want = g < depths[k] ? (continues ? kBar : ' ') : (continues ? kBranch : kCorner);
        ASSERT_EQ(p[3 * g], want) << "round " << round << " entry " << k << " column " << g;
      }
    }
  }
}

TEST(FixConnectors, NothingChangesWhenStoppedOrEmpty) {
  TFakeListing f;
  f.Listing.FixConnectors();  // empty: no harm
  for (const char* dir : {"", "a\\", ""}) {
    f.Listing.EntriesForTest().Items.emplace_back().Prefix = f.Listing.MakeBasePrefix(dir);
  }
  f.Listing.RequestStop();
  f.Listing.FixConnectors();
  EXPECT_EQ(f.Listing.Entries()[0].PrefixText(), "\xC0\xC4 ");
  EXPECT_EQ(f.Listing.Entries()[1].PrefixText(), "   \xC0\xC4 ");
}

struct SizeRow {
  const char* label;
  int64_t bytes;
  const char* text;
};

class SizeTextTable : public ::testing::TestWithParam<SizeRow> {};

TEST_P(SizeTextTable, TwoDecimalsHalfAwayFromZero) {
  TFakeListing f;
  EXPECT_EQ(f.Listing.SizeText(GetParam().bytes), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Rows, SizeTextTable,
                         ::testing::Values(SizeRow{"Tie128", 128, "0,13"},
                                           SizeRow{"Five", 5, "0,00"}, SizeRow{"Six", 6, "0,01"},
                                           SizeRow{"One", 1, "0,00"}, SizeRow{"Kilo", 1024, "1,00"},
                                           SizeRow{"Fifteen", 1500, "1,46"},
                                           SizeRow{"CarryIntoUnits", 1023, "1,00"},
                                           SizeRow{"ThreeGiB", 3LL << 30, "3145728,00"},
                                           SizeRow{"FourGiBPlus5", (4LL << 30) + 5, "4194304,00"},
                                           SizeRow{"Negative", -1500, "-1,46"},
                                           SizeRow{"NegativeTie", -128, "-0,13"}),
                         [](const auto& row) { return row.param.label; });

TEST(SizeText, UsesTheLocaleSeparator) {
  TFakeListing f;
  f.Text.Decimal = ".";
  EXPECT_EQ(f.Listing.SizeText(1500), "1.46");
}

TEST(DateTimeText, LocaleFormatsAndMidnight) {
  TFakeListing f;
  EXPECT_EQ(f.Listing.DateTimeText(Packed(2003, 3, 14, 9, 5, 12)), "14/03/2003 09:05:12");
  EXPECT_EQ(f.Listing.DateTimeText(Packed(2003, 1, 2, 0, 0, 0)), "02/01/2003");
  EXPECT_EQ(f.Listing.DateTimeText(Packed(2107, 12, 31, 23, 59, 58)), "31/12/2107 23:59:58");
  f.Text.ShortDate = "M/d/yyyy";
  f.Text.LongTime = "h:mm:ss tt";
  EXPECT_EQ(f.Listing.DateTimeText(Packed(2003, 3, 14, 19, 5, 12)), "3/14/2003 7:05:12 PM");
}

// One output formats each date and each time of day once and keeps the texts: what it
// appends for many values, repeated and not, valid and not, is what each alone gives.
TEST(DateTimeText, KeptTextsMatchTextsMadeAfresh) {
  TFakeListing f;
  std::mt19937 random(3);
  TColumnTexts kept(f.Text);
  for (int i = 0; i < 3000; ++i) {
    uint32_t time = static_cast<uint32_t>(random());
    if (i % 3 == 0) time = (time & 0xFFFF0000u) | (random() % 2 ? 0 : time % 64);  // shared date
    if (i % 5 == 0)
      time = Packed(1980 + random() % 128, 1 + random() % 12, 1 + random() % 28, random() % 24,
                    random() % 60, 2 * (random() % 30));
    std::string text;
    const bool appended = kept.AppendDateTime(text, time);
    ASSERT_EQ(text, f.Listing.DateTimeText(time)) << "time " << std::hex << time;
    ASSERT_EQ(appended, !text.empty());
  }
}

TEST(DateTimeText, ValuesThatAreNoDateGiveNoText) {
  TFakeListing f;
  EXPECT_EQ(f.Listing.DateTimeText(Packed(2003, 0, 14, 9, 5, 12)), "");  // month 0
  EXPECT_EQ(f.Listing.DateTimeText(Packed(2003, 13, 1, 9, 5, 12)), "");  // month 13
  EXPECT_EQ(f.Listing.DateTimeText(Packed(2003, 2, 29, 9, 5, 12)), "");  // not a leap year
  EXPECT_EQ(f.Listing.DateTimeText(Packed(2003, 2, 1, 24, 0, 0)), "");   // hour 24
  EXPECT_EQ(f.Listing.DateTimeText(Packed(2003, 2, 1, 9, 60, 0)), "");   // minute 60
  EXPECT_EQ(f.Listing.DateTimeText(Packed(2004, 2, 29, 0, 0, 0)), "29/02/2004");
}

TEST(EmitLines, TimeZeroOrInvalidGivesNoDateColumnAndTheRunEnds) {
  TFakeListing f;
  f.Files.AddFile("never", 1, 0);
  f.Files.AddFile("odd", 1, Packed(2003, 0, 0, 25, 0, 0));
  f.Files.AddFile("big", 4LL << 30, Packed(2003, 1, 2, 0, 0, 0));
  f.Window.Files = f.Window.Size = f.Window.DateTime = true;
  EXPECT_TRUE(f.Listing.Run());
  EXPECT_THAT(f.Window.ViewLines(),
              ElementsAre(::testing::_, " ", "\xC3\xC4 big  4194304,00 Ko  02/01/2003",
                          "\xC3\xC4 never  0,00 Ko", "\xC0\xC4 odd  0,00 Ko"));
  EXPECT_TRUE(f.Window.ErrorBoxes.empty());
}

TEST(EmitLines, CheckBoxesAreReadAgainForEveryLine) {
  TFakeListing f;
  for (const char* name : {"a", "b", "c"}) f.Files.AddFile(name, 2048);
  f.Window.Files = true;
  int walkCalls = 2;
  f.Window.OnProcessMessages = [&](int n) {
    if (n == walkCalls + 2) f.Window.Size = true;  // ticked before the second line
  };
  f.Listing.Run();
  EXPECT_THAT(f.Window.ViewLines(), ElementsAre(::testing::_, " ", "\xC3\xC4 a",
                                                "\xC3\xC4 b  2,00 Ko", "\xC0\xC4 c  2,00 Ko"));
}

TEST(EmitLines, EmptyListShowsAndHidesTheProgressBar) {
  TFakeListing f;
  f.Listing.EmitLines();
  EXPECT_THAT(f.Window.Calls, ElementsAre("ProgressMax 0", "Progress shown", "Progress hidden"));
  EXPECT_EQ(f.Window.ReplaceCalls, 0);
}

TEST(EmitLines, ManyLinesGoInBlocksWithProgressAndInputPerLine) {
  TFakeListing f;
  const int count = 3000;
  std::string expected;
  for (int i = 0; i < count; ++i) {
    TFileObject& e = f.Listing.EntriesForTest().Items.emplace_back();
    e.Name = f.Listing.EntriesForTest().Strings.Store(std::string(40, 'n') + std::to_string(i));
    e.Prefix = f.Listing.MakeBasePrefix("");
    expected += std::string("\xC0\xC4 ") + std::string(e.Name) + "\r\n";
  }
  f.Listing.EmitLines();
  EXPECT_EQ(f.Window.View, expected);
  EXPECT_EQ(f.Window.ProcessMessagesCalls, count);
  ASSERT_EQ(f.Window.ProgressPositions.size(), static_cast<size_t>(count));
  EXPECT_EQ(f.Window.ProgressPositions.front(), 1);
  EXPECT_EQ(f.Window.ProgressPositions.back(), count);
  EXPECT_LE(f.Window.ReplaceCalls, 3);  // 138 KB of text in blocks of 64 KiB
  EXPECT_FALSE(f.Window.ProgressShown);
}

// Lines formatted ahead on another thread (options that cannot change during the output)
// are the lines of one pass, across chunks that start deep in the tree, and a line the
// view refuses, in a chunk of either thread, leaves it with exactly the lines before.
struct TAheadRow {
  bool Files, Size, DateTime, Totals;
  int Sort;
  int FailAtLine;
};

class EmitLinesAhead : public ::testing::TestWithParam<TAheadRow> {};

TEST_P(EmitLinesAhead, SameLinesAsOnePass) {
  const TAheadRow row = GetParam();
  std::string views[2];
  for (bool fixed : {false, true}) {
    TFakeListing f;
    std::mt19937 random(11);
    std::string folder;
    for (int i = 0; i < 12000; ++i) {  // three chunks of folders, six with the files
      const std::string name = "n" + std::to_string(random() % 100000);
      if (random() % 2 == 0) {
        folder = folder.size() > 40 || random() % 3 == 0 ? name : folder + "\\" + name;
        f.Files.AddFolder(folder, Packed(2001, 1 + i % 12, 3, 4, 5, 6)).Unreadable =
            random() % 97 == 0;
      } else {
        f.Files.AddFile(folder.empty() ? name : folder + "\\" + name, random() % 5000000,
                        Packed(2010, 2, 1 + i % 28, i % 24, 0, 0));
      }
    }
    f.Window.Files = row.Files;
    f.Window.Size = row.Size;
    f.Window.DateTime = row.DateTime;
    f.Window.Totals = row.Totals;
    f.Window.Sort = row.Sort;
    f.Window.FailAtLine = row.FailAtLine;
    f.Window.Fixed = fixed;
    f.Listing.Run();
    const size_t entries = f.Listing.Entries().size();
    ASSERT_GT(entries, 4096u) << "fewer entries than two chunks";
    EXPECT_EQ(f.Window.ErrorBoxes.size(), row.FailAtLine > 0 ? 1u : 0u);
    // Formatted ahead, the progress moves once a chunk of 2,048 lines.
    if (fixed && row.FailAtLine == 0) {
      EXPECT_EQ(f.Window.ProgressPositions.size(), (entries + 2047) / 2048);
    }
    views[fixed] = f.Window.View;
  }
  EXPECT_TRUE(views[0] == views[1]) << "the lines formatted ahead differ";
}

INSTANTIATE_TEST_SUITE_P(Rows, EmitLinesAhead,
                         ::testing::Values(TAheadRow{true, true, true, false, 0, 0},
                                           TAheadRow{false, false, false, false, 0, 0},
                                           TAheadRow{true, true, true, true, 1, 0},
                                           TAheadRow{true, false, true, false, 2, 0},
                                           TAheadRow{true, true, true, false, 0, 7000},
                                           TAheadRow{true, true, true, false, 0, 3000},
                                           TAheadRow{true, true, true, false, 0, 5}));

}  // namespace
}  // namespace ramilux
