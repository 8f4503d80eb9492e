// arbo --compare: the union of two snapshots of a tree (or a snapshot and the tree as it
// is now) as one outline, each line marked added, removed, changed or unchanged.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "listing.h"
#include "options.h"
#include "snapshot.h"

namespace arbo {

inline constexpr char kAdded = '+', kRemoved = '-', kChanged = '~', kUnchanged = ' ';

// One entry of the union: its item on each side (null where it is not), its mark, and its
// entries, which follow all of its own siblings in the list.
struct TCompareNode {
  const ramilux::TSnapshotItem* Old = nullptr;
  const ramilux::TSnapshotItem* New = nullptr;
  char Mark = kUnchanged;
  bool Shown = false;
  uint32_t FirstChild = 0, ChildCount = 0;
};

struct TCompareCounts {
  int64_t Added = 0, Removed = 0, Changed = 0, Unchanged = 0;
  bool Differs() const { return Added + Removed + Changed > 0; }
};

// The union of the two trees under the listing's filters (files, masks, size, depth,
// exclusions) and its order; the root's entries are the ChildCount nodes from 0.
struct TCompareResult {
  std::vector<TCompareNode> Nodes;
  uint32_t RootCount = 0;
  TCompareCounts Counts;
};

// `listing` holds the masks, the threshold and the exclusions; `text` the collation.
TCompareResult CompareTrees(const ramilux::TSnapshotTree& old, const ramilux::TSnapshotTree& now,
                            ramilux::TListing& listing, const ramilux::TTextServices& text,
                            const TArboOptions& options);

int RunCompare(const TArboOptions& options);

}  // namespace arbo
