// The walk over the in-memory file system: what becomes an entry, in which order, with
// which fields, and how a stop, a loop link or an unreadable folder end it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "fake_listing.h"

namespace ramilux {
namespace {

using test::TFakeListing;
using test::TFakeNode;
using test::TFakeTextServices;
using test::TRecordingWindow;
using ::testing::ElementsAre;

// root: a.txt, B.HTM, docs\ (plan.htm, old\ (x.htm)), .hid (hidden file), sys\ (system
// folder), src\ (empty)
void MakeTree(TFakeListing& f) {
  f.Files.AddFile("a.txt", 10, 0x2E6E4A00);
  f.Files.AddFile("B.HTM", 20);
  f.Files.AddFolder("docs", 0x2E220000);
  f.Files.AddFile("docs\\plan.htm", 300);
  f.Files.AddFolder("docs\\old");
  f.Files.AddFile("docs\\old\\x.htm", 5);
  f.Files.AddFile(".hid", 1, 0, kAttrHidden | kAttrArchive);
  f.Files.AddFolder("sys", 0, kAttrDirectory | kAttrSystem);
  f.Files.AddFile("sys\\inside.htm", 1);
  f.Files.AddFolder("src");
}

TEST(Walk, FilesFirstThenEachFolderFollowedByItsContents) {
  TFakeListing f;
  MakeTree(f);
  f.Listing.BuildMaskList("");
  f.Listing.ScanTree(f.Files.Root(), true);
  // Hidden files are listed, hidden and system folders neither listed nor entered.
  EXPECT_THAT(f.Names(),
              ElementsAre("a.txt", "B.HTM", ".hid", "docs", "plan.htm", "old", "x.htm", "src"));
  const TFileObject& x = f.Listing.Entries()[6];
  EXPECT_EQ(x.Directory().Text(), "docs\\old\\");
  EXPECT_EQ(x.Key(), "docs\\old\\x.htm");
  EXPECT_EQ(f.Listing.Entries()[0].Key(), "a.txt");
  EXPECT_EQ(f.Listing.Entries()[0].Time, 0x2E6E4A00u);
  EXPECT_EQ(f.Listing.Entries()[3].Size, 0);
  EXPECT_EQ(f.Listing.Entries()[3].Attr(), kAttrDirectory);
  EXPECT_EQ(f.Listing.Entries()[3].Time, 0x2E220000u);
  // Entries of one folder share one stored Directory, also past a sub-folder's contents.
  EXPECT_EQ(f.Listing.Entries()[4].Directory().Record(),
            f.Listing.Entries()[5].Directory().Record());
  EXPECT_EQ(f.Listing.Entries()[3].Directory().Record(),
            f.Listing.Entries()[7].Directory().Record());
  EXPECT_EQ(f.Files.OpenSearches, 0);
  EXPECT_EQ(f.Files.MostOpenSearches, 3);  // one per level: root, docs, old
  // The sort gives each entry its base prefix: a blank group a level above it, a corner.
  f.Listing.SortEntries(0);
  const auto& sorted = f.Listing.Entries().Items;
  auto deep = std::find_if(sorted.begin(), sorted.end(),
                           [](const TFileObject& e) { return e.Key() == "docs\\old\\x.htm"; });
  ASSERT_NE(deep, sorted.end());
  EXPECT_EQ(deep->PrefixText(), std::string(6, ' ') + "\xC0\xC4 ");
}

TEST(Walk, MasksPickFilesCaseBlindAndSizeIsReadOnlyForMatches) {
  TFakeListing f;
  MakeTree(f);
  f.Listing.BuildMaskList("*.htm");
  f.Listing.ScanTree(f.Files.Root(), true);
  EXPECT_THAT(f.Names(), ElementsAre("B.HTM", "docs", "plan.htm", "old", "x.htm", "src"));
  EXPECT_EQ(f.Files.SizeReads, 3 + 3);  // three files and three folders
}

TEST(Walk, AMaskThatTakesEveryNameListsEveryFileStillLessTheExcluded) {
  for (const char* mask : {"*.HTM;*.*", "x; * ", "*.*"}) {
    TFakeListing f;
    MakeTree(f);
    f.Listing.BuildMaskList(mask);
    f.Listing.ScanTree(f.Files.Root(), true);
    EXPECT_THAT(f.Names(),
                ElementsAre("a.txt", "B.HTM", ".hid", "docs", "plan.htm", "old", "x.htm", "src"))
        << mask;
    f.Listing.SetExcludeMasks("*.htm");
    f.Listing.ScanTree(f.Files.Root(), true);
    EXPECT_THAT(f.Names(), ElementsAre("a.txt", ".hid", "docs", "old", "src")) << mask;
  }
}

TEST(Walk, WithoutFilesOrWithAnEmptyMaskOnlyFoldersAreListed) {
  for (const char* mask : {"*", "   ", ";", " ; ;"}) {
    TFakeListing f;
    MakeTree(f);
    f.Listing.BuildMaskList(mask);
    f.Listing.ScanTree(f.Files.Root(), mask[0] != '*');
    EXPECT_THAT(f.Names(), ElementsAre("docs", "old", "src")) << "mask \"" << mask << '"';
    // No file pass at all: only folder searches (attribute 16) were made.
    EXPECT_EQ(f.Files.FindFirstPatterns.size(), 4u);
  }
}

TEST(Walk, SizeFilterDirectionIsReadForEveryFile) {
  TFakeListing f;
  f.Files.AddFile("small", 100);
  f.Files.AddFile("big", 5000);
  f.Files.AddFile("huge", 5LL << 30);
  f.Listing.BuildMaskList("");
  f.Listing.SetMinSize("4");
  f.Window.Higher = true;
  f.Listing.ScanTree(f.Files.Root(), true);
  EXPECT_THAT(f.Names(), ElementsAre("big", "huge"));
  EXPECT_EQ(f.Listing.Entries()[1].Size, 5LL << 30);  // 64-bit sizes: not wrapped
}

TEST(Walk, DirectionChangedDuringTheWalkCountsFromThenOn) {
  TFakeListing f;
  for (const char* name : {"s1", "b1", "s2", "b2"})
    f.Files.AddFile(name, name[0] == 's' ? 100 : 5000);
  f.Listing.BuildMaskList("");
  f.Listing.SetMinSize("1");
  f.Window.Higher = true;
  f.Files.OnFindNext = [&](int n) {
    if (n == 4) f.Window.Higher = false;  // as the search delivers s2
  };
  f.Listing.ScanTree(f.Files.Root(), true);
  EXPECT_THAT(f.Names(), ElementsAre("b1", "s2"));
}

TEST(Walk, LabelShowsEachFolderAndInputIsHandledTwicePerFolder) {
  TFakeListing f;
  MakeTree(f);
  f.Listing.BuildMaskList("");
  f.Listing.ScanTree(f.Files.Root(), true);
  EXPECT_THAT(f.Window.Labels, ElementsAre("C:\\root\\", "C:\\root\\docs\\",
                                           "C:\\root\\docs\\old\\", "C:\\root\\src\\"));
  EXPECT_EQ(f.Window.ProcessMessagesCalls, 8);
}

TEST(Walk, RootWithoutTrailingSeparatorAndPosixSeparator) {
  TFakeListing f('/');
  f.Files.AddFile("docs/old/x", 1);
  f.Listing.BuildMaskList("");
  f.Listing.ScanTree("/root", true);
  EXPECT_THAT(f.Names(), ElementsAre("docs", "old", "x"));
  EXPECT_EQ(f.Listing.Entries()[2].Directory().Text(), "docs/old/");
  f.Listing.SortEntries(0);  // which gives the base prefixes
  EXPECT_EQ(f.Listing.Entries()[2].Prefix.size(), 9u);
}

TEST(Walk, UnsearchableFolderIsListedEmptyAndTheWalkGoesOn) {
  TFakeListing f;
  f.Files.AddFile("locked\\secret", 1);
  f.Files.AddFolder("locked").Unsearchable = true;
  f.Files.AddFile("next\\visible", 1);
  f.Listing.BuildMaskList("");
  f.Listing.ScanTree(f.Files.Root(), true);
  EXPECT_THAT(f.Names(), ElementsAre("locked", "next", "visible"));
}

// A folder that cannot be read is listed, marked on its entry and recorded once; an empty
// folder is not. With or without the file pass, the mark is the same.
TEST(Walk, UnreadFoldersAreMarkedAndRecordedOnce) {
  struct TRow {
    const char* Case;
    void (*Break)(TFakeNode&, TFakeListing&);
    uint32_t Mark;
    TSearchFailure Failure;
  };
  const TRow rows[] = {
      {"denied", [](TFakeNode& n, TFakeListing&) { n.Unsearchable = true; }, kAttrUnreadDenied,
       TSearchFailure::AccessDenied},
      {"I/O error", [](TFakeNode& n, TFakeListing&) { n.Unreadable = true; }, kAttrUnreadOther,
       TSearchFailure::Unreadable},
      // Removed once the root's folder pass has found it, before the walk enters it.
      {"removed",
       [](TFakeNode& n, TFakeListing& f) {
         f.Window.OnProcessMessages = [&n, &f](int) {
           if (f.Window.Labels.back().ends_with("locked\\")) n.Attr &= ~kAttrDirectory;
         };
       },
       kAttrUnreadOther, TSearchFailure::Unreadable},
      {"empty", [](TFakeNode& n, TFakeListing&) { n.Children.clear(); }, 0u, TSearchFailure::None},
  };
  for (const TRow& row : rows) {
    for (bool withFiles : {true, false}) {
      TFakeListing f;
      f.Files.AddFile("locked\\secret", 1);
      f.Files.AddFile("next\\visible", 1);
      TFakeNode& locked = f.Files.AddFolder("locked");
      row.Break(locked, f);
      f.Listing.BuildMaskList("");
      f.Listing.ScanTree(f.Files.Root(), withFiles);
      SCOPED_TRACE(std::string(row.Case) + (withFiles ? " with files" : " folders only"));
      ASSERT_GE(f.Listing.Entries().size(), 2u);
      EXPECT_EQ(f.Listing.Entries()[0].Name, "locked");
      EXPECT_EQ(f.Listing.Entries()[0].Attr() & kAttrWalkMarks, row.Mark);
      EXPECT_EQ(f.Listing.Entries()[1].Attr() & kAttrWalkMarks, 0u);
      if (row.Mark == 0) {
        EXPECT_TRUE(f.Listing.Unread().empty());
      } else {
        ASSERT_EQ(f.Listing.Unread().size(), 1u);
        EXPECT_EQ(f.Listing.Unread()[0].Path, "C:\\root\\locked\\");
        EXPECT_EQ(f.Listing.Unread()[0].Failure, row.Failure);
        EXPECT_FALSE(f.Listing.Unread()[0].Reason.empty());
      }
    }
  }
}

TEST(Walk, UnreadRootIsRecordedWithoutAnEntry) {
  TFakeListing f;
  f.Files.Resolve(f.Files.Root(), true)->Unsearchable = true;
  f.Listing.BuildMaskList("");
  f.Listing.ScanTree(f.Files.Root(), true);
  EXPECT_TRUE(f.Listing.Entries().empty());
  ASSERT_EQ(f.Listing.Unread().size(), 1u);
  EXPECT_EQ(f.Listing.Unread()[0].Path, "C:\\root\\");
}

// A file whose size cannot be read is listed, whatever the size filter, and never counts
// as empty: "only empty files" does not take it for one.
TEST(Walk, FileOfUnknownSizeIsListedAndNotEmpty) {
  TFakeListing f;
  f.Files.AddFile("unknown", kUnknownSize);
  f.Files.AddFile("empty", 0);
  f.Files.AddFile("full", 10);
  f.Listing.BuildMaskList("");
  f.Listing.SetMinSize("0");
  f.Window.Higher = false;
  f.Listing.ScanTree(f.Files.Root(), true);
  EXPECT_THAT(f.Names(), ElementsAre("unknown", "empty"));
  EXPECT_NE(f.Listing.Entries()[0].Attr() & kAttrSizeUnknown, 0u);
  EXPECT_NE(f.Listing.Entries()[0].Size, 0);
}

TEST(Walk, LinkBackToAnAncestorIsListedButNotEntered) {
  TFakeListing f;
  f.Files.AddFile("docs\\a", 1);
  f.Files.AddLinkToAncestor("docs\\loop", "");
  f.Listing.BuildMaskList("");
  f.Listing.ScanTree(f.Files.Root(), true);
  EXPECT_THAT(f.Names(), ElementsAre("docs", "a", "loop"));
  EXPECT_EQ(f.Files.FindFirstPatterns.size(), 4u);  // root and docs, two passes each
}

// A depth limit and exclusions decide both what is listed and which folders are searched
// at all: a folder at the limit or excluded is never entered.
TEST(Walk, DepthLimitAndExclusionsKeepFoldersUnsearched) {
  using TNames = std::vector<std::string>;
  struct TRow {
    const char* Case;
    int MaxDepth;
    const char* Exclude;
    TNames Expected;
    TNames Walked;  // the folders the label showed
  };
  const TRow rows[] = {
      {"one level", 1, "", {"a.txt", "B.HTM", ".hid", "docs", "src"}, {"C:\\root\\"}},
      {"two levels",
       2,
       "",
       {"a.txt", "B.HTM", ".hid", "docs", "plan.htm", "old", "src"},
       {"C:\\root\\", "C:\\root\\docs\\", "C:\\root\\src\\"}},
      {"folder by name, case-blind",
       0,
       "DOCS",
       {"a.txt", "B.HTM", ".hid", "src"},
       {"C:\\root\\", "C:\\root\\src\\"}},
      {"masks with blanks and an empty one",
       0,
       " *.htm ; ;A.TXT",
       {".hid", "docs", "old", "src"},
       {"C:\\root\\", "C:\\root\\docs\\", "C:\\root\\docs\\old\\", "C:\\root\\src\\"}},
      {"limit and exclusion",
       2,
       "o*;s??",
       {"a.txt", "B.HTM", ".hid", "docs", "plan.htm"},
       {"C:\\root\\", "C:\\root\\docs\\"}},
  };
  for (const TRow& row : rows) {
    TFakeListing f;
    MakeTree(f);
    f.Listing.BuildMaskList("");
    f.Listing.SetMaxDepth(row.MaxDepth);
    f.Listing.SetExcludeMasks(row.Exclude);
    f.Listing.ScanTree(f.Files.Root(), true);
    EXPECT_EQ(f.Names(), row.Expected) << row.Case;
    EXPECT_EQ(f.Window.Labels, row.Walked) << row.Case;
  }
}

TEST(Walk, StopDuringFilePassLeavesTheFolderPassOut) {
  TFakeListing f;
  for (const char* name : {"f1", "f2", "f3"}) f.Files.AddFile(name, 1);
  f.Files.AddFolder("sub");
  f.Listing.BuildMaskList("");
  // Stop pressed during the third find-next of the root's file pass (the one finding f2).
  f.Files.OnFindNext = [&](int n) {
    if (n == 3) f.Listing.RequestStop();
  };
  f.Listing.ScanTree(f.Files.Root(), true);
  EXPECT_THAT(f.Names(), ElementsAre("f1"));
  EXPECT_EQ(f.Files.OpenSearches, 0);
}

TEST(Walk, StopIsPolledAfterFindNextOnly) {
  TFakeListing f;
  f.Files.AddFile("a\\b\\deep", 1);
  f.Files.AddFolder("z");
  f.Listing.BuildMaskList("");
  // Stop pressed while the walk enters "a": the walk still leaves through find-nexts,
  // and no entry is added after the flag was seen.
  f.Window.OnProcessMessages = [&](int n) {
    if (n == 3) f.Listing.RequestStop();
  };
  f.Listing.ScanTree(f.Files.Root(), true);
  EXPECT_THAT(f.Names(), ElementsAre("a"));
  EXPECT_EQ(f.Files.OpenSearches, 0);
}

// Stop pressed before a pass begins: what its find-first returns is still taken (and a
// folder still entered); only the find-next after it sees the flag.
TEST(Walk, EntryOfFindFirstIsTakenAfterStop) {
  struct TRow {
    const char* Case;
    bool WithFiles;
    std::vector<std::string> Files;  // in the order the searches find them
    std::vector<std::string> Names;
  };
  const TRow rows[] = {
      {"file pass", true, {"f", "d\\inner", "g"}, {"f"}},
      {"folder pass", false, {"d\\inner", "f", "e\\inner"}, {"d"}},
  };
  for (const TRow& row : rows) {
    TFakeListing f;
    f.Files.DotEntries = false;
    for (const std::string& file : row.Files) f.Files.AddFile(file, 1);
    f.Listing.BuildMaskList("");
    f.Window.OnProcessMessages = [&](int n) {
      if (n == 1) f.Listing.RequestStop();  // while the root's label is shown
    };
    f.Listing.ScanTree(f.Files.Root(), row.WithFiles);
    EXPECT_EQ(f.Names(), row.Names) << row.Case;
    EXPECT_EQ(f.Files.OpenSearches, 0) << row.Case;
  }
}

// A chain of folders "d", each inside the one before, `Depth` deep under "/chain/", with
// the file "end.txt" at its end: deeper than the fake's paths go, and answered from the
// pattern's length alone, so that only the walk's own cost grows with the depth.
class TChainFileSystem : public TFileSystem {
 public:
  explicit TChainFileSystem(size_t depth) : Depth(depth) {}
  char Separator() const override { return '/'; }
  std::unique_ptr<TFileSearch> NewSearch() override;
  bool IsLinkToAncestor(const std::string&, uint32_t) override { return false; }

  const size_t Depth;
  int OpenSearches = 0, MostOpenSearches = 0;
};

class TChainSearch : public TFileSearch {
 public:
  explicit TChainSearch(TChainFileSystem& chain) : chain_(chain) {}
  ~TChainSearch() override { Close(); }
  bool FindFirst(const std::string& pattern, uint32_t) override {
    const size_t level = (pattern.size() - std::string_view("/chain/*.*").size()) / 2;
    last_ = level < chain_.Depth ? "d" : "end.txt";
    next_ = 0;
    open_ = true;
    chain_.MostOpenSearches = std::max(chain_.MostOpenSearches, ++chain_.OpenSearches);
    return FindNext();
  }
  bool FindNext() override {
    if (!open_) return false;
    if (++next_ <= 3) return true;  // ".", "..", then the folder's one entry
    Close();
    return false;
  }
  void Close() override {
    if (open_) --chain_.OpenSearches;
    open_ = false;
  }
  std::string_view Name() const override { return next_ == 1 ? "." : next_ == 2 ? ".." : last_; }
  uint32_t Attr() const override { return next_ < 3 || last_ == "d" ? kAttrDirectory : 0; }
  uint32_t Time() override { return 0; }
  int64_t Size() override { return Attr() == 0 ? 1 : 0; }

 private:
  TChainFileSystem& chain_;
  std::string_view last_;
  size_t next_ = 0;
  bool open_ = false;
};

std::unique_ptr<TFileSearch> TChainFileSystem::NewSearch() {
  return std::make_unique<TChainSearch>(*this);
}

// A window that keeps only the length of the last label: a label per level of a chain a
// hundred thousand deep would take gigabytes.
struct TLabelLengthWindow : TRecordingWindow {
  void SetDirectoryLabel(const std::string& text) override { LastLabelLength = text.size(); }
  size_t LastLabelLength = 0;
};

struct TChainListing {
  explicit TChainListing(size_t depth) : Files(depth) {
    Listing.SetRoot("/chain/");
    Listing.BuildMaskList("");
    Listing.ScanTree(Listing.Directory(), true);
  }
  TChainFileSystem Files;
  TFakeTextServices Text;
  TLabelLengthWindow Window;
  TListing Listing{TListingPorts{Files, Text, Window, Window, Window}};
};

// The walk keeps its way down in a stack of its own: a recursion would end the thread's
// stack long before (near 55,000 levels, 10,000 under the address sanitizer). The arena
// grows with the depth, not with its square: every folder is one record, and no prefix
// is kept a group per level.
TEST(Walk, ChainOfAHundredThousandFoldersTakesMemoryInItsDepth) {
  struct TRow {
    size_t Depth;
    size_t ArenaBytes = 0;
  };
  TRow rows[] = {{50000}, {100000}};
  for (TRow& row : rows) {
    TChainListing chain(row.Depth);
    const TEntryList& entries = chain.Listing.Entries();
    ASSERT_EQ(entries.size(), row.Depth + 1);
    EXPECT_EQ(chain.Files.MostOpenSearches, static_cast<int>(row.Depth) + 1);
    EXPECT_EQ(chain.Files.OpenSearches, 0);
    EXPECT_EQ(chain.Window.LastLabelLength, std::string("/chain/").size() + 2 * row.Depth);
    chain.Listing.SortEntries(0);
    chain.Listing.FixConnectors();
    const TFileObject& end = entries[row.Depth];
    EXPECT_EQ(std::string(end.Name), "end.txt");
    EXPECT_EQ(end.Directory().Depth(), row.Depth);
    EXPECT_EQ(end.Prefix.Groups(), row.Depth + 1);
    EXPECT_FALSE(end.Prefix.HoldsAll());
    row.ArenaBytes = entries.Strings.Bytes();
  }
  // A level's name and its folder's record, both in the arena.
  for (const TRow& row : rows) {
    EXPECT_LE(row.ArenaBytes, (16 + sizeof(TFolderRecord)) * row.Depth + (512 << 10));
  }
  EXPECT_LE(rows[1].ArenaBytes, rows[0].ArenaBytes * 21 / 10);
}

// The lines of a chain: every level's columns blank, the last one's corner.
TEST(Walk, ChainIsWrittenWithItsColumns) {
  constexpr size_t kDepth = 2000;
  TChainListing chain(kDepth);
  chain.Window.Files = true;
  ASSERT_TRUE(chain.Listing.Run());
  const std::vector<std::string> lines = chain.Window.ViewLines();
  ASSERT_EQ(lines.size(), kDepth + 3);
  EXPECT_EQ(lines[2], "\xC0\xC4 d");
  EXPECT_EQ(lines[3], "   \xC0\xC4 d");
  EXPECT_EQ(lines.back(), std::string(3 * kDepth, ' ') + "\xC0\xC4 end.txt");
}

}  // namespace
}  // namespace ramilux
