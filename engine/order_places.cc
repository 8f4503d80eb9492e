// The sort's last steps: the entries moved to their places, with their base prefixes.
#include "order_places.h"

#include <algorithm>
#include <atomic>
#include <utility>
#include <vector>

#include "order_threads.h"

namespace ramilux {
namespace {

// A range of places small enough for the cache, and how far ahead of a stream of places
// it is read.
constexpr size_t kCachedEntries = 4096;
constexpr size_t kAhead = 8;
// Into how many ranges a large range is dealt at most.
constexpr size_t kMaxRanges = 256;

// The ranges a range of `count` places is dealt into: 2^shift places each.
size_t RangeShift(size_t count) {
  size_t shift = 12;
  while (((count - 1) >> shift) >= kMaxRanges) ++shift;
  return shift;
}

// Deals the entries of [begin, end) into ranges of 2^shift consecutive places, each
// range filled from its front: a few hundred sequential streams, where following the
// permutation's cycles across the whole list would wait on a cache miss at every step.
void Deal(TEntryList& entries, size_t begin, size_t end, size_t shift) {
  const size_t ranges = ((end - begin - 1) >> shift) + 1;
  std::vector<size_t> next(ranges);
  for (size_t r = 0; r < ranges; ++r) next[r] = begin + (r << shift);
  for (size_t r = 0; r < ranges; ++r) {
    const size_t rangeEnd = std::min(end, begin + ((r + 1) << shift));
    while (next[r] < rangeEnd) {
      TFileObject& entry = entries[next[r]];
      const size_t to = (Link(entry) - begin) >> shift;
      if (to == r) {
        ++next[r];
      } else {
        std::swap(entry, entries[next[to]++]);
        // The range's next places are the next to be read: asked for ahead of time.
        const size_t ahead = next[to] + kAhead;
        if (ahead < end) __builtin_prefetch(&entries[ahead]);
      }
    }
  }
}

// Moves the entries of [begin, end), whose places all lie in that range, to their places.
void MoveRange(TEntryList& entries, size_t begin, size_t end) {
  if (end - begin > kCachedEntries) {
    const size_t shift = RangeShift(end - begin);
    Deal(entries, begin, end, shift);
    for (size_t from = begin; from < end; from += size_t{1} << shift) {
      MoveRange(entries, from, std::min(end, from + (size_t{1} << shift)));
    }
    return;
  }
  // Read in order first: the cycles then jump about within the cache, not memory.
  for (size_t i = begin; i < end; ++i) __builtin_prefetch(&entries[i]);
  for (size_t start = begin; start < end; ++start) {
    for (uint32_t place = Link(entries[start]); place != start; place = Link(entries[start])) {
      std::swap(entries[start], entries[place]);
    }
  }
}

// The base prefixes of [begin, end): a group a level, the own one a corner.
void SetBasePrefixes(TEntryList& entries, size_t begin, size_t end) {
  for (size_t i = begin; i < end; ++i) {
    TFileObject& entry = entries[i];
    entry.Prefix = TPrefix(entry.Directory().Depth() + 1);
  }
}

}  // namespace

void MoveToPlaces(TEntryList& entries, unsigned threads) {
  const size_t count = entries.size();
  if (count == 0) return;
  // Dealt once here; then each range is finished apart, on all the threads.
  size_t shift = RangeShift(count);
  if (count > kCachedEntries) {
    Deal(entries, 0, count, shift);
  } else {
    while ((size_t{1} << shift) < count) ++shift;
  }
  const size_t ranges = ((count - 1) >> shift) + 1;
  std::atomic<size_t> next{0};
  RunOnThreads(
      threads,
      [&] {
        for (size_t r; (r = next.fetch_add(1, std::memory_order_relaxed)) < ranges;) {
          const size_t begin = r << shift, end = std::min(count, begin + (size_t{1} << shift));
          MoveRange(entries, begin, end);
          SetBasePrefixes(entries, begin, end);
        }
      },
      [&] { next = ranges; });
}

}  // namespace ramilux
