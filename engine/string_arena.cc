// The string arena's blocks and their numbers.
#include "string_arena.h"

#include <mutex>
#include <new>
#include <utility>

namespace ramilux {

namespace {

// The numbers no block holds, and the next never given; the table's writers take turns.
std::mutex g_blockNumbersLock;
std::vector<uint32_t> g_freeBlockNumbers;
uint32_t g_nextBlockNumber = 1;

}  // namespace

uint32_t TArenaBlocks::Add(size_t size) {
  char* block = new char[size];
  const std::lock_guard lock(g_blockNumbersLock);
  uint32_t number;
  if (!g_freeBlockNumbers.empty()) {
    number = g_freeBlockNumbers.back();
    g_freeBlockNumbers.pop_back();
  } else if (g_nextBlockNumber < kCount) {
    number = g_nextBlockNumber++;
  } else {
    delete[] block;
    throw std::bad_alloc();
  }
  g_table[number].store(block, std::memory_order_relaxed);
  return number;
}

void TArenaBlocks::Remove(uint32_t block) {
  const std::lock_guard lock(g_blockNumbersLock);
  delete[] g_table[block].exchange(nullptr, std::memory_order_relaxed);
  g_freeBlockNumbers.push_back(block);
}

TStringArena& TStringArena::operator=(TStringArena&& other) noexcept {
  if (this != &other) {
    Clear();
    blocks_ = std::exchange(other.blocks_, {});
    filling_ = std::exchange(other.filling_, 0);
    used_ = std::exchange(other.used_, kBlockSize);
    bytes_ = std::exchange(other.bytes_, 0);
  }
  return *this;
}

uint32_t TStringArena::AllocateBlock(size_t length) {
  blocks_.reserve(blocks_.size() + 1);
  const uint32_t block = TArenaBlocks::Add(length);
  blocks_.push_back(block);
  bytes_ += length;
  return block << TArenaBlocks::kPlaceBits;
}

uint32_t TStringArena::Reserve(size_t length) {
  // A rare long string gets a block of its own; the current block keeps filling.
  if (length > kBlockSize / 4) return AllocateBlock(length);
  if (filling_ == 0 || used_ + length > kBlockSize) {
    filling_ = AllocateBlock(kBlockSize) >> TArenaBlocks::kPlaceBits;
    used_ = 0;
  }
  const uint32_t address = filling_ << TArenaBlocks::kPlaceBits | static_cast<uint32_t>(used_);
  used_ += length;
  return address;
}

TArenaText TStringArena::Store(std::string_view text, std::string_view suffix) {
  const size_t length = text.size() + suffix.size();
  const bool isLong = length >= TArenaText::kLongMark;
  const size_t header = isLong ? 5 : 1;
  const uint32_t address = Reserve(header + length);
  const std::span<char> place(Place(address), header + length);
  if (isLong) {
    place[0] = static_cast<char>(TArenaText::kLongMark);
    const uint32_t longLength = static_cast<uint32_t>(length);
    std::memcpy(place.data() + 1, &longLength, 4);
  } else {
    place[0] = static_cast<char>(length);
  }
  if (!text.empty()) std::memcpy(place.data() + header, text.data(), text.size());
  if (!suffix.empty())
    std::memcpy(place.data() + header + text.size(), suffix.data(), suffix.size());
  return TArenaText(address);
}

void TStringArena::Clear() {
  for (uint32_t block : blocks_) TArenaBlocks::Remove(block);
  blocks_.clear();
  filling_ = 0;
  used_ = kBlockSize;
  bytes_ = 0;
}

}  // namespace ramilux
