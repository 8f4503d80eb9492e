// The entry list's string arena keeps every stored string intact as it grows.
#include <gtest/gtest.h>

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
    if (i % 997 == 1) text.resize(254 + i % 3, 'b');       // around the longest short length
    stored.emplace_back(text, arena.Store(text));
  }
  for (const auto& [text, view] : stored) ASSERT_EQ(text, view);
}

}  // namespace
}  // namespace ramilux
