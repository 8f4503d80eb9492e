// Snapshots: everything a walk of a tree saw (names, sizes, UTC times, attributes, the
// folders it could not read), kept in a JSON file, read back into a compact tree in
// memory, and searched as a file system of its own, so that a listing of a snapshot is
// the listing of the disk it was taken from.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ports.h"

namespace ramilux {

inline constexpr std::string_view kSnapshotFormat = "ramilux-snapshot";
inline constexpr int kSnapshotVersion = 1;

// Why a snapshot cannot be read: the front end words each kind in its own language.
enum class TSnapshotProblem {
  None,
  CannotOpen,  // the system's words in Detail
  Truncated,   // ends before its last closing brace
  Invalid,     // not JSON, or JSON that is no snapshot of this format (Detail says where)
  Foreign,     // a JSON document of another format
  Newer,       // a version this program does not know (Detail holds it)
};

struct TSnapshotError {
  TSnapshotProblem Problem = TSnapshotProblem::None;
  std::string Detail;
};

// The longest name a snapshot file may hold, in bytes: far above what a file system gives
// (255 UTF-16 units on Windows, 255 bytes on Linux), and twice it, the window's form of a
// name (ANSI, then the exact UTF-8 after a NUL), still fits an entry's length.
inline constexpr size_t kMaxSnapshotName = 4096;

// An entry as the walk's search found it: 40 bytes besides its name, a million of them in
// a snapshot of a million entries.
struct TSnapshotItem {
  uint32_t NameOffset = 0;  // in the tree's Names
  uint32_t Attr = 0;
  uint32_t Packed = 0;          // the listing's packed local time, 0 when none
  uint32_t Child = UINT32_MAX;  // its folder's record; none (kNoFolder) for a file
  int64_t Size = 0;             // kUnknownSize when it could not be read
  int64_t UtcSeconds = 0;
  int32_t UtcNanoseconds = -1;  // < 0: no time
  uint16_t NameLength = 0;
  bool LinkToAncestor = false;

  bool Timed() const { return UtcNanoseconds >= 0; }
  TFileTime Utc() const { return {UtcSeconds, UtcNanoseconds}; }
  void SetUtc(const TFileTime& time) {
    UtcSeconds = time.Seconds;
    UtcNanoseconds = time.Nanoseconds;
  }
};
static_assert(sizeof(TSnapshotItem) == 40);

// A folder the walk entered: its entries, contiguous, and whether its search failed.
struct TSnapshotFolder {
  std::string Path;  // relative to the root, ending in the separator; "" for the root
  uint32_t First = 0, Count = 0;
  TSearchFailure Failure = TSearchFailure::None;
  std::string Reason;  // the system's words
};

inline constexpr uint32_t kNoFolder = UINT32_MAX;

// The whole of a snapshot: folders in the walk's order (each before its sub-folders, and
// those in the order of its entries), entries without a map from paths.
class TSnapshotTree {
 public:
  std::string Root;  // as the listing's header shows it, ending in the separator
  char Separator = '/';
  int64_t Taken = 0;  // when the walk began, UTC seconds
  std::vector<TSnapshotFolder> Folders;
  std::vector<TSnapshotItem> Items;
  std::string Names;

  std::string_view Name(const TSnapshotItem& item) const {
    return std::string_view(Names).substr(item.NameOffset, item.NameLength);
  }
  // Adds the next folder in the walk's order and links its parent's entry to it; false
  // when the folder does not come where the walk would enter it.
  bool AddFolder(TSnapshotFolder folder);
  // Adds an entry to the last folder added.
  void AddItem(std::string_view name, TSnapshotItem item);
  // Whether every folder the walk enters has its record.
  bool Complete() const;

 private:
  std::vector<uint32_t> open_;     // the folders along the path of the last one, by depth
  std::vector<uint32_t> scanned_;  // by depth: entries of that folder passed over so far
};

// A folder entry that the walk enters: one the folder pass delivers (no hidden, system or
// volume folder) and no link back to a folder above it.
bool WalkEnters(const TSnapshotItem& item);

// Walks `root` (ending in the separator) through `files` as the listing walks it, every
// entry and every time asked for, and gives each folder whole to `take`, in the walk's
// order. False when `goOn` said stop or `take` refused.
// The folder given is the one folder of a tree that holds only it.
using TFolderTaker = std::function<bool(const TSnapshotTree& folder)>;
bool WalkSnapshot(TFileSystem& files, const std::string& root, const TFolderTaker& take,
                  const std::function<bool()>& goOn);

// A live tree as a snapshot in memory (for a comparison with the disk as it is now).
bool TakeSnapshot(TFileSystem& files, const std::string& root, TSnapshotTree& tree,
                  const std::function<bool()>& goOn);

// Writes the snapshot of `root` as JSON through `write` (false: stop, the write failed),
// folder by folder as the walk goes. False when stopped or when a write failed.
using TTextWriter = std::function<bool(std::string_view)>;
bool WriteSnapshot(TFileSystem& files, const std::string& root, const TTextWriter& write,
                   const std::function<bool()>& goOn);

// Reads the snapshot file at `path` (UTF-8 on Win32) whole, or nothing of it.
bool ReadSnapshot(const std::string& path, TSnapshotTree& tree, TSnapshotError& error);

// A file system whose searches replay the snapshot: the walk's folders come in the
// snapshot's order, so each search finds its folder at or just after the last one.
std::unique_ptr<TFileSystem> NewSnapshotFileSystem(std::shared_ptr<const TSnapshotTree> tree);

}  // namespace ramilux
