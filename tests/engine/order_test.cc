// The three orders: the worked example, names that collate before the separator, late
// dates, large files, and the fast sort against the comparators on random trees.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "fake_text_services.h"
#include "listing.h"
#include "order_places.h"

namespace ramilux {
namespace {

using test::TCollation;
using test::TFakeTextServices;
using ::testing::ElementsAreArray;

struct E {
  std::string dir;
  std::string name;
  int64_t size = 0;
  uint32_t time = 0;
};

TEntryList MakeList(const std::vector<E>& rows, char separator = '\\') {
  TEntryList list;
  for (const E& row : rows) {
    TFileObject& e = list.Items.emplace_back();
    e.SetDirectory(list.AddFolders(row.dir, separator));
    e.Name = list.Strings.Store(row.name);
    e.Size = row.size;
    e.Time = row.time;
  }
  return list;
}

std::vector<std::string> Names(const TEntryList& list) {
  std::vector<std::string> names;
  for (const TFileObject& e : list.Items) names.emplace_back(e.Name);
  return names;
}

// The root holds docs, notes.txt (50 bytes), readme.txt (40 bytes, older) and zero.txt;
// docs holds plan.doc (300), empty.txt (0) and old, which holds x.doc (10). In walk order.
std::vector<E> Example() {
  return {{"", "notes.txt", 50, 0x2E6E0000},
          {"", "readme.txt", 40, 0x2E220000},
          {"", "zero.txt", 0},
          {"", "docs"},
          {"docs\\", "plan.doc", 300},
          {"docs\\", "empty.txt", 0},
          {"docs\\", "old"},
          {"docs\\old\\", "x.doc", 10}};
}

struct OrderRow {
  const char* label;
  TSortKind kind;
  TCollation collation;
  std::vector<std::string> names;
};

class ExampleOrder : public ::testing::TestWithParam<OrderRow> {};

TEST_P(ExampleOrder, IsTheTreeInPreOrder) {
  TFakeTextServices text;
  text.Collation = GetParam().collation;
  std::vector<E> rows = Example();
  std::reverse(rows.begin(), rows.end());  // the sort must not lean on the walk's order
  TEntryList list = MakeList(rows);
  SortEntryList(list, TOrderContext{text, '\\'}, GetParam().kind);
  EXPECT_THAT(Names(list), ElementsAreArray(GetParam().names));
}

const std::vector<std::string> kByName = {"notes.txt", "readme.txt", "docs",  "plan.doc",
                                          "empty.txt", "old",        "x.doc", "zero.txt"};
const std::vector<std::string> kBySize = {"readme.txt", "notes.txt", "docs",  "plan.doc",
                                          "empty.txt",  "old",       "x.doc", "zero.txt"};

INSTANTIATE_TEST_SUITE_P(
    Rows, ExampleOrder,
    ::testing::Values(OrderRow{"Name", TSortKind::Name, TCollation::Bytes, kByName},
                      OrderRow{"Size", TSortKind::Size, TCollation::Bytes, kBySize},
                      OrderRow{"Date", TSortKind::Date, TCollation::Bytes, kBySize},
                      OrderRow{"NameCaseBlind", TSortKind::Name, TCollation::CaseBlind, kByName},
                      OrderRow{"SizeCaseInsensitive", TSortKind::Size, TCollation::CaseInsensitive,
                               kBySize}),
    [](const auto& row) { return row.param.label; });

TEST(Comparators, FollowTheOrderOfTheExample) {
  TFakeTextServices text;
  TOrderContext ctx{text, '\\'};
  TEntryList list = MakeList(Example());
  const TFileObject &notes = list[0], &readme = list[1], &zero = list[2], &docs = list[3],
                    &plan = list[4], &empty = list[5], &x = list[7];
  EXPECT_LT(CompareByName(ctx, notes, readme), 0);
  EXPECT_GT(CompareBySize(ctx, notes, readme), 0);
  EXPECT_GT(CompareByDate(ctx, notes, readme), 0);
  EXPECT_LT(CompareByName(ctx, readme, docs), 0);
  EXPECT_LT(CompareByName(ctx, docs, plan), 0);
  EXPECT_LT(CompareBySize(ctx, plan, empty), 0);  // a non-empty file before the folder's rest
  EXPECT_LT(CompareByDate(ctx, x, zero), 0);      // different folders: paths decide
  EXPECT_EQ(CompareByName(ctx, docs, docs), 0);
  EXPECT_GT(CompareByName(ctx, zero, docs), 0);
}

TEST(Comparators, EqualSizesOrDatesFallBackToTheName) {
  TFakeTextServices text;
  TOrderContext ctx{text, '\\'};
  TEntryList list = MakeList({{"d\\", "b", 7, 99}, {"d\\", "a", 7, 99}, {"e\\", "a", 1, 1}});
  EXPECT_GT(CompareBySize(ctx, list[0], list[1]), 0);
  EXPECT_GT(CompareByDate(ctx, list[0], list[1]), 0);
  // Files of different folders are never compared by size.
  EXPECT_LT(CompareBySize(ctx, list[0], list[2]), 0);
}

TEST(Order, NamesThatCollateBeforeTheSeparatorStayOutOfTheFolder) {
  for (char sep : {'\\', '/'}) {
    TFakeTextServices text;  // byte order: " ", "!", "-", "." all come before "\" and "/"
    std::string d = std::string("docs") + sep;
    TEntryList list = MakeList({{"", "docs.old"},
                                {"", "docs-old"},
                                {"", "docs old"},
                                {"", "docs!"},
                                {"", "docs"},
                                {d, "a.txt", 5},
                                {d, "sub"},
                                {d + "sub" + sep, "deep", 3},
                                {"docs.old" + std::string(1, sep), "inside", 0}},
                               sep);
    TOrderContext ctx{text, sep};
    EXPECT_LT(CompareByName(ctx, list[5], list[0]), 0) << sep;
    EXPECT_LT(CompareByName(ctx, list[7], list[3]), 0) << sep;
    SortEntryList(list, ctx, TSortKind::Name);
    EXPECT_THAT(Names(list), ElementsAreArray({"docs", "a.txt", "sub", "deep", "docs old", "docs!",
                                               "docs-old", "docs.old", "inside"}))
        << sep;
  }
}

// "Docs" and "docs" may both exist; a collation that calls them equal must neither mix
// their contents nor leave their order to the sort: their bytes decide, in every order
// and whatever order the walk found them in.
TEST(Order, NamesTheCollationCallsEqualGoInByteOrder) {
  const std::vector<E> rows = {{"", "f.txt", 9, 5}, {"", "F.txt", 9, 5}, {"", "e"},
                               {"", "docs"},        {"", "E"},           {"", "Docs"},
                               {"docs\\", "y", 1},  {"Docs\\", "x", 1}};
  for (TSortKind kind : {TSortKind::Name, TSortKind::Size, TSortKind::Date}) {
    for (bool reversed : {false, true}) {
      TFakeTextServices text;
      text.Collation = TCollation::CaseInsensitive;
      std::vector<E> walked = rows;
      if (reversed) std::reverse(walked.begin(), walked.end());
      TEntryList list = MakeList(walked);
      SortEntryList(list, TOrderContext{text, '\\'}, kind);
      EXPECT_THAT(Names(list),
                  ElementsAreArray({"F.txt", "f.txt", "Docs", "x", "docs", "y", "E", "e"}))
          << static_cast<int>(kind) << (reversed ? " reversed" : "");
    }
  }
}

TEST(Order, DatesAfter2043AreLater) {
  TFakeTextServices text;
  // 2036 and 2052: the second has the top bit set, negative as a signed number.
  TEntryList list = MakeList({{"", "late", 1, 0x90210000}, {"", "early", 1, 0x70210000}});
  SortEntryList(list, TOrderContext{text, '\\'}, TSortKind::Date);
  EXPECT_THAT(Names(list), ElementsAreArray({"early", "late"}));
}

TEST(Order, FourGigabyteFileIsOrderedAsAFile) {
  TFakeTextServices text;
  TEntryList list = MakeList({{"", "aaa"}, {"", "zzz", 4LL << 30}, {"", "mid", 3LL << 30}});
  SortEntryList(list, TOrderContext{text, '\\'}, TSortKind::Size);
  EXPECT_THAT(Names(list), ElementsAreArray({"mid", "zzz", "aaa"}));
}

TEST(Order, ListsThatAreNoTreeAreSortedByTheComparator) {
  TFakeTextServices text;
  // Contents of "x" without an entry for x itself, and a duplicate folder.
  TEntryList list =
      MakeList({{"x\\", "b", 1}, {"", "y"}, {"x\\", "a", 2}, {"", "y"}, {"y\\", "c", 0}});
  SortEntryList(list, TOrderContext{text, '\\'}, TSortKind::Size);
  EXPECT_THAT(Names(list), ElementsAreArray({"b", "a", "y", "y", "c"}));
}

// Random trees whose names share stems and use the characters that sort before the
// separator: the fast sort gives exactly the comparator's order, on one thread or three.
TEST(Order, FastSortMatchesTheComparatorOnRandomTrees) {
  std::mt19937 random(12345);
  const std::vector<std::string> stems = {"a", "a.b", "a-b", "a b", "A", "b", "a!", "ab"};
  for (int round = 0; round < 30; ++round) {
    std::vector<E> rows;
    std::vector<std::string> folders = {""};
    for (int i = 0; i < 200; ++i) {
      std::string dir = folders[random() % folders.size()];
      std::string name = stems[random() % stems.size()] + std::to_string(i % 3);
      bool taken = std::any_of(rows.begin(), rows.end(),
                               [&](const E& e) { return e.dir == dir && e.name == name; });
      if (taken) continue;
      int kind = random() % 3;  // folder, empty file, non-empty file
      rows.push_back(
          {dir, name, kind == 2 ? int64_t(random() % 50 + 1) : 0, static_cast<uint32_t>(random())});
      if (kind == 0) folders.push_back(dir + name + "\\");
    }
    for (TSortKind kind : {TSortKind::Name, TSortKind::Size, TSortKind::Date}) {
      TFakeTextServices text;
      const TCollation collations[] = {TCollation::Bytes, TCollation::CaseBlind,
                                       TCollation::CaseInsensitive};
      text.Collation = collations[round % 3];
      TOrderContext ctx{text, '\\'};
      TEntryList fast = MakeList(rows);
      SortEntryList(fast, ctx, kind);
      TEntryList plain = MakeList(rows);
      auto compare = kind == TSortKind::Name   ? CompareByName
                     : kind == TSortKind::Size ? CompareBySize
                                               : CompareByDate;
      std::stable_sort(
          plain.Items.begin(), plain.Items.end(),
          [&](const TFileObject& a, const TFileObject& b) { return compare(ctx, a, b) < 0; });
      // The folders shared among threads give the same list, and so does a list that
      // holds a folder's contents before the folder itself.
      TEntryList threaded = MakeList(rows);
      SortEntryList(threaded, ctx, kind, 3);
      std::vector<E> shuffledRows = rows;
      std::shuffle(shuffledRows.begin(), shuffledRows.end(), std::mt19937(round));
      TEntryList shuffled = MakeList(shuffledRows);
      SortEntryList(shuffled, ctx, kind);
      for (size_t i = 0; i < rows.size(); ++i) {
        ASSERT_EQ(fast[i].Key(), plain[i].Key()) << "round " << round << " entry " << i;
        ASSERT_EQ(threaded[i].Key(), plain[i].Key()) << "round " << round << " entry " << i;
        ASSERT_EQ(shuffled[i].Key(), plain[i].Key()) << "round " << round << " entry " << i;
        // The sort's numbers in the prefix words are gone: each entry has its base prefix.
        const std::string base = std::string(3 * fast[i].Directory().Depth(), ' ') + "\xC0\xC4 ";
        ASSERT_EQ(fast[i].PrefixText(), base) << "round " << round << " entry " << i;
        ASSERT_EQ(threaded[i].PrefixText(), base) << "round " << round << " entry " << i;
      }
    }
  }
}

// Random permutations of lists around the sizes where the move changes its way: one range
// that fits in the cache, ranges dealt once, ranges dealt again inside.
TEST(Order, EntriesMoveToThePlacesTheirLinksName) {
  struct Row {
    size_t count;
    unsigned threads;
  };
  for (const Row& row : {Row{1, 1}, Row{4096, 1}, Row{4097, 3}, Row{300001, 2}, Row{1100000, 3}}) {
    std::vector<uint32_t> places(row.count);
    for (size_t i = 0; i < row.count; ++i) places[i] = static_cast<uint32_t>(i);
    std::shuffle(places.begin(), places.end(), std::mt19937(static_cast<uint32_t>(row.count)));
    TEntryList list;
    const TFolderPath directory = list.AddFolders("a\\b\\", '\\');
    for (size_t i = 0; i < row.count; ++i) {
      TFileObject& e = list.Items.emplace_back();
      e.Size = static_cast<int64_t>(places[i]);
      e.SetDirectory(directory);
      SetLink(e, places[i]);
    }
    MoveToPlaces(list, row.threads);
    for (size_t k = 0; k < row.count; ++k) {
      ASSERT_EQ(list[k].Size, static_cast<int64_t>(k)) << row.count << " entries, place " << k;
      ASSERT_EQ(list[k].Prefix.Groups(), 3u) << row.count << " entries, place " << k;
    }
  }
}

// Entries deeper than a prefix holds in the entry get theirs in the arena after the sort.
TEST(Order, DeepEntriesGetTheirBasePrefixes) {
  std::vector<E> rows;
  std::string dir;
  for (int level = 0; level < 40; ++level) {
    rows.push_back({dir, "d" + std::to_string(level)});
    rows.push_back({dir, "f" + std::to_string(level), 1});
    dir += "d" + std::to_string(level) + "\\";
  }
  TFakeTextServices text;
  TEntryList list = MakeList(rows);
  SortEntryList(list, TOrderContext{text, '\\'}, TSortKind::Name);
  for (size_t i = 0; i < list.size(); ++i) {
    const size_t depth = i / 2;  // each level's file, then its folder
    ASSERT_EQ(list[i].PrefixText(), std::string(3 * depth, ' ') + "\xC0\xC4 ") << i;
  }
}

}  // namespace
}  // namespace ramilux
