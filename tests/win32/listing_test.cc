// The whole run on the Win32 platform: a real tree under %TEMP%, the engine with the
// real file search and the French user locale, the listing read back line by line.
#include "listing.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform.h"
#include "recording_window.h"
#include "temp_tree.h"

namespace ramilux {
namespace {

using test::TTempTree;

SYSTEMTIME Local(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
  SYSTEMTIME t{};
  t.wYear = year;
  t.wMonth = month;
  t.wDay = day;
  t.wHour = hour;
  t.wMinute = minute;
  t.wSecond = second;
  return t;
}

class Win32ListingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (PRIMARYLANGID(GetUserDefaultLangID()) != LANG_FRENCH)
      GTEST_SKIP() << "run with LANG=fr_FR.UTF-8";
    window_.Files = window_.Size = window_.DateTime = true;
  }

  // The view's lines after one run over the tree, the two header lines checked and cut.
  std::vector<std::string> Run() {
    TListing listing(TListingPorts{*files_, *text_, window_, window_, window_});
    listing.SetRoot(tree_.Root());
    window_.View.clear();
    listing.Run();
    std::vector<std::string> lines = window_.ViewLines();
    EXPECT_GE(lines.size(), 2u);
    if (lines.size() < 2) return {};
    EXPECT_EQ(lines[0], "Arborescence a partir de: " + tree_.Root());
    EXPECT_EQ(lines[1], " ");
    return {lines.begin() + 2, lines.end()};
  }

  TTempTree tree_;
  std::unique_ptr<TFileSystem> files_ = NewPlatformFileSystem();
  std::unique_ptr<TTextServices> text_ = NewPlatformTextServices();
  test::TRecordingWindow window_;
};

TEST_F(Win32ListingTest, ConnectorsAndBothColumnsInFrench) {
  tree_.Folder("Docs");
  tree_.Folder("Docs\\Old");
  tree_.Folder("Src");
  tree_.File("readme.txt", std::string(1495, 'r'));
  tree_.File("Docs\\a.doc", std::string(2048, 'a'));
  tree_.File("Docs\\Old\\b.doc", std::string(10, 'b'));
  tree_.File("Src\\main.c", std::string(297, 'm'));
  // Files before the folders that hold them: writing a file moves its folder's time.
  tree_.WriteTime("readme.txt", Local(2003, 3, 14, 9, 5, 12));
  tree_.WriteTime("Docs\\a.doc", Local(2003, 2, 20, 17, 30, 0));
  tree_.WriteTime("Docs\\Old\\b.doc", Local(2003, 1, 10, 11, 0, 4));
  tree_.WriteTime("Src\\main.c", Local(2003, 3, 5, 8, 15, 40));
  tree_.WriteTime("Docs\\Old", Local(2003, 1, 10, 11, 0, 4));
  tree_.WriteTime("Docs", Local(2003, 1, 2, 0, 0, 0));
  tree_.WriteTime("Src", Local(2003, 3, 5, 8, 15, 40));

  const std::vector<std::string> expected = {
      "\xC3\xC4 readme.txt  1,46 Ko  14/03/2003 09:05:12",
      "\xC3\xC4 Docs  02/01/2003",
      "\xB3  \xC3\xC4 a.doc  2,00 Ko  20/02/2003 17:30:00",
      "\xB3  \xC0\xC4 Old  10/01/2003 11:00:04",
      "\xB3     \xC0\xC4 b.doc  0,01 Ko  10/01/2003 11:00:04",
      "\xC0\xC4 Src  05/03/2003 08:15:40",
      "   \xC0\xC4 main.c  0,29 Ko  05/03/2003 08:15:40",
  };
  EXPECT_EQ(Run(), expected);
}

// What only the Win32 search brings: hidden and system entries, a folder link that
// leads back up, a file past 4 GiB, a time the packed format can't hold, the French
// collation of names.
TEST_F(Win32ListingTest, HiddenEntriesLoopLinksAndLargeFiles) {
  window_.DateTime = false;
  tree_.Folder("\xE9t\xE9");  // été
  tree_.Folder("Zoo");
  tree_.Folder("hidden folder");
  tree_.File("hidden folder\\inside.txt", "x");
  tree_.Attributes("hidden folder", FILE_ATTRIBUTE_HIDDEN);
  tree_.Folder("system folder");
  tree_.Attributes("system folder", FILE_ATTRIBUTE_SYSTEM);
  tree_.File("desktop.ini", "[x]");
  tree_.Attributes("desktop.ini", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  tree_.FileOfSize("\xE9t\xE9\\big.bin", (4LL << 30) + 5);
  tree_.File("\xE9t\xE9\\old.txt", "old");
  tree_.WriteTime("\xE9t\xE9\\old.txt", Local(1975, 6, 1, 12, 0, 0));
  const bool linked =
      test::MakeFolderLink(tree_.Path("\xE9t\xE9\\back up"), tree_.Path("\xE9t\xE9"));

  std::vector<std::string> expected = {
      "\xC3\xC4 desktop.ini  0,00 Ko",
      "\xC3\xC4 \xE9t\xE9",  // before Zoo: in byte order 0xE9 comes after every letter
      "\xB3  \xC3\xC4 big.bin  4194304,00 Ko",
      "\xB3  \xC3\xC4 old.txt  0,00 Ko",
      "\xB3  \xC0\xC4 back up",  // listed, not entered
      "\xC0\xC4 Zoo",
  };
  if (!linked) {
    expected.erase(expected.begin() + 4);
    expected[3][3] = '\xC0';
  }
  EXPECT_EQ(Run(), expected);

  // The date column: none for the time before 1980, which the search gives as 0.
  window_.DateTime = true;
  const std::vector<std::string> lines = Run();
  ASSERT_EQ(lines.size(), expected.size());
  EXPECT_EQ(lines[3], expected[3]);
}

// Names the ANSI code page cannot hold: entered and listed with their files, shown as
// Windows shows them to ANSI programs in the window and exactly in UTF-8. "Lódz" beside
// "Łódź" shows alike but keeps its own contents.
TEST_F(Win32ListingTest, NamesOutsideTheCodePageAreEntered) {
  window_.Size = window_.DateTime = false;
  const std::wstring names[] = {L"\u0141\u00F3d\u017A", L"\u0391\u03B8\u03AE\u03BD\u03B1",
                                L"\u6771\u4EAC", L"\U0001F600"};
  for (const std::wstring& name : names) {
    tree_.Folder(name);
    tree_.File(name + L"\\plan.txt", "p");
  }
  tree_.Folder(
      "L\xF3"
      "dz");
  tree_.File(
      "L\xF3"
      "dz\\other.txt",
      "o");

  const std::vector<std::string> ansi = Run();
  EXPECT_EQ(ansi.size(), 10u);
  for (size_t i = 0; i + 1 < ansi.size(); i += 2) {
    const bool lodz = ansi[i].ends_with(
                          "L\xF3"
                          "dz") &&
                      ansi[i + 1].ends_with("other.txt");
    EXPECT_TRUE(lodz || ansi[i + 1].ends_with("plan.txt")) << ansi[i] << " / " << ansi[i + 1];
  }
  auto count = [&](std::string_view end) {
    return std::count_if(ansi.begin(), ansi.end(), [&](auto& line) { return line.ends_with(end); });
  };
  EXPECT_EQ(count("\xC4 L\xF3"
                  "dz"),
            2);  // Łódź as its best fit, and Lódz
  EXPECT_EQ(count("\xC4 plan.txt"), 4);
  // The folders read ahead on other threads give what the walk's own search gives.
  files_ = NewSingleThreadFileSystem(TEncoding::Ansi);
  EXPECT_EQ(Run(), ansi);

  files_ = NewPlatformFileSystem(TEncoding::Utf8);
  text_ = NewPlatformTextServices(TEncoding::Utf8);
  std::vector<std::string> utf8 = Run();
  std::sort(utf8.begin(), utf8.end());
  const std::vector<std::string> expected = {"   \xC0\xC4 plan.txt",
                                             "\xB3  \xC0\xC4 other.txt",
                                             "\xB3  \xC0\xC4 plan.txt",
                                             "\xB3  \xC0\xC4 plan.txt",
                                             "\xB3  \xC0\xC4 plan.txt",
                                             "\xC0\xC4 \xE6\x9D\xB1\xE4\xBA\xAC",
                                             "\xC3\xC4 L\xC3\xB3"
                                             "dz",
                                             "\xC3\xC4 \xC5\x81\xC3\xB3"
                                             "d\xC5\xBA",
                                             "\xC3\xC4 \xCE\x91\xCE\xB8\xCE\xAE\xCE\xBD\xCE\xB1",
                                             "\xC3\xC4 \xF0\x9F\x98\x80"};
  EXPECT_EQ(utf8, expected);
}

// A file 40 folders down, at a path of more than 300 characters, is listed.
TEST_F(Win32ListingTest, FilesBeyondTheOldPathLimitAreListed) {
  window_.Size = window_.DateTime = false;
  std::string deep;
  for (int level = 0; level < 40; ++level) {
    deep += (level ? "\\" : "") + std::string("dossier") + char('A' + level % 26);
    tree_.Folder(deep);
  }
  tree_.File(std::wstring(deep.begin(), deep.end()) + L"\\fond.txt", "f");
  ASSERT_GT(tree_.Path(deep + "\\fond.txt").size(), 300u);
  const std::vector<std::string> lines = Run();
  ASSERT_EQ(lines.size(), 41u);
  EXPECT_EQ(lines.back(), std::string(3 * 40, ' ') + "\xC0\xC4 fond.txt");
}

}  // namespace
}  // namespace ramilux
