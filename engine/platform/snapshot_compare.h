// The comparison of two snapshots of a tree (or a snapshot and the tree as it is now): the
// union of both as one outline, each entry marked added, removed, changed or unchanged.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "listing.h"
#include "snapshot.h"

namespace ramilux {

inline constexpr char kAdded = '+', kRemoved = '-', kChanged = '~', kUnchanged = ' ';

// One shown entry of the union: its item on each side (null where it is not), its mark,
// and its shown entries, a block of the list.
struct TCompareNode {
  const TSnapshotItem* Old = nullptr;
  const TSnapshotItem* New = nullptr;
  char Mark = kUnchanged;
  bool Shown = false;
  uint32_t FirstChild = 0, ChildCount = 0;
};

struct TCompareCounts {
  int64_t Added = 0, Removed = 0, Changed = 0, Unchanged = 0;
  bool Differs() const { return Added + Removed + Changed > 0; }
};

// The union of the two trees under the listing's filters (files, masks, size, depth,
// exclusions) and its order; the root's shown entries are the RootCount nodes from
// RootFirst. Every entry is counted, shown or not.
struct TCompareResult {
  std::vector<TCompareNode> Nodes;
  uint32_t RootFirst = 0, RootCount = 0;
  TCompareCounts Counts;
};

// The listing's options that the comparison and its outline follow.
struct TCompareOptions {
  bool Files = false;
  bool SizeColumn = false, DateColumn = false;
  bool All = false;  // every entry, not only the changes and the folders above them
  int MaxDepth = 0;  // 0: no limit
  int SortIndex = 0;
};

// `listing` holds the masks, the threshold and the exclusions; `text` the collation.
TCompareResult CompareTrees(const TSnapshotTree& old, const TSnapshotTree& now, TListing& listing,
                            const TTextServices& text, const TCompareOptions& options);

// How the outline's lines are written: the connectors as the view's bytes or as UTF-8
// box-drawing characters, and each name's shown form from the listing's display text.
struct TOutlineStyle {
  bool Utf8Connectors = false;
  std::function<std::string(std::string_view)> Shown;  // null: the display text as it is
  std::string_view DeniedMarker = kDeniedMarkerUtf8;
};

// The shown nodes of `result` depth first, one line each (without its line end), as the
// listing writes its lines; false when `put` said stop.
using TLinePut = std::function<bool(std::string_view line)>;
bool WriteCompareOutline(const TSnapshotTree& old, const TSnapshotTree& now,
                         const TCompareResult& result, const TListing& listing,
                         const TCompareOptions& options, const TOutlineStyle& style,
                         const TLinePut& put);

// "2 ajout(s), 1 suppression(s), 0 modification(s), 5 inchangé(s)", UTF-8 or ANSI.
std::string CompareCountsLine(const TCompareCounts& counts, bool utf8);

}  // namespace ramilux
