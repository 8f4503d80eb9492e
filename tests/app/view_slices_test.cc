// The cutting of a run's long insertions into slices of whole lines.
#include "view_slices.h"

#include <gtest/gtest.h>

#include <string>

namespace ramilux::test {
namespace {

struct TSliceEndCase {
  const char* Name;
  std::string Text;
  size_t Begin, Bytes, End;
};

class SliceEndTest : public ::testing::TestWithParam<TSliceEndCase> {};

TEST_P(SliceEndTest, EndsJustPastALineEnd) {
  const TSliceEndCase& c = GetParam();
  EXPECT_EQ(SliceEnd(c.Text, c.Begin, c.Bytes), c.End);
}

INSTANTIATE_TEST_SUITE_P(
    Slices, SliceEndTest,
    ::testing::Values(TSliceEndCase{"WholeTextWhenItFits", "ab\r\ncd\r\n", 0, 100, 8},
                      TSliceEndCase{"LineEndAtTheSize", "ab\r\ncd\r\n", 0, 4, 4},
                      TSliceEndCase{"SizeInsideALineTakesTheLineWhole", "ab\r\ncd\r\n", 0, 2, 4},
                      TSliceEndCase{"SizeBetweenCrAndLf", "ab\r\ncd\r\n", 0, 3, 4},
                      TSliceEndCase{"FromTheMiddle", "ab\r\ncd\r\nef\r\n", 4, 1, 8},
                      TSliceEndCase{"NoLineEndLeftTakesTheRest", "ab\r\ncdef", 4, 1, 8},
                      TSliceEndCase{"ZeroBytesStillTakesALine", "ab\r\ncd\r\n", 0, 0, 4},
                      TSliceEndCase{"ExactlyTheRest", "ab\r\ncd\r\n", 4, 4, 8}),
    [](const auto& row) { return std::string(row.param.Name); });

TEST(SliceSizer, FollowsTheTimeOfTheLastSliceWithinItsBounds) {
  TSliceSizer sizer;
  EXPECT_EQ(sizer.Bytes(), TSliceSizer::kFirstBytes);
  // Twice the target time: the next slice is half as large.
  sizer.Took(8192, 2 * TSliceSizer::kTargetMs);
  EXPECT_EQ(sizer.Bytes(), 4096u);
  // Very slow: never below the floor.
  sizer.Took(4096, 100 * TSliceSizer::kTargetMs);
  EXPECT_EQ(sizer.Bytes(), TSliceSizer::kMinBytes);
  // Very fast, or too fast to time: it grows by half a slice at a time, up to the ceiling.
  sizer.Took(2048, TSliceSizer::kTargetMs / 100);
  EXPECT_EQ(sizer.Bytes(), 3072u);
  for (int i = 0; i < 20; ++i) sizer.Took(sizer.Bytes(), 0);
  EXPECT_EQ(sizer.Bytes(), TSliceSizer::kMaxBytes);
}

}  // namespace
}  // namespace ramilux::test
