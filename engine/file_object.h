// One found file or folder, and the entry list FEntries that the walk fills, the sort
// orders and the rendering reads.
#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace ramilux {

class TStringArena;

// A string stored in the arena, known by the address of its record: the length in the
// first byte, or 255 there and the length in the next four, then the bytes. Half the size
// of a string_view, which a million names and folder paths feel.
class TArenaText {
 public:
  TArenaText() = default;  // ""
  explicit TArenaText(const char* record) : record_(record) {}

  const char* data() const {
    if (record_ == nullptr) return nullptr;
    return record_ + (static_cast<uint8_t>(*record_) == kLongMark ? 5 : 1);
  }
  size_t size() const {
    if (record_ == nullptr) return 0;
    uint8_t shortLength = static_cast<uint8_t>(*record_);
    if (shortLength != kLongMark) return shortLength;
    uint32_t length;
    std::memcpy(&length, record_ + 1, 4);
    return length;
  }
  bool empty() const { return size() == 0; }
  std::string_view View() const { return {data(), size()}; }
  operator std::string_view() const { return View(); }

  friend bool operator==(TArenaText a, TArenaText b) {
    return a.record_ == b.record_ || a.View() == b.View();
  }
  friend bool operator==(TArenaText a, std::string_view b) { return a.View() == b; }

  static constexpr uint8_t kLongMark = 255;

 private:
  const char* record_ = nullptr;
};

// The connector groups that open an entry's line, one per level from the root down to the
// entry's own: three bytes each, "   " or "\xB3  " above the entry, "\xC3\xC4 " or
// "\xC0\xC4 " at its own level. Kept as two bits a group, in the object itself for up to
// 28 levels and in the arena below that, rather than as three bytes a group in the arena:
// a million entries save some 20 MB.
class TPrefix {
 public:
  enum TGroup : uint8_t { Blank, Bar, Branch, Corner };

  // Groups up to this many are kept in the object itself, more in the arena.
  static constexpr size_t kInlineGroups = 28;

  TPrefix() = default;
  // `groups` groups, all blank but the last, a corner: the base prefix.
  TPrefix(size_t groups, TStringArena& arena);

  size_t Groups() const;
  size_t size() const { return 3 * Groups(); }  // bytes of its text
  TGroup Group(size_t g) const;
  void SetGroup(size_t g, TGroup group);
  // Groups 0 to count - 1 as `from` has them.
  void CopyGroups(const TPrefix& from, size_t count);
  void AppendText(std::string& out) const;

  // Until the sort gives the entry its base prefix, the word holds the sort's own number
  // for the entry: the order then needs no array of its own beside the list.
  uint64_t Scratch() const { return word_; }
  void SetScratch(uint64_t value) { word_ = value; }

 private:
  // Inline: bit 0 clear, the group count in bits 57-63, group g in bits 2g+1 and 2g+2.
  // Outside: the address (even) of a 32-bit group count followed by a byte per group,
  // with bit 0 set.
  bool IsInline() const { return (word_ & 1) == 0; }
  uint8_t* Outside() const { return reinterpret_cast<uint8_t*>(word_ & ~uint64_t{1}); }
  uint64_t word_ = 0;
};

// Sizes are kept in 64 bits (a 3 GiB file is not negative, a 4 GiB file is not empty);
// times are packed local DOS date-times, ordered as unsigned numbers (correct to 2107),
// 0 when the packed format cannot hold the time.
// Attr also carries the walk's own marks in bits no file system uses: a folder whose
// contents could not be read, and a file whose size could not be read.
// The fields are laid out so that an entry takes 40 bytes (a million entries, 40 MB).
struct TFileObject {
  TArenaText Name;       // as the search returned it
  TArenaText Directory;  // relative to the root, ends in the separator, "" at the root
  int64_t Size = 0;
  uint32_t Time = 0;
  uint32_t Attr = 0;
  TPrefix Prefix;  // depth + 1 groups: blanks and the connectors; set by the sort

  std::string PrefixText() const {
    std::string text;
    Prefix.AppendText(text);
    return text;
  }
  // The entry list's key: Directory followed by Name.
  std::string Key() const { return std::string(Directory) + std::string(Name); }
};
static_assert(sizeof(void*) != 8 || sizeof(TFileObject) == 40);

inline constexpr uint32_t kAttrUnreadDenied = 0x80000000u;
inline constexpr uint32_t kAttrUnreadOther = 0x40000000u;
inline constexpr uint32_t kAttrSizeUnknown = 0x08000000u;
inline constexpr uint32_t kAttrWalkMarks = kAttrUnreadDenied | kAttrUnreadOther | kAttrSizeUnknown;

// The strings of the entries live in one arena: a walk of a million entries makes a
// handful of large allocations instead of millions of small ones, and the folder path
// is stored once for all the entries of that folder.
class TStringArena {
 public:
  TArenaText Store(std::string_view text);
  std::span<char> Allocate(size_t length);
  void Clear();

 private:
  static constexpr size_t kBlockSize = 256 * 1024;
  std::vector<std::unique_ptr<char[]>> blocks_;
  std::vector<std::unique_ptr<char[]>> large_;
  size_t used_ = kBlockSize;  // of the last block; full when there is none
};

// The entries in blocks of 16,384: growing never copies the list, an index is a shift and
// a mask, and a block's pages past the last entry are never touched. A deque's blocks of
// a dozen entries cost some 2 bytes an entry in allocation headers and its map.
class TEntryBlocks {
 public:
  template <typename Value>
  class TIterator {
   public:
    using iterator_category = std::random_access_iterator_tag;
    using value_type = TFileObject;
    using difference_type = std::ptrdiff_t;
    using pointer = Value*;
    using reference = Value&;

    TIterator() = default;
    TIterator(Value* const* blocks, size_t index) : blocks_(blocks), index_(index) {}
    operator TIterator<const Value>() const { return {blocks_, index_}; }

    reference operator*() const { return blocks_[index_ >> kShift][index_ & kMask]; }
    pointer operator->() const { return &**this; }
    reference operator[](difference_type n) const { return *(*this + n); }
    TIterator& operator++() { return ++index_, *this; }
    TIterator& operator--() { return --index_, *this; }
    TIterator operator++(int) { return {blocks_, index_++}; }
    TIterator operator--(int) { return {blocks_, index_--}; }
    TIterator& operator+=(difference_type n) { return index_ += n, *this; }
    TIterator& operator-=(difference_type n) { return index_ -= n, *this; }
    friend TIterator operator+(TIterator it, difference_type n) { return it += n; }
    friend TIterator operator+(difference_type n, TIterator it) { return it += n; }
    friend TIterator operator-(TIterator it, difference_type n) { return it -= n; }
    friend difference_type operator-(TIterator a, TIterator b) {
      return static_cast<difference_type>(a.index_) - static_cast<difference_type>(b.index_);
    }
    friend bool operator==(TIterator a, TIterator b) { return a.index_ == b.index_; }
    friend auto operator<=>(TIterator a, TIterator b) { return a.index_ <=> b.index_; }

   private:
    Value* const* blocks_ = nullptr;
    size_t index_ = 0;
  };
  using iterator = TIterator<TFileObject>;
  using const_iterator = TIterator<const TFileObject>;

  TEntryBlocks() = default;
  TEntryBlocks(const TEntryBlocks& other) { *this = other; }
  TEntryBlocks& operator=(const TEntryBlocks& other);
  ~TEntryBlocks() { clear(); }

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  TFileObject& operator[](size_t i) { return blocks_[i >> kShift][i & kMask]; }
  const TFileObject& operator[](size_t i) const { return blocks_[i >> kShift][i & kMask]; }
  TFileObject& back() { return (*this)[size_ - 1]; }
  const TFileObject& back() const { return (*this)[size_ - 1]; }
  TFileObject& emplace_back();
  void clear();

  iterator begin() { return {blocks_.data(), 0}; }
  iterator end() { return {blocks_.data(), size_}; }
  const_iterator begin() const { return {blocks_.data(), 0}; }
  const_iterator end() const { return {blocks_.data(), size_}; }

 private:
  static constexpr size_t kShift = 14;
  static constexpr size_t kMask = (size_t{1} << kShift) - 1;
  std::vector<TFileObject*> blocks_;  // raw storage; the entries need no destruction
  size_t size_ = 0;
};
static_assert(std::is_trivially_copyable_v<TFileObject> &&
              std::is_trivially_destructible_v<TFileObject>);

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

  TEntryBlocks Items;
  TStringArena Strings;
};

}  // namespace ramilux
