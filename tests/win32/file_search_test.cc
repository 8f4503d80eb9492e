// The Win32 file search against real folders: what each attribute value delivers, the
// folders it can't search, 64-bit sizes, packed local times and folder links.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "packed_time.h"
#include "platform.h"
#include "temp_tree.h"

namespace ramilux {
namespace {

using test::Packed;
using test::TTempTree;

struct TFound {
  uint32_t Attr;
  uint32_t Time;
  int64_t Size;
};

bool operator==(const TFound& a, const TFound& b) {
  return a.Attr == b.Attr && a.Time == b.Time && a.Size == b.Size;
}

// Every entry one search delivers, by name; Time and Size read for each, as the walk may.
// Each search has a file system of its own unless one is given.
std::map<std::string, TFound> SearchAll(const std::string& pattern, uint32_t attrValue,
                                        TFileSystem* files = nullptr) {
  std::unique_ptr<TFileSystem> own = files ? nullptr : NewPlatformFileSystem();
  std::unique_ptr<TFileSearch> search = (files ? files : own.get())->NewSearch();
  std::map<std::string, TFound> found;
  for (bool more = search->FindFirst(pattern, attrValue); more; more = search->FindNext()) {
    found[std::string(search->Name())] = {search->Attr(), search->Time(), search->Size()};
  }
  search->Close();
  return found;
}

class FileSearchTest : public ::testing::Test {
 protected:
  TTempTree tree_;
};

TEST_F(FileSearchTest, EachAttributeValueDeliversWhatItsExclusionMaskLets) {
  struct TRow {
    const char* Name;
    DWORD Attributes;  // 0: a plain file
    bool Folder;
    bool In63, In16;
  };
  const TRow rows[] = {
      {"plain.txt", 0, false, true, true},
      {"hidden.txt", FILE_ATTRIBUTE_HIDDEN, false, true, false},
      {"system.txt", FILE_ATTRIBUTE_SYSTEM, false, true, false},
      {"readonly.txt", FILE_ATTRIBUTE_READONLY, false, true, true},
      {"folder", 0, true, true, true},
      {"hidden folder", FILE_ATTRIBUTE_HIDDEN, true, true, false},
      {"system folder", FILE_ATTRIBUTE_SYSTEM, true, true, false},
  };
  for (const TRow& row : rows) {
    row.Folder ? tree_.Folder(row.Name) : tree_.File(row.Name);
    if (row.Attributes) tree_.Attributes(row.Name, row.Attributes);
  }
  const auto all = SearchAll(tree_.Path("*.*"), kFilePassAttr);
  const auto folders = SearchAll(tree_.Path("*.*"), kFolderPassAttr);
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.Name);
    EXPECT_EQ(all.contains(row.Name), row.In63);
    EXPECT_EQ(folders.contains(row.Name), row.In16);
    if (!all.contains(row.Name)) continue;
    const uint32_t attr = all.at(row.Name).Attr;
    EXPECT_EQ((attr & kAttrDirectory) != 0, row.Folder);
    EXPECT_EQ(attr & (kAttrHidden | kAttrSystem | kAttrReadOnly), row.Attributes);
  }
  // The search hands "." and ".." on to the walk, which passes over them itself.
  for (const auto* found : {&all, &folders}) {
    EXPECT_TRUE(found->contains("."));
    EXPECT_TRUE(found->contains(".."));
  }
  EXPECT_EQ(all.size(), 9u);
  EXPECT_EQ(folders.size(), 5u);
}

// The walk searches each folder twice in a row, everything then the folders; the second
// search may replay the first's reading, but must deliver what a search of its own would.
TEST_F(FileSearchTest, SecondSearchOfAFolderDeliversWhatAFreshOneWould) {
  tree_.FileOfSize("big", (4LL << 30) + 5);
  tree_.File("hidden.txt");
  tree_.Attributes("hidden.txt", FILE_ATTRIBUTE_HIDDEN);
  tree_.Folder("sub");
  tree_.Folder("system folder");
  tree_.Attributes("system folder", FILE_ATTRIBUTE_SYSTEM);
  SYSTEMTIME local{2003, 3, 0, 14, 9, 5, 12, 0};
  tree_.WriteTime("sub", local);
  const std::string pattern = tree_.Path("*.*");
  const auto fresh = SearchAll(pattern, kFolderPassAttr);
  ASSERT_TRUE(fresh.contains("sub"));
  EXPECT_EQ(fresh.at("sub").Time, 0x2E6E48A6u);

  std::unique_ptr<TFileSystem> files = NewPlatformFileSystem();
  const auto all = SearchAll(pattern, kFilePassAttr, files.get());
  EXPECT_EQ(SearchAll(pattern, kFolderPassAttr, files.get()), fresh);
  // A second file pass gets everything again, whether read afresh or replayed.
  EXPECT_EQ(SearchAll(pattern, kFilePassAttr, files.get()), all);
  EXPECT_EQ(SearchAll(pattern, kFilePassAttr, files.get()), all);

  // A reading is used once, by the very next search, and only by one of the same
  // pattern; a search stopped before its end leaves nothing behind.
  const struct {
    const char* Why;
    std::string Between;  // a search made between the file pass and the folder pass
    bool Partial;
  } rows[] = {
      {"used by the next search", "", false},
      {"other folder searched between", tree_.Path("sub\\*.*"), false},
      {"file pass stopped", "", true},
  };
  int made = 0;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Why);
    std::unique_ptr<TFileSearch> first = files->NewSearch();
    ASSERT_TRUE(first->FindFirst(pattern, kFilePassAttr));
    if (!row.Partial) {
      while (first->FindNext()) {
      }
    }
    first->Close();
    if (!row.Between.empty()) SearchAll(row.Between, kFilePassAttr, files.get());
    if (row.Between.empty() && !row.Partial) SearchAll(pattern, kFolderPassAttr, files.get());
    const std::string name = "new " + std::to_string(++made);
    tree_.Folder(name);
    EXPECT_TRUE(SearchAll(pattern, kFolderPassAttr, files.get()).contains(name));
  }
}

TEST_F(FileSearchTest, FindFirstFailsWhenEveryMatchIsExcluded) {
  tree_.File("h1.txt");
  tree_.File("h2.txt");
  tree_.Attributes("h1.txt", FILE_ATTRIBUTE_HIDDEN);
  tree_.Attributes("h2.txt", FILE_ATTRIBUTE_SYSTEM);
  std::unique_ptr<TFileSearch> search = NewPlatformFileSystem()->NewSearch();
  EXPECT_FALSE(search->FindFirst(tree_.Path("h*.txt"), kFolderPassAttr));
  EXPECT_FALSE(search->FindNext());  // the failed search was closed
  search->Close();
  search->Close();  // harmless twice
  // The same search object serves again, and the exclusion follows the new value.
  ASSERT_TRUE(search->FindFirst(tree_.Path("h*.txt"), kFilePassAttr));
  EXPECT_TRUE(search->FindNext());
  EXPECT_FALSE(search->FindNext());
}

TEST_F(FileSearchTest, FoldersThatCannotBeSearchedSayWhy) {
  tree_.Folder("gone");
  std::string deep = "d";
  tree_.Folder(deep);
  while (tree_.Path(deep).size() < MAX_PATH + 20) {
    deep += "\\abcdefghijklmnopqrstuvwxyz";
    tree_.Folder(deep);  // made through the long-path form, so it really exists
  }
  ASSERT_TRUE(RemoveDirectoryA(tree_.Path("gone").c_str()));
  tree_.Folder("empty");
  // A folder beyond MAX_PATH is searched like any other; one that is gone is unreadable,
  // and an empty one is no failure.
  const struct {
    const char* Why;
    std::string Pattern;
    bool Found;
    TSearchFailure Failure;
  } rows[] = {
      {"removed", tree_.Path("gone\\*.*"), false, TSearchFailure::Unreadable},
      {"longer than MAX_PATH", tree_.Path(deep + "\\*.*"), true, TSearchFailure::None},
      {"never existed", tree_.Path("nowhere\\deeper\\*.*"), false, TSearchFailure::Unreadable},
      {"empty", tree_.Path("empty\\*.*"), true, TSearchFailure::None},  // its dots
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Why);
    for (uint32_t attrValue : {kFilePassAttr, kFolderPassAttr}) {
      std::unique_ptr<TFileSearch> search = NewPlatformFileSystem()->NewSearch();
      EXPECT_EQ(search->FindFirst(row.Pattern, attrValue), row.Found);
      while (search->FindNext()) {
      }
      EXPECT_EQ(search->Failure(), row.Failure);
      EXPECT_EQ(search->FailureText().empty(), row.Failure == TSearchFailure::None);
    }
  }
}

TEST_F(FileSearchTest, SizesAreSixtyFourBitAndZeroForFolders) {
  const struct {
    const char* Name;
    int64_t Size;
  } rows[] = {
      {"empty", 0},
      {"small", 1500},
      {"three GiB", 3LL << 30},
      {"four GiB and five bytes", (4LL << 30) + 5},
  };
  for (const auto& row : rows) tree_.FileOfSize(row.Name, row.Size);
  tree_.Folder("folder");
  const auto found = SearchAll(tree_.Path("*.*"), kFilePassAttr);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    ASSERT_TRUE(found.contains(row.Name));
    EXPECT_EQ(found.at(row.Name).Size, row.Size);
  }
  EXPECT_EQ(found.at("folder").Size, 0);
  EXPECT_EQ(found.at("four GiB and five bytes").Size, 4294967301LL);
}

TEST_F(FileSearchTest, TimesArePackedLocalTimesOrZeroOutsideTheFormat) {
  const struct {
    const char* Name;
    WORD Year, Month, Day, Hour, Minute, Second;
    uint32_t Expected;
  } rows[] = {
      {"in 2003", 2003, 3, 14, 9, 5, 12, 0x2E6E48A6},
      {"odd second rounds down", 2003, 3, 14, 9, 5, 13, Packed(2003, 3, 14, 9, 5, 12)},
      {"first packable", 1980, 1, 1, 0, 0, 0, Packed(1980, 1, 1, 0, 0, 0)},
      {"last packable", 2107, 12, 31, 23, 59, 58, Packed(2107, 12, 31, 23, 59, 58)},
      {"after 2043 is unsigned", 2050, 7, 1, 12, 0, 0, Packed(2050, 7, 1, 12, 0, 0)},
      {"before 1980", 1975, 6, 1, 12, 0, 0, 0},
      {"after 2107", 2120, 6, 1, 12, 0, 0, 0},
  };
  for (const auto& row : rows) {
    tree_.File(row.Name);
    SYSTEMTIME local{};
    local.wYear = row.Year;
    local.wMonth = row.Month;
    local.wDay = row.Day;
    local.wHour = row.Hour;
    local.wMinute = row.Minute;
    local.wSecond = row.Second;
    tree_.WriteTime(row.Name, local);
  }
  tree_.Folder("folder 2003");
  SYSTEMTIME local{2003, 1, 0, 2, 0, 0, 0, 0};
  tree_.WriteTime("folder 2003", local);
  const auto found = SearchAll(tree_.Path("*.*"), kFilePassAttr);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    ASSERT_TRUE(found.contains(row.Name));
    EXPECT_EQ(found.at(row.Name).Time, row.Expected);
  }
  EXPECT_EQ(found.at("folder 2003").Time, Packed(2003, 1, 2, 0, 0, 0));
}

class FolderLinkTest : public FileSearchTest {
 protected:
  // a\b\c with links in c; true when links can be made here.
  bool MakeLinks() {
    tree_.Folder("a");
    tree_.Folder("a\\b");
    tree_.Folder("a\\b\\c");
    tree_.Folder("elsewhere");
    const std::string c = tree_.Path("a\\b\\c\\");
    return test::MakeFolderLink(c + "to self", tree_.Path("a\\b\\c")) &&
           test::MakeFolderLink(c + "to parent", tree_.Path("a\\b")) &&
           test::MakeFolderLink(c + "to root", tree_.Path("a")) &&
           test::MakeFolderLink(c + "to drive", tree_.Root().substr(0, 3)) &&
           test::MakeFolderLink(c + "to elsewhere", tree_.Path("elsewhere"));
  }
};

TEST_F(FolderLinkTest, OnlyLinksBackToAnAncestorAreCaught) {
  if (!MakeLinks()) GTEST_SKIP() << "no folder link can be made here";
  const std::string c = tree_.Path("a\\b\\c\\");
  const auto found = SearchAll(c + "*.*", kFolderPassAttr);
  const struct {
    const char* Name;
    bool Loop;
  } rows[] = {
      {"to self", true},  {"to parent", true},     {"to root", true},
      {"to drive", true}, {"to elsewhere", false},
  };
  std::unique_ptr<TFileSystem> files = NewPlatformFileSystem();
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    ASSERT_TRUE(found.contains(row.Name));
    const uint32_t attr = found.at(row.Name).Attr;
    EXPECT_EQ(attr & (kAttrDirectory | kAttrReparsePoint), kAttrDirectory | kAttrReparsePoint);
    EXPECT_EQ(files->IsLinkToAncestor(c + row.Name + "\\", attr), row.Loop);
  }
}

TEST_F(FolderLinkTest, PlainFoldersAndBrokenLinksAreNoLoops) {
  std::unique_ptr<TFileSystem> files = NewPlatformFileSystem();
  tree_.Folder("plain");
  EXPECT_FALSE(files->IsLinkToAncestor(tree_.Path("plain\\"), kAttrDirectory));
  // Without the reparse bit no question is asked of the disk, whatever the path.
  EXPECT_FALSE(files->IsLinkToAncestor(tree_.Path("missing\\"), kAttrDirectory));
  // A link whose target has gone leads nowhere.
  tree_.Folder("target");
  if (!test::MakeFolderLink(tree_.Path("dangling"), tree_.Path("target")))
    GTEST_SKIP() << "no folder link can be made here";
  ASSERT_TRUE(RemoveDirectoryA(tree_.Path("target").c_str()));
  EXPECT_FALSE(
      files->IsLinkToAncestor(tree_.Path("dangling\\"), kAttrDirectory | kAttrReparsePoint));
}

}  // namespace
}  // namespace ramilux
