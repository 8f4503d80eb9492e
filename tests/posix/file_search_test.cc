// The POSIX file search against real temporary folders: what each pass delivers, the
// attribute bits, links, sizes beyond 32 bits and packed local times.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "packed_time.h"
#include "platform.h"
#include "temp_folder.h"

namespace ramilux {
namespace {

using test::Packed;
using test::TTempFolder;

constexpr const char* kWithoutCapabilities = "RAMILUX_WITHOUT_CAPABILITIES";

// Runs one test of this suite in a child without capabilities and returns its output.
std::string RunWithoutCapabilities(const std::string& test) {
  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  const std::string command = std::string(kWithoutCapabilities) +
                              "=1 setpriv --inh-caps=-all --bounding-set=-all -- '" + self +
                              "' --gtest_filter=" + test + " 2>&1";
  std::string out;
  if (FILE* child = popen(command.c_str(), "r")) {
    char buffer[4096];
    for (size_t got; (got = fread(buffer, 1, sizeof buffer, child)) > 0;) out.append(buffer, got);
    pclose(child);
  }
  return out;
}

// Every entry a search delivers: name → attributes.
std::map<std::string, uint32_t> Search(TFileSystem& files, const std::string& folder,
                                       uint32_t attrValue) {
  std::map<std::string, uint32_t> found;
  auto search = files.NewSearch();
  for (bool more = search->FindFirst(folder + "*.*", attrValue); more; more = search->FindNext()) {
    found.emplace(std::string(search->Name()), search->Attr());
  }
  search->Close();
  return found;
}

// The one entry called `name` in `folder`, read through a search.
struct TFound {
  uint32_t Attr = 0, Time = 0;
  int64_t Size = -1;
};
TFound Find(TFileSystem& files, const std::string& folder, const std::string& name) {
  auto search = files.NewSearch();
  for (bool more = search->FindFirst(folder + "*.*", kFilePassAttr); more;
       more = search->FindNext()) {
    if (search->Name() == name) return {search->Attr(), search->Time(), search->Size()};
  }
  ADD_FAILURE() << name << " not delivered";
  return {};
}

class PosixSearch : public ::testing::Test {
 protected:
  void SetUp() override {
    tree_.MakeFile("plain.txt", 10);
    tree_.MakeFile(".hidden-file", 3);
    tree_.MakeFolder("sub");
    tree_.MakeFolder(".hidden-folder");
  }
  std::unique_ptr<TFileSystem> files_ = NewPlatformFileSystem();
  TTempFolder tree_;
};

TEST_F(PosixSearch, FilePassDeliversEverythingWithDotNamesHidden) {
  const std::map<std::string, uint32_t> expected = {
      {".", kAttrDirectory},   {"..", kAttrDirectory},
      {"plain.txt", 0},        {".hidden-file", kAttrHidden},
      {"sub", kAttrDirectory}, {".hidden-folder", kAttrDirectory | kAttrHidden},
  };
  EXPECT_EQ(Search(*files_, tree_.Path(), kFilePassAttr), expected);
}

TEST_F(PosixSearch, FolderPassPassesOverHiddenEntries) {
  const std::map<std::string, uint32_t> expected = {
      {".", kAttrDirectory}, {"..", kAttrDirectory}, {"plain.txt", 0}, {"sub", kAttrDirectory}};
  EXPECT_EQ(Search(*files_, tree_.Path(), kFolderPassAttr), expected);
}

// The walk searches each folder twice in a row; the second search may reuse the first's
// reading, but must deliver what a search of its own would, with times still readable.
TEST_F(PosixSearch, SecondSearchOfAFolderDeliversWhatAFreshOneWould) {
  ASSERT_TRUE(test::SetLocalTime(tree_ / "sub", 2003, 3, 14, 9, 5, 12));
  const auto fresh = Search(*files_, tree_.Path(), kFolderPassAttr);
  Search(*files_, tree_.Path(), kFilePassAttr);
  auto search = files_->NewSearch();
  std::map<std::string, uint32_t> again;
  uint32_t subTime = 0;
  for (bool more = search->FindFirst(tree_.Path() + "*.*", kFolderPassAttr); more;
       more = search->FindNext()) {
    again.emplace(std::string(search->Name()), search->Attr());
    if (search->Name() == "sub") subTime = search->Time();
  }
  EXPECT_EQ(again, fresh);
  EXPECT_EQ(subTime, uint32_t(23 << 25 | 3 << 21 | 14 << 16 | 9 << 11 | 5 << 5 | 6));

  // A search closed before its end, or of another folder, leaves nothing to reuse.
  auto partial = files_->NewSearch();
  ASSERT_TRUE(partial->FindFirst(tree_.Path() + "*.*", kFilePassAttr));
  partial->Close();
  tree_.MakeFolder("new");
  EXPECT_TRUE(Search(*files_, tree_.Path(), kFolderPassAttr).contains("new"));
  Search(*files_, tree_.Path(), kFilePassAttr);
  Search(*files_, tree_ / "sub/", kFilePassAttr);
  tree_.MakeFolder("newer");
  EXPECT_TRUE(Search(*files_, tree_.Path(), kFolderPassAttr).contains("newer"));
}

// Each folder's reading reuses the storage of the one before it: folders of many and of
// few entries, searched in turn, each deliver their own entries and sizes, never another's.
TEST_F(PosixSearch, FoldersSearchedInTurnDeliverOnlyTheirOwnEntries) {
  struct TRow {
    const char* Folder;
    int Files;
  };
  const TRow rows[] = {{"many", 300}, {"few", 2}, {"none", 0}, {"some", 40}};
  std::map<std::string, std::map<std::string, uint32_t>> fresh;
  for (const TRow& row : rows) {
    tree_.MakeFolder(row.Folder);
    for (int i = 0; i < row.Files; ++i) {
      tree_.MakeFile(std::string(row.Folder) + "/" + row.Folder + std::to_string(i), i);
    }
    fresh[row.Folder] = Search(*NewPlatformFileSystem(), tree_ / row.Folder + "/", kFilePassAttr);
  }
  for (int round = 0; round < 2; ++round) {
    for (const TRow& row : rows) {
      const std::string folder = tree_ / row.Folder + "/";
      EXPECT_EQ(Search(*files_, folder, kFilePassAttr), fresh[row.Folder]) << row.Folder;
      if (row.Files > 1) {
        const std::string last = std::string(row.Folder) + std::to_string(row.Files - 1);
        EXPECT_EQ(Find(*files_, folder, last).Size, row.Files - 1) << row.Folder;
      }
    }
  }
}

TEST_F(PosixSearch, LinkToFolderIsAFileAsLstatSeesIt) {
  ASSERT_EQ(symlink("sub", (tree_ / "link").c_str()), 0);
  ASSERT_EQ(symlink("nowhere", (tree_ / "dangling").c_str()), 0);
  const TFound link = Find(*files_, tree_.Path(), "link");
  EXPECT_EQ(link.Attr, 0u);
  EXPECT_EQ(link.Size, 3);  // the length of "sub", not the folder's size
  EXPECT_EQ(Find(*files_, tree_.Path(), "dangling").Attr, 0u);
  EXPECT_FALSE(files_->IsLinkToAncestor(tree_ / "link/", link.Attr));
}

TEST_F(PosixSearch, FolderThatCannotBeOpenedFindsNothingAndSaysWhy) {
  auto search = files_->NewSearch();
  EXPECT_FALSE(search->FindFirst(tree_ / "missing/*.*", kFilePassAttr));
  EXPECT_FALSE(search->FindNext());
  EXPECT_EQ(search->Failure(), TSearchFailure::Unreadable);
  EXPECT_FALSE(search->FailureText().empty());
  search->Close();
  search->Close();  // closing twice is harmless
  // An empty folder is no failure, and a failure does not outlive its search.
  tree_.MakeFolder("empty");
  EXPECT_TRUE(search->FindFirst(tree_ / "empty/*.*", kFilePassAttr));
  while (search->FindNext()) {
  }
  EXPECT_EQ(search->Failure(), TSearchFailure::None);
  // A file in place of a folder cannot be searched either.
  EXPECT_FALSE(search->FindFirst(tree_ / "plain.txt/*.*", kFilePassAttr));
  EXPECT_EQ(search->Failure(), TSearchFailure::Unreadable);

  ASSERT_EQ(chmod((tree_ / "sub").c_str(), 0), 0);
  if (DIR* probe = opendir((tree_ / "sub").c_str())) {
    closedir(probe);
    // Root reads a folder of mode 000, and CI runs as root: the test runs again in a copy
    // of this suite without any capability, where root meets the mode bits like anyone.
    ASSERT_EQ(std::getenv(kWithoutCapabilities), nullptr) << "setpriv left a capability";
    const std::string out =
        RunWithoutCapabilities("PosixSearch.FolderThatCannotBeOpenedFindsNothingAndSaysWhy");
    EXPECT_NE(out.find("[  PASSED  ] 1 test."), std::string::npos) << out;
    return;
  }
  EXPECT_FALSE(search->FindFirst(tree_ / "sub/*.*", kFilePassAttr));
  EXPECT_EQ(search->Failure(), TSearchFailure::AccessDenied);
}

TEST_F(PosixSearch, SizesAre64BitAndFoldersHaveNone) {
  struct TRow {
    const char* Name;
    off_t Bytes;
  };
  const TRow rows[] = {
      {"empty", 0},
      {"small", 1500},
      {"three-gib", off_t(3) << 30},
      {"four-gib-and-five", (off_t(4) << 30) + 5},
  };
  for (const TRow& row : rows) tree_.MakeFile(row.Name, row.Bytes);
  for (const TRow& row : rows)
    EXPECT_EQ(Find(*files_, tree_.Path(), row.Name).Size, row.Bytes) << row.Name;
  EXPECT_EQ(Find(*files_, tree_.Path(), "sub").Size, 0);
}

TEST_F(PosixSearch, TimesArePackedLocalTimesOrZeroOutsideTheFormat) {
  struct TRow {
    const char* Name;
    int Year, Month, Day, Hour, Minute, Second;
    uint32_t Expected;
  };
  const TRow rows[] = {
      {"listing-example", 2003, 3, 14, 9, 5, 12, Packed(2003, 3, 14, 9, 5, 12)},
      {"odd-second-halved", 2003, 3, 14, 9, 5, 13, Packed(2003, 3, 14, 9, 5, 12)},
      {"first-packable", 1980, 1, 1, 0, 0, 0, Packed(1980, 1, 1, 0, 0, 0)},
      {"after-2043", 2050, 12, 31, 23, 59, 58, Packed(2050, 12, 31, 23, 59, 58)},
      {"before-1980", 1975, 6, 1, 12, 0, 0, 0},
      {"after-2107", 2108, 1, 1, 12, 0, 0, 0},
  };
  for (const TRow& row : rows) {
    tree_.MakeFile(row.Name, 1);
    ASSERT_TRUE(test::SetLocalTime(tree_ / row.Name, row.Year, row.Month, row.Day, row.Hour,
                                   row.Minute, row.Second));
  }
  for (const TRow& row : rows) {
    EXPECT_EQ(Find(*files_, tree_.Path(), row.Name).Time, row.Expected) << row.Name;
  }
}

// Local times are worked out from a cached offset per day: every time of a year, in zones
// with summer time, quarter-hour and half-hour offsets and leap seconds, must still be
// what the zone's own conversion gives, and a change of zone must not reuse the offsets.
TEST_F(PosixSearch, TimesMatchTheZonesOwnConversionAcrossChangesOfOffset) {
  const time_t start = 1041379200;  // 2003-01-01 00:00 UTC
  std::vector<time_t> instants = {start - 1, start, start + 86399};
  // Either side of the years the format holds, where one UTC day's local times fall on a
  // date inside them and on one outside: 1980-01-01 and 2108-01-01 00:00 UTC, give or take.
  for (const time_t edge : {time_t(315532800), time_t(4354819200)}) {
    for (const int hours : {-14, -12, -1, 0, 1, 11, 13}) instants.push_back(edge + hours * 3600);
    instants.push_back(edge - 1);
  }
  for (time_t t = start; t < start + 366 * 86400; t += 7 * 3600 + 13 * 60 + 17) {
    instants.push_back(t);
  }
  for (size_t i = 0; i < instants.size(); ++i) {
    const std::string name = "t" + std::to_string(i);
    tree_.MakeFile(name, 1);
    const struct timespec times[2] = {{instants[i], 0}, {instants[i], 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, (tree_ / name).c_str(), times, 0), 0);
  }
  std::vector<std::string> zones = {"CET-1CEST,M3.5.0,M10.5.0/3",
                                    "EST5EDT,M3.2.0,M11.1.0",
                                    "<+0545>-5:45",
                                    "<+1030>-10:30<+11>-11,M10.1.0,M4.1.0",
                                    "UTC0",
                                    "<+14>-14",
                                    "<-12>12",
                                    "<-0330>3:30"};
  for (const char* database : {"Europe/Paris", "right/Europe/Paris", "Australia/Lord_Howe"}) {
    if (std::filesystem::exists(std::string("/usr/share/zoneinfo/") + database)) {
      zones.push_back(database);
    }
  }
  for (const std::string& zone : zones) {
    test::TScopedEnv scoped("TZ", zone.c_str());
    tzset();
    auto search = files_->NewSearch();
    for (bool more = search->FindFirst(tree_.Path() + "*.*", kFilePassAttr); more;
         more = search->FindNext()) {
      const std::string name(search->Name());
      if (name[0] != 't') continue;
      const time_t when = instants[std::stoul(name.substr(1))];
      struct tm local;
      ASSERT_NE(localtime_r(&when, &local), nullptr);
      const int year = local.tm_year + 1900;
      const uint32_t expected = year < 1980 || year > 2107
                                    ? 0
                                    : Packed(year, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                                             local.tm_min, std::min(local.tm_sec, 59));
      EXPECT_EQ(search->Time(), expected) << zone << " at " << when;
    }
  }
  tzset();
}

TEST_F(PosixSearch, EmptyFolderStillDeliversItsDots) {
  tree_.MakeFolder("empty");
  const std::map<std::string, uint32_t> expected = {{".", kAttrDirectory}, {"..", kAttrDirectory}};
  EXPECT_EQ(Search(*files_, tree_ / "empty/", kFolderPassAttr), expected);
}

// A folder whose entries take many reads of the system's folder buffer: none is lost or
// repeated between reads, and a second reading starts again from the first entry.
TEST_F(PosixSearch, LargeFolderIsDeliveredWholeAcrossReads) {
  tree_.MakeFolder("large");
  std::map<std::string, uint32_t> expected = {{".", kAttrDirectory}, {"..", kAttrDirectory}};
  for (int i = 0; i < 3000; ++i) {
    const std::string name = "file-with-a-rather-long-name-" + std::to_string(i) + ".txt";
    tree_.MakeFile("large/" + name);
    expected.emplace(name, 0);
  }
  tree_.MakeFolder("large/sub");
  expected.emplace("sub", kAttrDirectory);
  EXPECT_EQ(Search(*files_, tree_ / "large/", kFilePassAttr), expected);
  auto partial = files_->NewSearch();  // closed early: the next search reads the folder again
  ASSERT_TRUE(partial->FindFirst(tree_ / "large/*.*", kFilePassAttr));
  partial->Close();
  EXPECT_EQ(Search(*files_, tree_ / "large/", kFilePassAttr), expected);
}

}  // namespace
}  // namespace ramilux
