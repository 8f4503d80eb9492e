// The order of the entries: the three comparators and the sort of FEntries. The order is
// the tree in pre-order, each folder's entries among themselves by the comparator, so the
// sort orders each folder's entries alone and rebuilds the pre-order from them. The
// entries' prefix words carry the sort's numbers until it gives them their base prefixes.
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "listing.h"
#include "order_places.h"

namespace ramilux {
namespace {

// One folder or file name against another: the locale's collation, then the bytes, so
// that two different names never compare equal (two folders that collate alike must not
// mix their contents).
int CompareComponent(const TOrderContext& ctx, std::string_view a, std::string_view b) {
  if (a == b) return 0;
  int r = ctx.Text.Compare(a, b);
  if (r != 0) return r;
  return a < b ? -1 : 1;
}

// Comparison texts, folder by folder: "docs" < "docs\..." < "docs.old", whatever the
// collation thinks of "\" against ".". A text that runs out of folders first goes first.
int CompareTexts(const TOrderContext& ctx, std::string_view a, std::string_view b) {
  for (;;) {
    size_t endA = a.find(ctx.Separator);
    size_t endB = b.find(ctx.Separator);
    int r = CompareComponent(ctx, a.substr(0, endA), b.substr(0, endB));
    if (r != 0) return r;
    bool lastA = endA == std::string_view::npos;
    bool lastB = endB == std::string_view::npos;
    if (lastA || lastB) return lastA == lastB ? 0 : lastA ? -1 : 1;
    a.remove_prefix(endA + 1);
    b.remove_prefix(endB + 1);
  }
}

// Entries of different folders: a non-empty file sorts under its folder's path, anything
// of size 0 (folders, empty files) under its own path.
int CompareTextsOf(const TOrderContext& ctx, const TFileObject& e1, const TFileObject& e2) {
  std::string t1 = std::string(e1.Directory) + std::string(e1.Size == 0 ? e1.Name : TArenaText());
  std::string t2 = std::string(e2.Directory) + std::string(e2.Size == 0 ? e2.Name : TArenaText());
  return CompareTexts(ctx, t1, t2);
}

template <typename T>
int Compare3(T a, T b) {
  return a < b ? -1 : a > b ? 1 : 0;
}

// What the order of two entries of one folder looks at.
struct TSortFields {
  std::string_view Name;
  int64_t Size;
  uint32_t Time;
};

TSortFields FieldsOf(const TFileObject& entry) {
  return {entry.Name, entry.Size, entry.Time};
}

// Two non-empty files of one folder: by the secondary key, then by name (its bytes when
// the collation calls two names equal, so the walk's order never shows). A negative size
// (only a faulty search reports one) has no key: such files go first, by name, so that
// the order stays a strict one.
int CompareFiles(const TOrderContext& ctx, TSortKind kind, const TSortFields& e1,
                 const TSortFields& e2) {
  bool negative1 = e1.Size < 0, negative2 = e2.Size < 0;
  if (negative1 != negative2) return negative1 ? -1 : 1;
  int r = negative1                 ? 0
          : kind == TSortKind::Size ? Compare3(e1.Size, e2.Size)
          : kind == TSortKind::Date ? Compare3(e1.Time, e2.Time)  // unsigned: right to 2107
                                    : 0;
  return r != 0 ? r : CompareComponent(ctx, e1.Name, e2.Name);
}

// The order of two entries of one folder (equal Directory): what the comparators give,
// without looking at the path they share.
int CompareSiblings(const TOrderContext& ctx, TSortKind kind, const TFileObject& e1,
                    const TFileObject& e2) {
  bool file1 = e1.Size != 0, file2 = e2.Size != 0;
  if (file1 != file2) return file1 ? -1 : 1;
  if (!file1) return CompareComponent(ctx, e1.Name, e2.Name);
  return CompareFiles(ctx, kind, FieldsOf(e1), FieldsOf(e2));
}

int CompareByKind(const TOrderContext& ctx, TSortKind kind, const TFileObject& e1,
                  const TFileObject& e2) {
  if (e1.Directory == e2.Directory) return CompareSiblings(ctx, kind, e1, e2);
  return CompareTextsOf(ctx, e1, e2);
}

constexpr uint32_t kEnd = UINT32_MAX;
// A sub-folder's group whose folder entry has been placed.
constexpr uint32_t kReached = 0x80000000u;

// The entries grouped by folder (by their Directory value): each group's entries are
// chained through their links, in list order, then in their sorted order. A folder's
// path leads to its group through open addressing over the groups, each known by its
// first entry: some 12 bytes a folder, nothing a million entries long.
class TFolderGroups {
 public:
  static constexpr uint32_t kNone = UINT32_MAX;

  explicit TFolderGroups(const TEntryList& entries) : entries_(entries) {}

  std::vector<uint32_t> First;  // group g's first entry
  std::vector<uint32_t> Count;  // its number of entries, then other numbers of the sort

  std::string_view PathOf(uint32_t g) const { return entries_[First[g]].Directory; }
  uint32_t Find(std::string_view path) const {
    if (slots_.empty()) return kNone;
    for (size_t s = Hash(path) & (slots_.size() - 1);; s = (s + 1) & (slots_.size() - 1)) {
      if (slots_[s] == 0) return kNone;
      if (PathOf(slots_[s] - 1) == path) return slots_[s] - 1;
    }
  }
  // The group of entry i's folder, numbered in order of first sight; a new group's first
  // entry is i.
  uint32_t Add(uint32_t i) {
    const std::string_view path = entries_[i].Directory;
    uint32_t g = Find(path);
    if (g != kNone) return g;
    g = static_cast<uint32_t>(First.size());
    First.push_back(i);
    Count.push_back(0);
    if (2 * First.size() > slots_.size()) {
      slots_.assign(std::max<size_t>(64, 2 * slots_.size()), 0);
      for (uint32_t k = 0; k < First.size(); ++k) Place(k);
    } else {
      Place(g);
    }
    return g;
  }

 private:
  static size_t Hash(std::string_view path) { return std::hash<std::string_view>()(path); }
  void Place(uint32_t g) {
    size_t s = Hash(PathOf(g)) & (slots_.size() - 1);
    while (slots_[s] != 0) s = (s + 1) & (slots_.size() - 1);
    slots_[s] = g + 1;
  }

  const TEntryList& entries_;
  std::vector<uint32_t> slots_;  // group + 1, 0 when free; a power of two long
};

// An entry of a folder being sorted: its name and its index. 16 bytes: the largest
// folders' arrays of members and the merge's buffers count at the memory's peak.
struct TMember {
  const char* Name;  // read out of its record once, not at every comparison
  uint32_t Length;
  uint32_t Index;

  std::string_view NameView() const { return {Name, Length}; }
};

// Below this many entries a sort is over before threads would have started.
constexpr size_t kParallelSortEntries = 20000;
constexpr unsigned kMaxSortThreads = 8;

// Chains each folder's entries in list order. The walk gives the entries of one folder
// one shared Directory record: mostly no lookup.
void GroupByFolder(TEntryList& entries, TFolderGroups& groups) {
  std::vector<uint32_t> last;  // each group's last entry so far
  const char* lastDirectory = nullptr;
  uint32_t g = 0;
  for (size_t i = 0; i < entries.size(); ++i) {
    const uint32_t index = static_cast<uint32_t>(i);
    if (i == 0 || entries[i].Directory.data() != lastDirectory) {
      g = groups.Add(index);
      lastDirectory = entries[i].Directory.data();
    }
    if (g == last.size()) {
      last.push_back(index);
    } else {
      SetLink(entries[last[g]], index);
      last[g] = index;
    }
    ++groups.Count[g];
  }
  for (uint32_t end : last) SetLink(entries[end], kEnd);
}

// A folder's path without its last folder: "docs/old/" gives "docs/", "docs/" gives "".
std::string_view ParentPath(std::string_view path, char separator) {
  const size_t last = path.substr(0, path.size() - 1).rfind(separator);
  return last == std::string_view::npos ? std::string_view() : path.substr(0, last + 1);
}

// The group of the folder that holds group h's folder, kNone when there is none.
uint32_t ParentGroup(const TFolderGroups& groups, uint32_t h, char separator) {
  return groups.Find(ParentPath(groups.PathOf(h), separator));
}

// The groups by depth, the root's first: every group after the one above it, whatever
// order the list came in.
std::vector<uint32_t> GroupsByDepth(const TFolderGroups& groups, char separator) {
  auto depthOf = [&](uint32_t g) {
    const std::string_view path = groups.PathOf(g);
    return static_cast<size_t>(std::count(path.begin(), path.end(), separator));
  };
  const uint32_t count = static_cast<uint32_t>(groups.First.size());
  std::vector<uint32_t> starts;  // where each depth begins, filled as a count first
  for (uint32_t g = 0; g < count; ++g) {
    const size_t depth = depthOf(g);
    if (depth + 2 > starts.size()) starts.resize(depth + 2, 0);
    ++starts[depth + 1];
  }
  for (size_t d = 1; d < starts.size(); ++d) starts[d] += starts[d - 1];
  std::vector<uint32_t> order(count);
  for (uint32_t g = 0; g < count; ++g) order[starts[depthOf(g)]++] = g;
  return order;
}

// Turns each group's count into the count of its whole subtree, deepest groups first.
// False when a group has no parent group.
bool CountSubtrees(TFolderGroups& groups, const std::vector<uint32_t>& byDepth, uint32_t root,
                   char separator) {
  for (auto h = byDepth.rbegin(); h != byDepth.rend(); ++h) {
    if (*h == root) continue;
    const uint32_t parent = ParentGroup(groups, *h, separator);
    if (parent == TFolderGroups::kNone) return false;
    groups.Count[parent] += groups.Count[*h];
  }
  return true;
}

// One folder's entries among themselves: its non-empty files first, then everything of
// size 0. Only names, sizes and times are compared, mostly through the collation, so the
// sort is a merge sort (a fifth fewer comparisons than a quicksort) on entry addresses;
// no entry moves. Each entry's link then holds its group and its place within the
// group's part of the pre-order, which its sub-folders' subtrees widen; a sub-folder's
// count becomes the place of its folder entry, marked as reached. False when a
// sub-folder is reached twice.
bool SortGroup(TEntryList& entries, TFolderGroups& groups, uint32_t g, const TOrderContext& ctx,
               TSortKind kind, std::vector<TMember>& work, std::string& path) {
  size_t count = 0;
  for (uint32_t i = groups.First[g]; i != kEnd; i = Link(entries[i])) ++count;
  work.clear();
  work.reserve(count);
  for (uint32_t i = groups.First[g]; i != kEnd; i = Link(entries[i])) {
    const std::string_view name = entries[i].Name;
    work.push_back({name.data(), static_cast<uint32_t>(name.size()), i});
  }
  auto zero = std::partition(work.begin(), work.end(),
                             [&](const TMember& m) { return entries[m.Index].Size != 0; });
  auto fields = [&](const TMember& m) {
    const TFileObject& entry = entries[m.Index];
    return TSortFields{m.NameView(), entry.Size, entry.Time};
  };
  std::stable_sort(work.begin(), zero, [&](const TMember& a, const TMember& b) {
    return CompareFiles(ctx, kind, fields(a), fields(b)) < 0;
  });
  std::stable_sort(zero, work.end(), [&](const TMember& a, const TMember& b) {
    return CompareComponent(ctx, a.NameView(), b.NameView()) < 0;
  });
  uint32_t place = 0;
  for (auto m = work.begin(); m != work.end(); ++m) {
    entries[m->Index].Prefix.SetScratch(uint64_t{g} << 32 | place);
    ++place;
    if (m < zero) continue;
    path.assign(groups.PathOf(g));
    path += m->NameView();
    path += ctx.Separator;
    const uint32_t h = groups.Find(path);
    if (h == TFolderGroups::kNone) continue;
    const uint32_t subtree = groups.Count[h];
    if (subtree & kReached) return false;
    groups.Count[h] = (place - 1) | kReached;
    place += subtree;
  }
  return true;
}

unsigned SortThreads(size_t entries, unsigned threads) {
  if (threads != 0) return threads;
  if (entries < kParallelSortEntries) return 1;
  return std::clamp(std::thread::hardware_concurrency(), 1u, kMaxSortThreads);
}

// The order in which the groups are handed out: with several threads the largest first,
// so that no thread is left with a big one at the end.
std::vector<uint32_t> SortSchedule(const TFolderGroups& groups, unsigned threads) {
  std::vector<uint32_t> schedule(groups.Count.size());
  for (size_t g = 0; g < schedule.size(); ++g) schedule[g] = static_cast<uint32_t>(g);
  if (threads > 1) {
    std::stable_sort(schedule.begin(), schedule.end(),
                     [&](uint32_t a, uint32_t b) { return groups.Count[a] > groups.Count[b]; });
  }
  return schedule;
}

// The folders' sorts are independent of each other: with many entries they are shared
// among threads. False when a sub-folder was reached twice.
bool SortGroups(TEntryList& entries, TFolderGroups& groups, const std::vector<uint32_t>& schedule,
                const TOrderContext& ctx, TSortKind kind, unsigned threads) {
  const size_t groupCount = schedule.size();
  std::atomic<size_t> next{0};
  std::atomic<bool> tree{true};
  RunOnThreads(
      threads,
      [&] {
        std::vector<TMember> members;
        std::string path;
        for (size_t k; (k = next.fetch_add(1, std::memory_order_relaxed)) < groupCount;) {
          if (!SortGroup(entries, groups, schedule[k], ctx, kind, members, path)) {
            tree = false;
            next = groupCount;
          }
        }
      },
      [&] { next = groupCount; });
  return tree;
}

// Turns each group's place of its folder entry into the place of its first entry in the
// whole list, parents before their sub-folders. False when a group was never reached
// from its parent.
bool PlaceGroups(TFolderGroups& groups, const std::vector<uint32_t>& byDepth, uint32_t root,
                 char separator) {
  groups.Count[root] = 0;
  for (uint32_t h : byDepth) {
    if (h == root) continue;
    if ((groups.Count[h] & kReached) == 0) return false;
    const uint32_t parent = ParentGroup(groups, h, separator);
    groups.Count[h] = groups.Count[parent] + (groups.Count[h] & ~kReached) + 1;
  }
  return true;
}

// Gives every entry, in its link, its place in the tree's pre-order: each folder's
// entries in their sorted order, each folder followed by its own subtree. Only some
// numbers a folder beside the list: each group's count serves in turn as its subtree's
// size, as the place of its folder entry and as the place of its first entry. False when
// the list is no tree (a group without its folder entry, or one reached twice); the
// links are then spent.
bool NumberByFolders(TEntryList& entries, const TOrderContext& ctx, TSortKind kind,
                     unsigned threads) {
  if (entries.size() >= kReached) return false;
  TFolderGroups groups(entries);
  GroupByFolder(entries, groups);
  const uint32_t root = groups.Find(std::string_view());
  if (root == TFolderGroups::kNone) return false;
  const std::vector<uint32_t> byDepth = GroupsByDepth(groups, ctx.Separator);
  const std::vector<uint32_t> schedule = SortSchedule(groups, threads);
  if (!CountSubtrees(groups, byDepth, root, ctx.Separator)) return false;
  if (!SortGroups(entries, groups, schedule, ctx, kind, threads)) return false;
  if (!PlaceGroups(groups, byDepth, root, ctx.Separator)) return false;
  // Each entry's place: its group's first place and its own within the group.
  constexpr size_t kShare = 65536;
  std::atomic<size_t> next{0};
  RunOnThreads(
      threads,
      [&] {
        for (size_t begin; (begin = next.fetch_add(kShare)) < entries.size();) {
          for (size_t i = begin; i < std::min(entries.size(), begin + kShare); ++i) {
            const uint64_t number = entries[i].Prefix.Scratch();
            SetLink(entries[i], groups.Count[number >> 32] + static_cast<uint32_t>(number));
          }
        }
      },
      [&] { next = entries.size(); });
  return true;
}

// Not a tree (entries put together by hand): the comparator alone decides.
void NumberByComparator(TEntryList& entries, const TOrderContext& ctx, TSortKind kind) {
  std::vector<uint32_t> order(entries.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<uint32_t>(i);
  std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
    return CompareByKind(ctx, kind, entries[a], entries[b]) < 0;
  });
  for (size_t k = 0; k < order.size(); ++k) SetLink(entries[order[k]], static_cast<uint32_t>(k));
}

}  // namespace

int CompareByName(const TOrderContext& ctx, const TFileObject& e1, const TFileObject& e2) {
  return CompareByKind(ctx, TSortKind::Name, e1, e2);
}

int CompareBySize(const TOrderContext& ctx, const TFileObject& e1, const TFileObject& e2) {
  return CompareByKind(ctx, TSortKind::Size, e1, e2);
}

// The size still decides whether the date counts: only between two non-empty files.
int CompareByDate(const TOrderContext& ctx, const TFileObject& e1, const TFileObject& e2) {
  return CompareByKind(ctx, TSortKind::Date, e1, e2);
}

void SortEntryList(TEntryList& entries, const TOrderContext& ctx, TSortKind kind,
                   unsigned threads) {
  threads = SortThreads(entries.size(), threads);
  if (entries.size() == 1) {
    SetLink(entries[0], 0);
  } else if (entries.size() >= 2 && !NumberByFolders(entries, ctx, kind, threads)) {
    NumberByComparator(entries, ctx, kind);
  }
  MoveToPlaces(entries, ctx.Separator, threads);
}

void TListing::SortEntries(int sortIndex) {
  TSortKind kind = sortIndex == 1   ? TSortKind::Size
                   : sortIndex == 2 ? TSortKind::Date
                                    : TSortKind::Name;
  SortEntryList(FEntries, TOrderContext{text_, separator_}, kind);
}

}  // namespace ramilux
