// The order of the entries: the three comparators and the sort of FEntries. The order is
// the tree in pre-order, each folder's entries among themselves by the comparator, so the
// sort orders each folder's entries alone and rebuilds the pre-order from them.
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <exception>
#include <string>
#include <thread>
#include <functional>
#include <vector>

#include "listing.h"

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

// Two non-empty files of one folder: by the secondary key, then by name (its bytes when
// the collation calls two names equal, so the walk's order never shows). A negative size
// (only a faulty search reports one) has no key: such files go first, by name, so that
// the order stays a strict one.
int CompareFiles(const TOrderContext& ctx, TSortKind kind, const TFileObject& e1,
                 const TFileObject& e2) {
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
  return CompareFiles(ctx, kind, e1, e2);
}

int CompareByKind(const TOrderContext& ctx, TSortKind kind, const TFileObject& e1,
                  const TFileObject& e2) {
  if (e1.Directory == e2.Directory) return CompareSiblings(ctx, kind, e1, e2);
  return CompareTextsOf(ctx, e1, e2);
}

// Puts the entries into the order `order` gives (order[k] = old index of the k-th
// entry), following the permutation's cycles so that no second list is needed; a place
// filled is marked in `order` itself (order[k] = k).
void ApplyOrder(TEntryList& entries, std::vector<uint32_t>& order) {
  for (size_t start = 0; start < order.size(); ++start) {
    if (order[start] == start) continue;
    TFileObject held = entries[start];
    size_t k = start;
    while (order[k] != start) {
      const size_t from = order[k];
      entries[k] = entries[from];
      order[k] = static_cast<uint32_t>(k);
      k = from;
    }
    entries[k] = held;
    order[k] = static_cast<uint32_t>(k);
  }
}

// Folder paths to group numbers: open addressing over the groups' own Directory records,
// some 16 bytes a folder where a node-based map takes 60.
class TPathIndex {
 public:
  static constexpr uint32_t kNone = UINT32_MAX;

  uint32_t Find(std::string_view path) const {
    if (slots_.empty()) return kNone;
    for (size_t s = Hash(path) & (slots_.size() - 1);; s = (s + 1) & (slots_.size() - 1)) {
      if (slots_[s] == 0) return kNone;
      if (paths_[slots_[s] - 1] == path) return slots_[s] - 1;
    }
  }
  // The group of `path`, numbered in order of first sight.
  uint32_t Add(TArenaText path) {
    uint32_t g = Find(path);
    if (g != kNone) return g;
    g = static_cast<uint32_t>(paths_.size());
    paths_.push_back(path);
    if (2 * paths_.size() > slots_.size()) {
      slots_.assign(std::max<size_t>(64, 2 * slots_.size()), 0);
      for (uint32_t k = 0; k < paths_.size(); ++k) Place(k);
    } else {
      Place(g);
    }
    return g;
  }
  size_t size() const { return paths_.size(); }

 private:
  static size_t Hash(std::string_view path) { return std::hash<std::string_view>()(path); }
  void Place(uint32_t g) {
    size_t s = Hash(paths_[g]) & (slots_.size() - 1);
    while (slots_[s] != 0) s = (s + 1) & (slots_.size() - 1);
    slots_[s] = g + 1;
  }
  std::vector<uint32_t> slots_;  // group + 1, 0 when free; a power of two long
  std::vector<TArenaText> paths_;
};

// The entries grouped by folder: the folder's path (its Directory value) and the
// entries that lie directly in it. Once the list itself is grouped, `Members` is let go
// and group g is the entries [start[g], start[g + 1]): one index array a million entries
// long at a time, not two.
struct TFolderGroups {
  std::vector<uint32_t> Members;  // entry indices, grouped by folder
  std::vector<uint32_t> Start;    // group g is Members[Start[g], Start[g + 1])
  TPathIndex ByPath;
};

// An entry of a folder being sorted: its address, for the comparisons, and its index.
struct TMember {
  const TFileObject* Entry;
  uint32_t Index;
};

// Below this many entries a sort is over before threads would have started.
constexpr size_t kParallelSortEntries = 20000;
constexpr unsigned kMaxSortThreads = 8;

TFolderGroups GroupByFolder(const TEntryList& entries) {
  TFolderGroups groups;
  // The walk gives the entries of one folder one shared record: mostly no lookup.
  const char* last = nullptr;
  uint32_t lastGroup = 0;
  auto groupOf = [&](const TFileObject& entry) {
    if (last == nullptr || entry.Directory.data() != last) {
      lastGroup = groups.ByPath.Add(entry.Directory);
      last = entry.Directory.data();
    }
    return lastGroup;
  };
  std::vector<uint32_t> counts;
  for (size_t i = 0; i < entries.size(); ++i) {
    uint32_t g = groupOf(entries[i]);
    if (g == counts.size()) counts.push_back(0);
    ++counts[g];
  }
  groups.Start.assign(counts.size() + 1, 0);
  for (size_t g = 0; g < counts.size(); ++g) groups.Start[g + 1] = groups.Start[g] + counts[g];
  counts.assign(groups.Start.begin(), groups.Start.end() - 1);  // where each group fills next
  groups.Members.resize(entries.size());
  last = nullptr;
  for (size_t i = 0; i < entries.size(); ++i) {
    groups.Members[counts[groupOf(entries[i])]++] = static_cast<uint32_t>(i);
  }
  return groups;
}

// The tree's pre-order from the sorted folders, the list being grouped: each entry, and
// right after a folder its own group. Empty when the list is no tree (a group without its folder entry, or one
// reached twice): the caller then sorts with the comparator alone.
std::vector<uint32_t> PreOrder(const TEntryList& entries, const TFolderGroups& groups,
                               char separator) {
  constexpr uint32_t kNone = TPathIndex::kNone;
  const size_t groupCount = groups.Start.size() - 1;
  const uint32_t root = groups.ByPath.Find(std::string_view());
  if (root == kNone) return {};
  std::vector<bool> reached(groupCount, false);
  std::vector<uint32_t> order;
  order.reserve(entries.size());
  // A stack of positions inside groups: (next member index, end of the group).
  std::vector<std::pair<uint32_t, uint32_t>> stack;
  std::string path;
  auto enter = [&](uint32_t g) {
    reached[g] = true;
    stack.emplace_back(groups.Start[g], groups.Start[g + 1]);
  };
  enter(root);
  while (!stack.empty()) {
    auto& [next, end] = stack.back();
    if (next == end) {
      stack.pop_back();
      continue;
    }
    const uint32_t i = next++;
    order.push_back(i);
    const TFileObject& entry = entries[i];
    if (entry.Size != 0) continue;
    path.assign(entry.Directory);
    path += entry.Name;
    path += separator;
    const uint32_t g = groups.ByPath.Find(path);
    if (g == kNone) continue;
    if (reached[g]) return {};
    enter(g);
  }
  if (order.size() != entries.size()) return {};
  return order;
}

// One folder's entries, [begin, end) of the grouped list, among themselves: its non-empty
// files first, then everything of size 0. Only names, sizes and times are compared, mostly
// through the collation, so the sort is a merge sort (a fifth fewer comparisons than a
// quicksort) on entry addresses; the entries then move through `held`.
void SortGroup(TEntryList& entries, size_t begin, size_t end, const TOrderContext& ctx,
               TSortKind kind, std::vector<TMember>& work, std::vector<TFileObject>& held) {
  work.clear();
  for (size_t i = begin; i != end; ++i) work.push_back({&entries[i], static_cast<uint32_t>(i)});
  auto zero = std::partition(work.begin(), work.end(),
                             [](const TMember& m) { return m.Entry->Size != 0; });
  std::stable_sort(work.begin(), zero, [&](const TMember& a, const TMember& b) {
    return CompareFiles(ctx, kind, *a.Entry, *b.Entry) < 0;
  });
  std::stable_sort(zero, work.end(), [&](const TMember& a, const TMember& b) {
    return CompareComponent(ctx, a.Entry->Name, b.Entry->Name) < 0;
  });
  held.clear();
  for (const TMember& m : work) held.push_back(*m.Entry);
  for (const TFileObject& entry : held) entries[begin++] = entry;
}

// The folders' sorts are independent of each other: with many entries they are shared
// among threads, the largest folders handed out first so that no thread is left with a
// big one at the end.
void SortGroups(TEntryList& entries, const TFolderGroups& groups, const TOrderContext& ctx,
                TSortKind kind, unsigned threads) {
  const size_t groupCount = groups.Start.size() - 1;
  if (threads == 0) {
    threads = entries.size() < kParallelSortEntries
                  ? 1
                  : std::clamp(std::thread::hardware_concurrency(), 1u, kMaxSortThreads);
  }
  std::vector<uint32_t> bySize(groupCount);
  for (size_t g = 0; g < groupCount; ++g) bySize[g] = static_cast<uint32_t>(g);
  auto sizeOf = [&](uint32_t g) { return groups.Start[g + 1] - groups.Start[g]; };
  if (threads > 1) {
    std::sort(bySize.begin(), bySize.end(),
              [&](uint32_t a, uint32_t b) { return sizeOf(a) > sizeOf(b); });
  }
  std::atomic<size_t> next{0};
  auto work = [&] {
    std::vector<TMember> members;
    std::vector<TFileObject> held;
    for (size_t k; (k = next.fetch_add(1, std::memory_order_relaxed)) < groupCount;) {
      uint32_t g = bySize[k];
      if (sizeOf(g) < 2) continue;
      SortGroup(entries, groups.Start[g], groups.Start[g + 1], ctx, kind, members, held);
    }
  };
  std::vector<std::thread> helpers;
  std::vector<std::exception_ptr> failures(threads);
  for (unsigned t = 1; t < threads; ++t) {
    helpers.emplace_back([&, t] {
      try {
        work();
      } catch (...) {
        failures[t] = std::current_exception();
        next = groupCount;
      }
    });
  }
  try {
    work();
  } catch (...) {
    failures[0] = std::current_exception();
    next = groupCount;
  }
  for (std::thread& helper : helpers) helper.join();
  for (const std::exception_ptr& failure : failures) {
    if (failure) std::rethrow_exception(failure);
  }
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
  if (entries.size() < 2) return;
  TFolderGroups groups = GroupByFolder(entries);
  ApplyOrder(entries, groups.Members);
  std::vector<uint32_t>().swap(groups.Members);
  SortGroups(entries, groups, ctx, kind, threads);
  std::vector<uint32_t> order = PreOrder(entries, groups, ctx.Separator);
  if (order.empty()) {
    // Not a tree (entries put together by hand): the comparator alone decides.
    order.resize(entries.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<uint32_t>(i);
    std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
      return CompareByKind(ctx, kind, entries[a], entries[b]) < 0;
    });
  }
  groups = {};
  ApplyOrder(entries, order);
}

void TListing::SortEntries(int sortIndex) {
  TSortKind kind = sortIndex == 1   ? TSortKind::Size
                   : sortIndex == 2 ? TSortKind::Date
                                    : TSortKind::Name;
  SortEntryList(FEntries, TOrderContext{text_, separator_}, kind);
}

}  // namespace ramilux
