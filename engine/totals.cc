// Folder totals: what each folder holds at any depth below it, summed once over the walk's
// list, and the list cut down afterwards to what is listed. The walk's list is a pre-order
// (a folder's entry comes before everything inside it), so one pass from the end sums every
// folder with one running total per level.
#include <bit>

#include "columns.h"
#include "listing.h"

namespace ramilux {
namespace {

bool IsFolder(const TFileObject& entry) {
  return (entry.Attr() & kAttrDirectory) != 0;
}

bool IsUnread(const TFileObject& entry) {
  return (entry.Attr() & (kAttrUnreadDenied | kAttrUnreadOther)) != 0;
}

// The record of the folder's own entries: the Directory of the entry right after it when
// that one is inside it (pre-order), none for an empty folder.
const TFolderRecord* ContentsRecord(const TEntryList& entries, size_t folder) {
  if (folder + 1 >= entries.size()) return nullptr;
  const TFileObject& next = entries[folder + 1];
  if (next.Directory().Depth() != entries[folder].Directory().Depth() + 1) return nullptr;
  return next.Directory().Record();
}

// Once the list is sorted, a folder entry's Size (0 for a folder) holds the record of its
// own entries, since the entries inside it may be dropped from the list.
void LinkContents(TFileObject& folder, const TFolderRecord* contents) {
  folder.Size = static_cast<int64_t>(std::bit_cast<uintptr_t>(contents));
}
const TFolderRecord* LinkedContents(const TFileObject& folder) {
  return std::bit_cast<const TFolderRecord*>(static_cast<uintptr_t>(folder.Size));
}

}  // namespace

void TListing::SumTotals() {
  // below[d]: what the entries of level d seen so far hold, since their folder's entry.
  std::vector<TFolderTotals> below(2);
  for (size_t k = FEntries.size(); k-- > 0;) {
    const TFileObject& entry = FEntries[k];
    const size_t level = entry.Directory().Depth();
    if (below.size() < level + 2) below.resize(level + 2);
    TFolderTotals& here = below[level];
    if (!IsFolder(entry)) {
      ++here.Files;
      if (entry.Attr() & kAttrSizeUnknown) {
        here.Incomplete = 1;
      } else {
        here.Size += entry.Size;
      }
      continue;
    }
    TFolderTotals inside = below[level + 1];
    below[level + 1] = {};
    if (IsUnread(entry)) inside.Incomplete = 1;
    if (const TFolderRecord* contents = ContentsRecord(FEntries, k)) contents->Totals = inside;
    here.Add(inside);
    ++here.Folders;
  }
  rootTotals_ = below[0];
  if (rootUnread_) rootTotals_.Incomplete = 1;
}

void TListing::KeepListedEntries() {
  const bool files = withFiles_;
  const size_t maxDepth = FWalkLimits.MaxDepth > 0 ? FWalkLimits.MaxDepth : SIZE_MAX;
  size_t kept = 0;
  for (size_t i = 0; i < FEntries.size(); ++i) {
    TFileObject& entry = FEntries[i];
    if (IsFolder(entry)) LinkContents(entry, ContentsRecord(FEntries, i));
    if (!IsFolder(entry) && !files) continue;
    if (entry.Directory().Depth() + 1 > maxDepth) continue;
    if (kept != i) FEntries[kept] = entry;
    ++kept;
  }
  FEntries.Items.Truncate(kept);
}

TFolderTotals TListing::FolderTotals(const TFileObject& folder) const {
  TFolderTotals totals;
  if (const TFolderRecord* contents = LinkedContents(folder)) totals = contents->Totals;
  if (IsUnread(folder)) totals.Incomplete = 1;
  return totals;
}

std::string TListing::TotalsText(const TFolderTotals& totals) const {
  std::string text;
  TColumnTexts(text_).AppendTotals(text, totals);
  return text;
}

}  // namespace ramilux
