// The union of two trees, folder by folder: each side's entries of a folder that pass the
// listing's filters are paired by their exact names, ordered as the listing orders a
// folder's entries, and the paired folders compared in turn. No map from paths: both
// trees are walked along the same folders at once.
#include "snapshot_compare.h"

#include <algorithm>

#include "columns.h"
#include "lines.h"

namespace ramilux {
namespace {

bool IsFolder(const TSnapshotItem& item) {
  return (item.Attr & kAttrDirectory) != 0;
}

// The size the order looks at: a size that could not be read counts as the walk's -1.
int64_t OrderSize(const TSnapshotItem& item) {
  return item.Size == kUnknownSize ? -1 : item.Size;
}

class TComparer {
 public:
  TComparer(const TSnapshotTree& old, const TSnapshotTree& now, TListing& listing,
            const TTextServices& text, const TCompareOptions& options)
      : old_(old), new_(now), listing_(listing), text_(text), options_(options) {
    const auto& masks = listing.Masks();
    files_ = options.Files && !masks.empty() && !masks.front().empty();
  }

  TCompareResult Run() {
    result_.Nodes.clear();
    Folder(old_.Folders.empty() ? kNoFolder : 0, new_.Folders.empty() ? kNoFolder : 0, 0, nullptr);
    return std::move(result_);
  }

 private:
  // What the walk lists of a folder's entries.
  bool Listed(const TSnapshotItem& item, std::string_view name) {
    if (IsFolder(item)) {
      if ((item.Attr & ExclusionMask(kFolderPassAttr)) != 0) return false;
      lower_.assign(name);
      text_.Lower(lower_);
      return !listing_.Excluded(lower_);
    }
    if (!files_) return false;
    lower_.assign(name);
    text_.Lower(lower_);
    if (!listing_.MatchesAnyMask(lower_) || listing_.Excluded(lower_)) return false;
    return item.Size == kUnknownSize || listing_.PassesSizeFilter(item.Size);
  }

  std::vector<const TSnapshotItem*> Side(const TSnapshotTree& tree, uint32_t folder) {
    std::vector<const TSnapshotItem*> items;
    if (folder == kNoFolder) return items;
    const TSnapshotFolder& record = tree.Folders[folder];
    for (uint32_t i = 0; i < record.Count; ++i) {
      const TSnapshotItem& item = tree.Items[record.First + i];
      if (Listed(item, tree.Name(item))) items.push_back(&item);
    }
    // By exact name, a folder after a file of the same name.
    std::sort(items.begin(), items.end(), [&tree](const TSnapshotItem* a, const TSnapshotItem* b) {
      const std::string_view na = tree.Name(*a), nb = tree.Name(*b);
      return na != nb ? na < nb : IsFolder(*a) < IsFolder(*b);
    });
    return items;
  }

  static TSearchFailure FailureOf(const TSnapshotTree& tree, const TSnapshotItem* item) {
    if (item == nullptr || item->Child == kNoFolder) return TSearchFailure::None;
    return tree.Folders[item->Child].Failure;
  }

  char MarkOf(const TSnapshotItem& old, const TSnapshotItem& now) const {
    if (IsFolder(old)) {
      return FailureOf(old_, &old) != FailureOf(new_, &now) ? kChanged : kUnchanged;
    }
    const bool timed = old.Timed() && now.Timed();
    const bool sameTime = timed ? old.Utc() == now.Utc() : old.Packed == now.Packed;
    return old.Size != now.Size || !sameTime ? kChanged : kUnchanged;
  }

  // The pairs of one folder's entries, merged by name.
  std::vector<TCompareNode> Pair(uint32_t oldFolder, uint32_t newFolder) {
    const auto olds = Side(old_, oldFolder), news = Side(new_, newFolder);
    std::vector<TCompareNode> pairs;
    size_t i = 0, k = 0;
    while (i < olds.size() || k < news.size()) {
      int order = i == olds.size() ? 1 : k == news.size() ? -1 : 0;
      if (order == 0) {
        const std::string_view a = old_.Name(*olds[i]), b = new_.Name(*news[k]);
        order = a != b ? (a < b ? -1 : 1) : IsFolder(*olds[i]) - IsFolder(*news[k]);
      }
      TCompareNode node;
      if (order <= 0) node.Old = olds[i++];
      if (order >= 0) node.New = news[k++];
      node.Mark = !node.New ? kRemoved : !node.Old ? kAdded : MarkOf(*node.Old, *node.New);
      pairs.push_back(node);
    }
    return pairs;
  }

  std::string_view NameOf(const TCompareNode& node) const {
    return node.New ? new_.Name(*node.New) : old_.Name(*node.Old);
  }
  const TSnapshotItem& ItemOf(const TCompareNode& node) const {
    return node.New ? *node.New : *node.Old;
  }

  int CompareNames(std::string_view a, std::string_view b) const {
    if (a == b) return 0;
    const int r = text_.Compare(a, b);
    return r != 0 ? r : (a < b ? -1 : 1);
  }

  // The listing's order of one folder's entries: non-empty files first, by the chosen
  // key then by name; folders and empty files after them, by name.
  bool Before(const TCompareNode& a, const TCompareNode& b) const {
    const TSnapshotItem &ia = ItemOf(a), &ib = ItemOf(b);
    const int64_t sa = OrderSize(ia), sb = OrderSize(ib);
    const bool fileA = sa != 0, fileB = sb != 0;
    if (fileA != fileB) return fileA;
    if (fileA && (sa < 0) != (sb < 0)) return sa < 0;
    if (fileA && sa >= 0) {
      if (options_.SortIndex == 1 && sa != sb) return sa < sb;
      if (options_.SortIndex == 2 && ia.Packed != ib.Packed) return ia.Packed < ib.Packed;
    }
    const int byName = CompareNames(NameOf(a), NameOf(b));
    return byName != 0 ? byName < 0 : a.Old != nullptr && b.Old == nullptr;  // removed first
  }

  static uint32_t Entered(const TSnapshotItem* item) {
    return item != nullptr && WalkEnters(*item) ? item->Child : kNoFolder;
  }

  // The union of one folder at `depth` below the root; returns whether anything is shown.
  // Only shown nodes are kept, each folder's block after those of its own entries: the
  // union of two alike trees then holds little more than the way down to the changes. And
  // only they are put in the listing's order, which takes the collation's time.
  bool Folder(uint32_t oldFolder, uint32_t newFolder, int depth, TCompareNode* parent) {
    if (options_.MaxDepth > 0 && depth >= options_.MaxDepth) return false;
    std::vector<TCompareNode> pairs = Pair(oldFolder, newFolder);
    for (TCompareNode& node : pairs) {
      Count(node.Mark);
      bool below = false;
      if (IsFolder(ItemOf(node))) {
        below = Folder(Entered(node.Old), Entered(node.New), depth + 1, &node);
      }
      node.Shown = options_.All || node.Mark != kUnchanged || below;
    }
    std::erase_if(pairs, [](const TCompareNode& node) { return !node.Shown; });
    std::stable_sort(pairs.begin(), pairs.end(),
                     [this](const TCompareNode& a, const TCompareNode& b) { return Before(a, b); });
    const uint32_t first = static_cast<uint32_t>(result_.Nodes.size());
    const uint32_t count = static_cast<uint32_t>(pairs.size());
    if (parent) {
      parent->FirstChild = first;
      parent->ChildCount = count;
    } else {
      result_.RootFirst = first;
      result_.RootCount = count;
    }
    result_.Nodes.insert(result_.Nodes.end(), pairs.begin(), pairs.end());
    return count > 0;
  }

  void Count(char mark) {
    TCompareCounts& counts = result_.Counts;
    ++(mark == kAdded     ? counts.Added
       : mark == kRemoved ? counts.Removed
       : mark == kChanged ? counts.Changed
                          : counts.Unchanged);
  }

  const TSnapshotTree &old_, &new_;
  TListing& listing_;
  const TTextServices& text_;
  const TCompareOptions& options_;
  bool files_ = false;
  std::string lower_;
  TCompareResult result_;
};

// Writes the shown nodes of the union depth first, as the listing writes its lines.
class TOutlineWriter {
 public:
  TOutlineWriter(const TSnapshotTree& old, const TSnapshotTree& now, const TCompareResult& result,
                 const TListing& listing, const TCompareOptions& options,
                 const TOutlineStyle& style, const TLinePut& put)
      : old_(old),
        new_(now),
        result_(result),
        listing_(listing),
        options_(options),
        style_(style),
        put_(put),
        columns_(listing.TextServices()) {}

  bool Lines(uint32_t first, uint32_t count) {
    uint32_t last = first + count;
    while (last > first && !result_.Nodes[last - 1].Shown) --last;
    for (uint32_t i = first; i < last; ++i) {
      const TCompareNode& node = result_.Nodes[i];
      if (!node.Shown) continue;
      const bool corner = i + 1 == last;
      if (!put_(Line(node, corner))) return false;
      const size_t length = prefix_.size();
      prefix_ += Group(corner ? TPrefix::Blank : TPrefix::Bar);
      if (node.ChildCount > 0 && !Lines(node.FirstChild, node.ChildCount)) return false;
      prefix_.resize(length);
    }
    return true;
  }

 private:
  std::string_view Group(TPrefix::TGroup group) const {
    if (style_.Utf8Connectors) return GroupUtf8(group);
    switch (group) {
      case TPrefix::Bar:
        return "\xB3  ";
      case TPrefix::Branch:
        return "\xC3\xC4 ";
      case TPrefix::Corner:
        return "\xC0\xC4 ";
      default:
        return "   ";
    }
  }

  TSearchFailure Unread(const TCompareNode& node) const {
    for (const auto& [item, tree] : {std::pair{node.New, &new_}, {node.Old, &old_}}) {
      if (item != nullptr && item->Child != kNoFolder &&
          tree->Folders[item->Child].Failure != TSearchFailure::None) {
        return tree->Folders[item->Child].Failure;
      }
    }
    return TSearchFailure::None;
  }

  std::string Line(const TCompareNode& node, bool corner) {
    const TSnapshotItem& item = node.New ? *node.New : *node.Old;
    const std::string_view name = node.New ? new_.Name(*node.New) : old_.Name(*node.Old);
    std::string line = prefix_ + std::string(Group(corner ? TPrefix::Corner : TPrefix::Branch));
    line += node.Mark;
    line += ' ';
    const std::string shown = listing_.DisplayText(name);
    line += style_.Shown ? style_.Shown(shown) : shown;
    const bool sized = !IsFolder(item) && item.Size != kUnknownSize && item.Size != 0;
    if (options_.Files && options_.SizeColumn && sized) {
      line += "  ";
      columns_.AppendSize(line, item.Size);
      line += " Ko";
    }
    if (options_.Files && options_.DateColumn && item.Packed != 0) {
      line += "  ";
      if (!columns_.AppendDateTime(line, item.Packed)) line.resize(line.size() - 2);
    }
    if (node.Mark == kChanged && !IsFolder(item) && node.Old->Size != node.New->Size &&
        node.Old->Size != kUnknownSize && node.New->Size != kUnknownSize) {
      const int64_t grown = node.New->Size - node.Old->Size;
      line += "  (" + std::string(grown >= 0 ? "+" : "") + std::to_string(grown) + " octets)";
    }
    const TSearchFailure unread = Unread(node);
    if (unread == TSearchFailure::AccessDenied) {
      line += "  " + std::string(style_.DeniedMarker);
    } else if (unread == TSearchFailure::Unreadable) {
      line += "  " + std::string(kUnreadMarker);
    }
    return line;
  }

  const TSnapshotTree &old_, &new_;
  const TCompareResult& result_;
  const TListing& listing_;
  const TCompareOptions& options_;
  const TOutlineStyle& style_;
  const TLinePut& put_;
  TColumnTexts columns_;  // the date texts, each formatted once
  std::string prefix_;
};

}  // namespace

TCompareResult CompareTrees(const TSnapshotTree& old, const TSnapshotTree& now, TListing& listing,
                            const TTextServices& text, const TCompareOptions& options) {
  return TComparer(old, now, listing, text, options).Run();
}

bool WriteCompareOutline(const TSnapshotTree& old, const TSnapshotTree& now,
                         const TCompareResult& result, const TListing& listing,
                         const TCompareOptions& options, const TOutlineStyle& style,
                         const TLinePut& put) {
  return TOutlineWriter(old, now, result, listing, options, style, put)
      .Lines(result.RootFirst, result.RootCount);
}

std::string CompareCountsLine(const TCompareCounts& counts, bool utf8) {
  return std::to_string(counts.Added) + " ajout(s), " + std::to_string(counts.Removed) +
         " suppression(s), " + std::to_string(counts.Changed) + " modification(s), " +
         std::to_string(counts.Unchanged) + (utf8 ? " inchang\xC3\xA9(s)" : " inchang\xE9(s)");
}

}  // namespace ramilux
