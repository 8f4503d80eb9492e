// The sort's last steps: each entry's number (its link) kept in its prefix word, the
// entries moved to the places their links name, and their base prefixes.
#pragma once

#include <cstdint>

#include "file_object.h"

namespace ramilux {

// The sort's number for an entry (the next entry of its folder, then its place), in the
// word that holds the entry's prefix once the list is sorted.
inline uint32_t Link(const TFileObject& entry) {
  return static_cast<uint32_t>(entry.Prefix.Scratch());
}
inline void SetLink(TFileObject& entry, uint32_t value) {
  entry.Prefix.SetScratch(value);
}

// Moves every entry to the place its link names (the links are a permutation of the
// list's indices) and gives it its base prefix, on `threads` threads.
void MoveToPlaces(TEntryList& entries, unsigned threads);

}  // namespace ramilux
