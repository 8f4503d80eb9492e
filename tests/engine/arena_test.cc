// The entry list's string arena keeps every stored string intact as it grows, and its
// blocks of entries keep every entry through growth, copies and sorts; an entry's packed
// fields keep what was put in them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <new>
#include <string>
#include <vector>

#include "file_object.h"
#include "order_places.h"

namespace ramilux {
namespace {

TEST(StringArena, KeepsEveryStringAcrossBlocksAndLongStrings) {
  TStringArena arena;
  std::vector<std::pair<std::string, std::string_view>> stored;
  for (int i = 0; i < 50000; ++i) {
    std::string text = "entry " + std::to_string(i) + std::string(i % 40, 'x');
    if (i % 9999 == 0) text += std::string(200000, 'L');  // longer than a quarter block
    if (i % 997 == 1) text.resize(254 + i % 3, 'b');      // around the longest short length
    stored.emplace_back(text, arena.Store(text));
  }
  for (const auto& [text, view] : stored) ASSERT_EQ(text, view);
}

// The block numbers are the process's: a window that lists again and again gives each
// arena's back, and an arena moved keeps its texts when the one it came from goes.
TEST(StringArena, GivesItsBlocksBackAndKeepsThemWhenMoved) {
  TStringArena kept;
  const TArenaText first = kept.Store("kept");
  for (uint32_t run = 0; run < TArenaBlocks::kCount + 100; ++run) {
    TStringArena listing;
    ASSERT_EQ(std::string_view(listing.Store("run " + std::to_string(run))),
              "run " + std::to_string(run));
    if (run % 2 == 0) listing.Clear();
  }
  TStringArena moved;
  {
    TStringArena from;
    from.Store(std::string(300000, 'L'));  // a block of its own
    moved = std::move(from);
  }
  const TArenaText later = moved.Store("later");
  EXPECT_EQ(std::string_view(first), "kept");
  EXPECT_EQ(std::string_view(later), "later");
  EXPECT_FALSE(first == later);
}

// Past several blocks: every entry where it was put, in a copy too, and a sort through
// the iterators sees them all.
TEST(EntryBlocks, KeepEveryEntryAcrossBlocksCopiesAndSorts) {
  constexpr int64_t kCount = 3 * 16384 + 5;
  TEntryBlocks blocks;
  for (int64_t i = 0; i < kCount; ++i) blocks.emplace_back().Size = (i * 7919) % kCount;
  TEntryBlocks copy = blocks;
  ASSERT_EQ(copy.size(), size_t(kCount));
  for (int64_t i = 0; i < kCount; ++i) ASSERT_EQ(copy[i].Size, (i * 7919) % kCount) << i;
  std::stable_sort(copy.begin(), copy.end(),
                   [](const TFileObject& a, const TFileObject& b) { return a.Size < b.Size; });
  for (int64_t i = 0; i < kCount; ++i) ASSERT_EQ(copy[i].Size, i) << i;
  EXPECT_EQ(copy.end() - copy.begin(), kCount);
  EXPECT_EQ(blocks.back().Size, ((kCount - 1) * 7919) % kCount);  // the original untouched
  copy = TEntryBlocks();
  EXPECT_TRUE(copy.empty());
  copy.emplace_back().Size = 1;
  EXPECT_EQ(copy.back().Size, 1);
}

// A prefix held in the arena at the last place of the last block there is: its address
// takes all 32 bits, and the prefix word (bit 0 its mark) must still find it.
TEST(StringArena, HoldsAPrefixAtTheLargestAddress) {
  // Every block number is taken but the last, which the arena's first block then gets.
  std::vector<uint32_t> taken;
  try {
    for (;;) taken.push_back(TArenaBlocks::Add(16));
  } catch (const std::bad_alloc&) {
  }
  ASSERT_EQ(*std::max_element(taken.begin(), taken.end()), TArenaBlocks::kCount - 1);
  std::sort(taken.begin(), taken.end());
  TArenaBlocks::Remove(taken.back());
  taken.pop_back();
  constexpr size_t kBlockBytes = size_t{1} << TArenaBlocks::kPlaceBits;
  for (const size_t groups : {size_t{3}, size_t{4}, size_t{1000}}) {
    TStringArena arena;
    // Filled so that the prefix's record (count, groups, one byte to make it even) ends
    // at the block's last byte.
    for (size_t left = kBlockBytes - (groups + 5); left > 0;) {
      const size_t part = std::min<size_t>(left, 60000);
      arena.Allocate(part);
      left -= part;
    }
    std::vector<TPrefix::TGroup> wanted(groups, TPrefix::Bar);
    wanted[0] = TPrefix::Blank;
    wanted.back() = TPrefix::Branch;
    TEntryBlocks entries;
    entries.emplace_back().Prefix = TPrefix(wanted, arena);
    const TEntryBlocks copy = entries;
    const TPrefix& prefix = copy[0].Prefix;
    ASSERT_TRUE(prefix.HoldsAll()) << groups;
    ASSERT_EQ(prefix.Groups(), groups);
    for (size_t g = 0; g < groups; ++g) ASSERT_EQ(prefix.Group(g), wanted[g]) << groups << " " << g;
    entries[0].Prefix.SetOwn(TPrefix::Corner);
    EXPECT_EQ(entries[0].Prefix.Own(), TPrefix::Corner) << groups;
    EXPECT_EQ(entries[0].Prefix.Group(0), TPrefix::Blank) << groups;
    EXPECT_EQ(arena.Bytes(), kBlockBytes) << groups << ": one block, filled to its end";
  }
  for (uint32_t number : taken) TArenaBlocks::Remove(number);
}

// The entry's fields share words: its attributes ride in its folder's address, the
// prefix word holds the sort's numbers up to the largest. None disturbs another, at
// the sizes, times and numbers where a narrower field would wrap.
TEST(FileObject, KeepsEachFieldBesideThePackedOnes) {
  TEntryList list;
  TFolderPath deep;  // records past the first block of 4,096
  for (int i = 0; i < 5000; ++i) deep = list.AddFolders("d" + std::to_string(i) + "/x/", '/');
  struct Row {
    const char* label;
    int64_t size;
    uint32_t time;
    uint32_t attr;  // as the walk gives it
    uint32_t kept;  // as the entry keeps it
    uint32_t link;
  };
  const Row rows[] = {
      {"largest size", std::numeric_limits<int64_t>::max(), 0xFFFFFFFFu, kAttrSizeUnknown,
       kAttrSizeUnknown, std::numeric_limits<uint32_t>::max()},
      {"4 GiB", int64_t{1} << 32, 0x2E6E0000, 0, 0, std::numeric_limits<uint32_t>::max() - 1},
      {"just under 4 GiB", (int64_t{1} << 32) - 1, 1, kAttrReadOnly | kAttrArchive, 0, 0},
      {"unread folder", 0, 0x80000000u,
       kAttrDirectory | kAttrHidden | kAttrUnreadDenied | kAttrUnreadOther,
       kAttrDirectory | kAttrUnreadDenied | kAttrUnreadOther, 1},
      {"negative size", -1, 0, kAttrDirectory | kAttrReparsePoint, kAttrDirectory, 0x80000000u},
  };
  for (const Row& row : rows) {
    TFileObject e;
    e.SetAttr(row.attr);
    e.SetDirectory(deep);
    e.Size = row.size;
    e.Time = row.time;
    SetLink(e, row.link);
    EXPECT_EQ(e.Attr(), row.kept) << row.label;
    EXPECT_EQ(Link(e), row.link) << row.label;
    e.SetAttr(e.Attr() | kAttrUnreadOther);
    EXPECT_EQ(e.Attr(), row.kept | kAttrUnreadOther) << row.label;
    EXPECT_EQ(e.Directory(), deep) << row.label;
    EXPECT_EQ(e.Directory().Record(), deep.Record()) << row.label;
    EXPECT_EQ(e.Directory().Text(), "d4999/x/") << row.label;
    EXPECT_EQ(e.Size, row.size) << row.label;
    EXPECT_EQ(e.Time, row.time) << row.label;
    e.SetDirectory(TFolderPath());
    EXPECT_EQ(e.Directory().Depth(), 0u) << row.label;
    EXPECT_EQ(e.Attr(), row.kept | kAttrUnreadOther) << row.label;
  }
}

}  // namespace
}  // namespace ramilux
