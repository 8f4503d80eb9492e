// The string arena of the entry list.
#include "file_object.h"

#include <cstdint>
#include <cstring>
#include <new>

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

TArenaText TStringArena::Store(std::string_view text) {
  const bool isLong = text.size() >= TArenaText::kLongMark;
  const size_t header = isLong ? 5 : 1;
  std::span<char> place = Allocate(header + text.size());
  if (isLong) {
    place[0] = static_cast<char>(TArenaText::kLongMark);
    const uint32_t length = static_cast<uint32_t>(text.size());
    std::memcpy(place.data() + 1, &length, 4);
  } else {
    place[0] = static_cast<char>(text.size());
  }
  std::memcpy(place.data() + header, text.data(), text.size());
  return TArenaText(place.data());
}

TPrefix::TPrefix(size_t groups, TStringArena& arena) {
  if (groups <= kInlineGroups) {
    word_ = uint64_t{groups} << 57;
  } else {
    std::span<char> place = arena.Allocate(groups + 5);
    char* start = place.data() + (reinterpret_cast<uintptr_t>(place.data()) & 1);
    const uint32_t count = static_cast<uint32_t>(groups);
    std::memcpy(start, &count, 4);
    std::memset(start + 4, Blank, groups);
    word_ = reinterpret_cast<uintptr_t>(start) | 1;
  }
  if (groups > 0) SetGroup(groups - 1, Corner);
}

size_t TPrefix::Groups() const {
  if (IsInline()) return static_cast<size_t>(word_ >> 57);
  uint32_t count;
  std::memcpy(&count, Outside(), 4);
  return count;
}

TPrefix::TGroup TPrefix::Group(size_t g) const {
  if (IsInline()) return static_cast<TGroup>((word_ >> (2 * g + 1)) & 3);
  return static_cast<TGroup>(Outside()[4 + g]);
}

void TPrefix::SetGroup(size_t g, TGroup group) {
  if (IsInline()) {
    word_ = (word_ & ~(uint64_t{3} << (2 * g + 1))) | uint64_t{group} << (2 * g + 1);
  } else {
    Outside()[4 + g] = group;
  }
}

void TPrefix::AppendText(std::string& out) const {
  static constexpr char kTexts[4][3] = {
      {' ', ' ', ' '}, {'\xB3', ' ', ' '}, {'\xC3', '\xC4', ' '}, {'\xC0', '\xC4', ' '}};
  const size_t groups = Groups();
  const size_t start = out.size();
  out.resize(start + 3 * groups);
  char* text = out.data() + start;
  if (IsInline()) {
    // Every line's prefix passes here: the groups straight from the word.
    uint64_t codes = word_ >> 1;
    for (size_t g = 0; g < groups; ++g, codes >>= 2)
      std::memcpy(text + 3 * g, kTexts[codes & 3], 3);
  } else {
    for (size_t g = 0; g < groups; ++g) std::memcpy(text + 3 * g, kTexts[Group(g)], 3);
  }
}

void TPrefix::CopyGroups(const TPrefix& from, size_t count) {
  if (IsInline() && from.IsInline()) {
    const uint64_t mask = ((uint64_t{1} << (2 * count)) - 1) << 1;
    word_ = (word_ & ~mask) | (from.word_ & mask);
    return;
  }
  for (size_t g = 0; g < count; ++g) SetGroup(g, from.Group(g));
}

TFileObject& TEntryBlocks::emplace_back() {
  if ((size_ & kMask) == 0 && (size_ >> kShift) == blocks_.size()) {
    // Raw memory: the pages of a new block are touched only as entries fill them.
    blocks_.push_back(static_cast<TFileObject*>(::operator new(sizeof(TFileObject) << kShift)));
  }
  TFileObject* entry = new (&(*this)[size_]) TFileObject();
  ++size_;
  return *entry;
}

void TEntryBlocks::clear() {
  for (TFileObject* block : blocks_) ::operator delete(block);
  blocks_.clear();
  size_ = 0;
}

TEntryBlocks& TEntryBlocks::operator=(const TEntryBlocks& other) {
  if (this == &other) return *this;
  clear();
  for (size_t i = 0; i < other.size(); ++i) emplace_back() = other[i];
  return *this;
}

void TStringArena::Clear() {
  blocks_.clear();
  large_.clear();
  used_ = kBlockSize;
}

}  // namespace ramilux
