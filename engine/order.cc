// The sort of FEntries. The order is the tree in pre-order, each folder's entries among
// themselves by the comparator (order_compare.cc), so the sort orders each folder's entries
// alone and rebuilds the pre-order from them. The entries' prefix words carry the sort's
// numbers until it gives them their base prefixes.
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "listing.h"
#include "order_compare.h"
#include "order_places.h"
#include "order_threads.h"

namespace ramilux {
namespace {

constexpr uint32_t kEnd = UINT32_MAX;
// A sub-folder's group whose folder entry has been placed.
constexpr uint32_t kReached = 0x80000000u;

// The entries grouped by folder (by their Directory's path, whatever record holds it):
// each group's entries are chained through their links, in list order, then in their
// sorted order. A group is known by the group of the folder above it and its name, found
// through open addressing over the groups; a group is numbered after the one above it, and
// each folder record holds its group once it is known.
class TFolderGroups {
 public:
  static constexpr uint32_t kNone = UINT32_MAX;

  // Group 0 is the root.
  explicit TFolderGroups(TEntryList& entries) {
    entries.SetFolderGroups(kNone);
    // A group a folder at most, and the root: no room to spare at the sort's peak.
    First.reserve(entries.FolderCount() + 1);
    Count.reserve(entries.FolderCount() + 1);
    folders_.reserve(entries.FolderCount() + 1);
    AddGroup(TFolderPath());
  }

  std::vector<uint32_t> First;  // group g's first entry, kEnd while it has none
  std::vector<uint32_t> Count;  // its number of entries, then other numbers of the sort

  size_t size() const { return First.size(); }
  // The record of group g's folder, null for the root.
  const TFolderRecord* Folder(uint32_t g) const { return folders_[g].Record(); }

  // The group of the folder above group g's, kNone for the root.
  uint32_t Parent(uint32_t g) const {
    const TFolderRecord* folder = Folder(g);
    if (folder == nullptr) return kNone;
    return KnownGroup(folder->Parent());
  }

  // The group of the entries of `folder` once GroupOf has seen it: the root's is 0.
  static uint32_t KnownGroup(const TFolderRecord* folder) {
    return folder == nullptr || folder->Depth == 0 ? 0 : folder->Group;
  }

  // The group of the folder `name` (without its separator) in group `parent`.
  uint32_t Find(uint32_t parent, std::string_view name) const {
    for (size_t s = Hash(parent, name) & (slots_.size() - 1);; s = (s + 1) & (slots_.size() - 1)) {
      if (slots_[s] == 0) return kNone;
      const uint32_t g = slots_[s] - 1;
      if (NameOf(g) == name && Parent(g) == parent) return g;
    }
  }

  // The group of a folder; its own and those above it are made when first seen.
  uint32_t GroupOf(TFolderPath folder) {
    pending_.clear();
    for (const TFolderRecord* record;
         (record = folder.Record()) != nullptr && record->Depth > 0 && record->Group == kNone;
         folder = TFolderPath(record->ParentAddress)) {
      pending_.push_back(folder);
    }
    uint32_t g = KnownGroup(folder.Record());
    for (auto f = pending_.rbegin(); f != pending_.rend(); ++f) {
      const TFolderRecord* record = f->Record();
      uint32_t h = Find(g, record->Name);
      if (h == kNone) h = AddGroup(*f);
      record->Group = h;
      g = h;
    }
    return g;
  }

 private:
  static size_t Hash(uint32_t parent, std::string_view name) {
    return std::hash<std::string_view>()(name) ^ (parent * size_t{0x9E3779B97F4A7C15});
  }
  std::string_view NameOf(uint32_t g) const {
    const TFolderRecord* folder = Folder(g);
    return folder == nullptr ? std::string_view() : folder->Name.View();
  }
  // The folder's group; the one above it has its number already.
  uint32_t AddGroup(TFolderPath folder) {
    const uint32_t g = static_cast<uint32_t>(First.size());
    First.push_back(kEnd);
    Count.push_back(0);
    folders_.push_back(folder);
    if (4 * First.size() > 3 * slots_.size()) {
      slots_.assign(std::max<size_t>(64, 2 * slots_.size()), 0);
      for (uint32_t k = 0; k < First.size(); ++k) Place(k);
    } else {
      Place(g);
    }
    return g;
  }
  void Place(uint32_t g) {
    size_t s = Hash(Parent(g), NameOf(g)) & (slots_.size() - 1);
    while (slots_[s] != 0) s = (s + 1) & (slots_.size() - 1);
    slots_[s] = g + 1;
  }

  // Records by their 32-bit addresses: these tables make the sort's share of the peak.
  std::vector<TFolderPath> folders_;  // one record of each group's folder
  std::vector<uint32_t> slots_;  // group + 1, 0 when free; a power of two long, 3/4 full at most
  std::vector<TFolderPath> pending_;
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
// one shared record: mostly no lookup.
void GroupByFolder(TEntryList& entries, TFolderGroups& groups) {
  std::vector<uint32_t> last(groups.First.capacity(), kEnd);  // each group's last entry so far
  uint32_t lastFolder = 0;
  uint32_t g = 0;
  for (size_t i = 0; i < entries.size(); ++i) {
    const uint32_t index = static_cast<uint32_t>(i);
    const TFolderPath folder = entries[i].Directory();
    if (i == 0 || folder.Address() != lastFolder) {
      g = groups.GroupOf(folder);
      lastFolder = folder.Address();
      if (last.size() < groups.size()) last.resize(groups.size(), kEnd);
    }
    if (last[g] == kEnd) {
      groups.First[g] = index;
    } else {
      SetLink(entries[last[g]], index);
    }
    last[g] = index;
    ++groups.Count[g];
  }
  for (uint32_t end : last) {
    if (end != kEnd) SetLink(entries[end], kEnd);
  }
}

// Turns each group's count into the count of its whole subtree: a group is numbered
// after the one above it, so the last groups are the deepest.
void CountSubtrees(TFolderGroups& groups) {
  for (size_t h = groups.size(); h-- > 1;)
    groups.Count[groups.Parent(static_cast<uint32_t>(h))] += groups.Count[h];
}

// The entries of size 0 of group g (folders, empty files) by their folders' total sizes,
// in the files' direction, then by name: the biggest folders stand together. A folder
// without a group holds nothing.
void SortByTotals(const TEntryList& entries, const TFolderGroups& groups, uint32_t g,
                  const TOrderContext& ctx, std::span<TMember> members) {
  std::vector<std::pair<int64_t, TMember>> keyed;
  keyed.reserve(members.size());
  for (const TMember& m : members) {
    int64_t total = 0;
    if (entries[m.Index].Attr() & kAttrDirectory) {
      const uint32_t h = groups.Find(g, m.NameView());
      if (h != TFolderGroups::kNone) total = groups.Folder(h)->Totals.Size;
    }
    keyed.push_back({total, m});
  }
  std::stable_sort(keyed.begin(), keyed.end(), [&](const auto& a, const auto& b) {
    if (a.first != b.first) return a.first < b.first;
    return CompareComponent(ctx, a.second.NameView(), b.second.NameView()) < 0;
  });
  for (size_t k = 0; k < members.size(); ++k) members[k] = keyed[k].second;
}

// One folder's entries among themselves: its non-empty files first, then everything of
// size 0. Only names, sizes and times are compared, mostly through the collation, so the
// sort is a merge sort (a fifth fewer comparisons than a quicksort) on entry addresses;
// no entry moves. Each entry's link then holds its place within the group's part of the
// pre-order (the group is its folder record's), which its sub-folders' subtrees widen; a
// sub-folder's count becomes the place of its folder entry, marked as reached. False when a
// sub-folder is reached twice.
bool SortGroup(TEntryList& entries, TFolderGroups& groups, uint32_t g, const TOrderContext& ctx,
               TSortKind kind, std::vector<TMember>& work) {
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
  if (kind == TSortKind::TotalSize) {
    SortByTotals(entries, groups, g, ctx, std::span<TMember>(zero, work.end()));
  } else {
    std::stable_sort(zero, work.end(), [&](const TMember& a, const TMember& b) {
      return CompareComponent(ctx, a.NameView(), b.NameView()) < 0;
    });
  }
  uint32_t place = 0;
  for (auto m = work.begin(); m != work.end(); ++m) {
    SetLink(entries[m->Index], place);
    ++place;
    if (m < zero) continue;
    const uint32_t h = groups.Find(g, m->NameView());
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
        for (size_t k; (k = next.fetch_add(1, std::memory_order_relaxed)) < groupCount;) {
          if (!SortGroup(entries, groups, schedule[k], ctx, kind, members)) {
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
bool PlaceGroups(TFolderGroups& groups) {
  groups.Count[0] = 0;
  for (size_t h = 1; h < groups.size(); ++h) {
    if ((groups.Count[h] & kReached) == 0) return false;
    groups.Count[h] =
        groups.Count[groups.Parent(static_cast<uint32_t>(h))] + (groups.Count[h] & ~kReached) + 1;
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
  const std::vector<uint32_t> schedule = SortSchedule(groups, threads);
  CountSubtrees(groups);
  if (!SortGroups(entries, groups, schedule, ctx, kind, threads)) return false;
  if (!PlaceGroups(groups)) return false;
  // Each entry's place: its group's first place (its folder record names the group) and
  // its own within the group.
  constexpr size_t kShare = 65536;
  std::atomic<size_t> next{0};
  RunOnThreads(
      threads,
      [&] {
        for (size_t begin; (begin = next.fetch_add(kShare)) < entries.size();) {
          for (size_t i = begin; i < std::min(entries.size(), begin + kShare); ++i) {
            TFileObject& entry = entries[i];
            const uint32_t g = TFolderGroups::KnownGroup(entry.Directory().Record());
            SetLink(entry, groups.Count[g] + Link(entry));
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

void SortEntryList(TEntryList& entries, const TOrderContext& ctx, TSortKind kind,
                   unsigned threads) {
  threads = SortThreads(entries.size(), threads);
  if (entries.size() == 1) {
    SetLink(entries[0], 0);
  } else if (entries.size() >= 2 && !NumberByFolders(entries, ctx, kind, threads)) {
    NumberByComparator(entries, ctx, kind);
  }
  MoveToPlaces(entries, threads);
}

void TListing::SortEntries(int sortIndex) {
  TSortKind kind = sortIndex == 1   ? (totalsOn_ ? TSortKind::TotalSize : TSortKind::Size)
                   : sortIndex == 2 ? TSortKind::Date
                                    : TSortKind::Name;
  SortEntryList(FEntries, TOrderContext{text_, separator_}, kind);
}

}  // namespace ramilux
