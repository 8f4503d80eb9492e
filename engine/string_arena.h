// The string arena: the names and folder records of the entry list, in large blocks
// known by 32-bit addresses.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

namespace ramilux {

// Where the arenas' blocks are, for the whole process: an arena address is 32 bits, a
// block's number and a place in it, so that an entry keeps its name and its folder in
// half the room of two pointers. Blocks are numbered from 1 (address 0 is no text).
class TArenaBlocks {
 public:
  static constexpr unsigned kPlaceBits = 18;  // places in a block: 256 KiB
  static constexpr uint32_t kPlaceMask = (uint32_t{1} << kPlaceBits) - 1;
  static constexpr uint32_t kCount = uint32_t{1} << (32 - kPlaceBits);

  static const char* At(uint32_t address) {
    return g_table[address >> kPlaceBits].load(std::memory_order_relaxed) + (address & kPlaceMask);
  }
  // Takes `size` bytes from the system as a block; its number. Throws std::bad_alloc when
  // every number is taken (4 GiB of blocks of 256 KiB).
  static uint32_t Add(size_t size);
  // Gives the block back to the system.
  static void Remove(uint32_t block);

 private:
  static inline std::atomic<char*> g_table[kCount] = {};
};

// A string stored in the arena, known by the address of its record: the length in the
// first byte, or 255 there and the length in the next four, then the bytes. A quarter of the
// size of a string_view, which a million names and folder paths feel.
class TArenaText {
 public:
  TArenaText() = default;  // ""
  explicit TArenaText(uint32_t address) : address_(address) {}

  const char* data() const { return View().data(); }
  size_t size() const { return View().size(); }
  bool empty() const { return size() == 0; }
  std::string_view View() const {
    if (address_ == 0) return {};
    const char* record = TArenaBlocks::At(address_);
    const uint8_t shortLength = static_cast<uint8_t>(*record);
    if (shortLength != kLongMark) return {record + 1, shortLength};
    uint32_t length;
    std::memcpy(&length, record + 1, 4);
    return {record + 5, length};
  }
  operator std::string_view() const { return View(); }

  friend bool operator==(TArenaText a, TArenaText b) {
    return a.address_ == b.address_ || a.View() == b.View();
  }
  friend bool operator==(TArenaText a, std::string_view b) { return a.View() == b; }

  static constexpr uint8_t kLongMark = 255;

 private:
  uint32_t address_ = 0;
};

// The strings of the entries live in one arena: a walk of a million entries makes a
// handful of large allocations instead of millions of small ones, and the folder path
// is stored once for all the entries of that folder.
class TStringArena {
 public:
  TStringArena() = default;
  TStringArena(TStringArena&& other) noexcept { *this = std::move(other); }
  TStringArena& operator=(TStringArena&& other) noexcept;
  ~TStringArena() { Clear(); }

  // `text` then `suffix`, as one string.
  TArenaText Store(std::string_view text, std::string_view suffix = {});
  std::span<char> Allocate(size_t length) { return {Place(Reserve(length)), length}; }
  uint32_t Reserve(size_t length);  // the address of `length` bytes
  // A block of its own of `length` bytes (at most a block's places), aligned for any
  // record: its address.
  uint32_t AllocateBlock(size_t length);
  void Clear();
  // Bytes taken from the system so far.
  size_t Bytes() const { return bytes_; }

 private:
  static constexpr size_t kBlockSize = size_t{1} << TArenaBlocks::kPlaceBits;
  static char* Place(uint32_t address) { return const_cast<char*>(TArenaBlocks::At(address)); }
  std::vector<uint32_t> blocks_;  // the numbers of its blocks, the one filling last
  uint32_t filling_ = 0;          // the block being filled, 0 for none
  size_t used_ = kBlockSize;      // of the block being filled
  size_t bytes_ = 0;
};

}  // namespace ramilux
