// How a run's long insertion into the view is cut: slices of whole lines, each sized from
// the time the last ones took, so that input waits no longer than one slice.
#pragma once

#include <cstddef>
#include <string_view>

namespace ramilux {

// The end of the slice of `text` that starts at `begin` and holds about `bytes`: just
// past the first line end at or after begin + bytes, or the end of the text.
size_t SliceEnd(std::string_view text, size_t begin, size_t bytes);

// The size of the next slice: what the view took in the target time, going by the last
// slice, kept between a floor that keeps the control's cost per insertion small and a
// ceiling where larger insertions grow slower under Wine.
class TSliceSizer {
 public:
  static constexpr size_t kMinBytes = 2 * 1024;
  static constexpr size_t kMaxBytes = 64 * 1024;
  static constexpr size_t kFirstBytes = 8 * 1024;
  static constexpr double kTargetMs = 25;

  size_t Bytes() const { return bytes_; }
  // A slice of `bytes` went in in `ms` milliseconds.
  void Took(size_t bytes, double ms);

 private:
  size_t bytes_ = kFirstBytes;
};

}  // namespace ramilux
