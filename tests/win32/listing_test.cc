// The whole run on the Win32 platform: a real tree under %TEMP%, the engine with the
// real file search and the French user locale, the listing read back line by line.
#include "listing.h"

#include <gtest/gtest.h>
#include <windows.h>

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
    TListing listing(TListingPorts{*files_, *text_, window_});
    listing.SetRoot(tree_.Root());
    listing.SbnRefreshClick();
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
  testing::TRecordingWindow window_;
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

}  // namespace
}  // namespace ramilux
