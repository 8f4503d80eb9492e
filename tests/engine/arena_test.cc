// The entry list's string arena keeps every stored string intact as it grows, and its
// blocks of entries keep every entry through growth, copies and sorts.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "file_object.h"

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

}  // namespace
}  // namespace ramilux
