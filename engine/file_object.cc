// The string arena of the entry list.
#include "file_object.h"

#include <cstring>

namespace ramilux {

std::span<char> TStringArena::Allocate(size_t length) {
  if (length > kBlockSize / 4) {
    // A rare long string gets a block of its own; the current block keeps filling.
    large_.push_back(std::make_unique<char[]>(length));
    return {large_.back().get(), length};
  }
  if (blocks_.empty() || used_ + length > kBlockSize) {
    blocks_.push_back(std::make_unique<char[]>(kBlockSize));
    used_ = 0;
  }
  char* start = blocks_.back().get() + used_;
  used_ += length;
  return {start, length};
}

std::string_view TStringArena::Store(std::string_view text) {
  std::span<char> place = Allocate(text.size());
  std::memcpy(place.data(), text.data(), text.size());
  return {place.data(), place.size()};
}

void TStringArena::Clear() {
  blocks_.clear();
  large_.clear();
  used_ = kBlockSize;
}

}  // namespace ramilux
