// One found file or folder, and the entry list FEntries that the walk fills, the sort
// orders and the rendering reads.
#pragma once

#include <array>
#include <atomic>
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

#include "ports.h"
#include "string_arena.h"

namespace ramilux {

// What a folder holds at any depth below it, as the listing's file rules count it: the
// sizes of its files, their number and the number of its folders.
struct TFolderTotals {
  int64_t Size = 0;
  uint32_t Files = 0;
  uint32_t Folders : 31 = 0;
  // A folder below could not be read or a file's size is unknown: the total is a lower
  // bound.
  uint32_t Incomplete : 1 = 0;

  void Add(const TFolderTotals& other) {
    Size += other.Size;
    Files += other.Files;
    Folders += other.Folders;
    Incomplete |= other.Incomplete;
  }
};

// A folder of the listing, kept once for the entries inside it and for its sub-folders'
// records: a path is the names along the records, so a chain of folders costs memory in
// its depth, not in the square of it. The records of one list lead up to the root's own
// record, which holds the separator.
// 32 bytes, so that records lie 32 bytes apart and an entry's folder address has its low
// bits free for the entry's attributes (TFileObject).
struct TFolderRecord {
  uint32_t ParentAddress;        // the arena address of the record above, 0 for the root's
  TArenaText Name;               // its folder entry's Name; the separator for the root's
  uint32_t Depth;                // levels below the root: 0 for the root's own record
  mutable uint32_t Group;        // the sort's own number for the folder
  mutable TFolderTotals Totals;  // with totals on: what the folder holds

  const TFolderRecord* Parent() const;  // null for the root's own record
};
static_assert(sizeof(TFolderRecord) == 32);
static_assert(sizeof(TFolderRecord) * 4096 <= (size_t{1} << TArenaBlocks::kPlaceBits));

// An entry's Directory: its folder's record, null (or the root's own record) for the
// root. The path is made from the records when asked for.
class TFolderPath {
 public:
  TFolderPath() = default;  // the root
  // The record at that arena address.
  explicit TFolderPath(uint32_t address) : address_(address) {}

  uint32_t Address() const { return address_; }
  const TFolderRecord* Record() const {
    return address_ == 0 ? nullptr
                         : reinterpret_cast<const TFolderRecord*>(TArenaBlocks::At(address_));
  }
  size_t Depth() const { return address_ == 0 ? 0 : Record()->Depth; }
  // The path relative to the root, ending in the separator; "" at the root.
  void AppendText(std::string& out) const;
  std::string Text() const {
    std::string text;
    AppendText(text);
    return text;
  }

  // The same path, whatever records hold it.
  friend bool operator==(TFolderPath a, TFolderPath b);
  friend bool operator==(TFolderPath a, std::string_view text);

 private:
  uint32_t address_ = 0;
};

inline const TFolderRecord* TFolderRecord::Parent() const {
  return TFolderPath(ParentAddress).Record();
}

// The connector groups that open an entry's line, one per level from the root down to the
// entry's own: three bytes each, "   " or "\xB3  " above the entry, "\xC3\xC4 " or
// "\xC0\xC4 " at its own level. An entry keeps its group count and its own group; the
// groups above it are those of the entries before it (see TPrefixWriter), so no entry
// keeps one per level. Only an entry whose columns do not follow from the entry before it
// (the first of a list made by hand, or one more than a level deeper than the one before)
// holds them all, a byte a group in the arena.
class TPrefix {
 public:
  enum TGroup : uint8_t { Blank, Bar, Branch, Corner };

  TPrefix() = default;
  // `groups` groups, all blank but the last, a corner: the base prefix.
  explicit TPrefix(size_t groups);
  // A prefix that holds every one of `groups`, in the arena.
  TPrefix(std::span<const TGroup> groups, TStringArena& arena);

  size_t Groups() const;
  size_t size() const { return 3 * Groups(); }  // bytes of its text
  TGroup Own() const;                           // the last group
  void SetOwn(TGroup group);
  // Whether it holds the groups above its own; if not, they are blank in its own text.
  bool HoldsAll() const { return (word_ & 1) != 0; }
  // Group g as the prefix holds it (blank above the own one when it does not hold them).
  TGroup Group(size_t g) const;
  // Its text as it holds it.
  void AppendText(std::string& out) const;

  // Until the sort gives the entry its base prefix, the word holds the sort's own number
  // for the entry: the order then needs no array of its own beside the list.
  uint32_t Scratch() const { return word_; }
  void SetScratch(uint32_t value) { word_ = value; }

 private:
  // Held here: bit 0 clear, the own group in bits 1-2, the group count in bits 3-31 (a
  // count is a depth plus one, and 4 GiB of arena hold fewer than 2^27 folder records).
  // Held in the arena: the arena address (even) of a 32-bit group count followed by a
  // byte per group, with bit 0 set.
  static constexpr unsigned kCountShift = 3;
  uint8_t* Outside() const {
    return reinterpret_cast<uint8_t*>(const_cast<char*>(TArenaBlocks::At(word_ & ~uint32_t{1})));
  }
  uint32_t word_ = 0;
};

// The prefixes of a list's entries written one after the other in list order: the columns
// above an entry are carried down from the entries before it.
class TPrefixWriter {
 public:
  // Appends the whole prefix of the entry that follows the last one appended.
  void Append(std::string& out, const TPrefix& prefix);

 private:
  std::string columns_;    // the text of the groups above the last entry's own
  size_t lastGroups_ = 0;  // 0: no entry before, or one without a prefix
  TPrefix::TGroup lastOwn_ = TPrefix::Corner;
};

inline constexpr uint32_t kAttrUnreadDenied = 0x80000000u;
inline constexpr uint32_t kAttrUnreadOther = 0x40000000u;
inline constexpr uint32_t kAttrSizeUnknown = 0x08000000u;
inline constexpr uint32_t kAttrWalkMarks = kAttrUnreadDenied | kAttrUnreadOther | kAttrSizeUnknown;

// Sizes are kept in 64 bits (a 3 GiB file is not negative, a 4 GiB file is not empty);
// times are packed local DOS date-times, ordered as unsigned numbers (correct to 2107),
// 0 when the packed format cannot hold the time.
// Attr also carries the walk's own marks in bits no file system uses: a folder whose
// contents could not be read, and a file whose size could not be read.
// An entry takes 24 bytes (a million entries, 24 MB): of the attributes it keeps only the
// bits that the listing reads after the walk (kEntryAttrs), in the low bits of its
// folder's address, which records 32 bytes apart leave clear. The others (read-only,
// hidden, system, links) serve the walk only, and the snapshots keep their own.
inline constexpr uint32_t kEntryAttrs[] = {kAttrDirectory, kAttrUnreadDenied, kAttrUnreadOther,
                                           kAttrSizeUnknown};

struct TFileObject {
  TArenaText Name;  // as the search returned it
 private:
  uint32_t folder_ = 0;  // the Directory's address | a bit for each of kEntryAttrs

 public:
  int64_t Size = 0;
  uint32_t Time = 0;
  TPrefix Prefix;  // depth + 1 groups: its own connector; set by the sort

  // The folder that holds it.
  TFolderPath Directory() const { return TFolderPath(folder_ & ~kAttrBitsMask); }
  void SetDirectory(TFolderPath directory) {
    folder_ = directory.Address() | (folder_ & kAttrBitsMask);
  }
  // Its attributes among kEntryAttrs.
  uint32_t Attr() const { return kAttrOfBits[folder_ & kAttrBitsMask]; }
  void SetAttr(uint32_t attr) { folder_ = (folder_ & ~kAttrBitsMask) | BitsOfAttr(attr); }

  // The prefix as the entry holds it: the base prefix after the sort.
  std::string PrefixText() const {
    std::string text;
    Prefix.AppendText(text);
    return text;
  }
  // The entry list's key: Directory followed by Name.
  std::string Key() const { return Directory().Text() + std::string(Name); }

 private:
  static constexpr uint32_t kAttrBitsMask = (1u << std::size(kEntryAttrs)) - 1;
  static_assert(sizeof(TFolderRecord) % (kAttrBitsMask + 1) == 0);
  static constexpr uint32_t BitsOfAttr(uint32_t attr) {
    uint32_t bits = 0;
    for (size_t b = 0; b < std::size(kEntryAttrs); ++b) {
      if (attr & kEntryAttrs[b]) bits |= 1u << b;
    }
    return bits;
  }
  static constexpr auto kAttrOfBits = [] {
    std::array<uint32_t, kAttrBitsMask + 1> attrs{};
    for (uint32_t bits = 0; bits <= kAttrBitsMask; ++bits) {
      for (size_t b = 0; b < std::size(kEntryAttrs); ++b) {
        if (bits & (1u << b)) attrs[bits] |= kEntryAttrs[b];
      }
    }
    return attrs;
  }();
};
static_assert(sizeof(TFileObject) == 24);

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
  // Keeps the first `count` entries and gives back the blocks past them.
  void Truncate(size_t count);
  void clear();

  iterator begin() { return {blocks_.data(), 0}; }
  iterator end() { return {blocks_.data(), size_}; }
  const_iterator begin() const { return {blocks_.data(), 0}; }
  const_iterator end() const { return {blocks_.data(), size_}; }

 private:
  static constexpr size_t kShift = 14;
  static constexpr size_t kMask = (size_t{1} << kShift) - 1;
  // The sort numbers entries in 32 bits, UINT32_MAX meaning none. A walk never comes near:
  // each entry's name takes at least two bytes of the arena's 4 GiB.
  static constexpr size_t kMaxSize = UINT32_MAX;
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
    folderBlocks_.clear();
    folderCount_ = 0;
    root_ = TFolderPath();
  }
  // A folder named `name` (stored in the arena: its entry's Name) inside `parent` (the
  // root when null), for the entries inside it.
  TFolderPath AddFolder(TFolderPath parent, TArenaText name, char separator);
  // The folders of a relative path ("docs\\old\\"), each made anew: for lists made by hand.
  TFolderPath AddFolders(std::string_view path, char separator);
  // Sets the sort's number of every folder.
  void SetFolderGroups(uint32_t group);
  size_t FolderCount() const { return folderCount_; }

  TEntryBlocks Items;
  TStringArena Strings;

 private:
  static constexpr size_t kFolderBlock = 4096;
  // The k-th record made, and a new one holding `record`.
  TFolderPath FolderAt(size_t k) const;
  TFolderPath NewFolder(const TFolderRecord& record);
  // The records in blocks of the arena's own: no padding between them and the names.
  std::vector<uint32_t> folderBlocks_;
  size_t folderCount_ = 0;
  TFolderPath root_;
};

}  // namespace ramilux
