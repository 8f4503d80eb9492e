#include "view_slices.h"

#include <algorithm>

namespace ramilux {

size_t SliceEnd(std::string_view text, size_t begin, size_t bytes) {
  if (bytes >= text.size() - begin) return text.size();
  size_t lineEnd = text.find('\n', begin + std::max<size_t>(bytes, 1) - 1);
  return lineEnd == std::string_view::npos ? text.size() : lineEnd + 1;
}

void TSliceSizer::Took(size_t bytes, double ms) {
  // A slice too quick to time says only that the view is fast: grow by half at most.
  double fitting = ms > 0 ? static_cast<double>(bytes) * kTargetMs / ms : 1.5 * bytes_;
  fitting = std::min(fitting, 1.5 * static_cast<double>(std::max(bytes_, bytes)));
  bytes_ = std::clamp(static_cast<size_t>(fitting), kMinBytes, kMaxBytes);
}

}  // namespace ramilux
