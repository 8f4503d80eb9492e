// One found file or folder, and the entry list FEntries that the walk fills, the sort
// orders and the rendering reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ramilux {

// Sizes are kept in 64 bits (a 3 GiB file is not negative, a 4 GiB file is not empty);
// times are packed local DOS date-times, ordered as unsigned numbers (correct to 2107),
// 0 when the packed format cannot hold the time.
// Attr also carries the walk's own marks in bits no file system uses: a folder whose
// contents could not be read, and a file whose size could not be read.
// The fields are laid out so that an entry takes 64 bytes (a million entries, 64 MB).
struct TFileObject {
  std::string_view Name;       // as the search returned it
  std::string_view Directory;  // relative to the root, ends in the separator, "" at the root
  int64_t Size = 0;
  uint32_t Time = 0;
  uint32_t Attr = 0;
  std::span<char> Prefix;  // 3·depth + 3 bytes: blanks and the connector bytes

  std::string_view PrefixText() const { return {Prefix.data(), Prefix.size()}; }
  // The entry list's key: Directory followed by Name.
  std::string Key() const { return std::string(Directory) + std::string(Name); }
};
static_assert(sizeof(void*) != 8 || sizeof(TFileObject) == 64);

inline constexpr uint32_t kAttrUnreadDenied = 0x80000000u;
inline constexpr uint32_t kAttrUnreadOther = 0x40000000u;
inline constexpr uint32_t kAttrSizeUnknown = 0x08000000u;
inline constexpr uint32_t kAttrWalkMarks = kAttrUnreadDenied | kAttrUnreadOther | kAttrSizeUnknown;

// The strings of the entries live in one arena: a walk of a million entries makes a
// handful of large allocations instead of millions of small ones, and the folder path
// is stored once for all the entries of that folder.
class TStringArena {
 public:
  std::string_view Store(std::string_view text);
  std::span<char> Allocate(size_t length);
  void Clear();

 private:
  static constexpr size_t kBlockSize = 256 * 1024;
  std::vector<std::unique_ptr<char[]>> blocks_;
  std::vector<std::unique_ptr<char[]>> large_;
  size_t used_ = kBlockSize;  // of the last block; full when there is none
};

// FEntries: the entries in list order, and the arena that holds their strings.
class TEntryList {
 public:
  size_t size() const { return Items.size(); }
  bool empty() const { return Items.empty(); }
  TFileObject& operator[](size_t i) { return Items[i]; }
  const TFileObject& operator[](size_t i) const { return Items[i]; }
  void Clear() {
    Items.clear();
    Strings.Clear();
  }

  std::deque<TFileObject> Items;  // a deque: growing never copies the whole list
  TStringArena Strings;
};

}  // namespace ramilux
