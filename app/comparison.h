// "Comparer à un instantané..." as the window shows it: the snapshot and its folder as it
// is now, their union under the window's options, and its outline as the view's text or
// as Unicode text for the clipboard.
#pragma once

#include <memory>
#include <string>

#include "listing.h"
#include "snapshot.h"
#include "snapshot_compare.h"

namespace ramilux {

class TComparison {
 public:
  // `old` and `now` hold exact names (UTF-8); `note` closes the header (ANSI).
  TComparison(std::shared_ptr<const TSnapshotTree> old, std::shared_ptr<const TSnapshotTree> now,
              std::string note, TListingOptions& controls, TListingView& view,
              TRunIndicators& indicators);

  // The union under the controls' options as they are now.
  void Compare();
  // The header, a blank line, the outline and the counts, each line ended by CR LF: in
  // the view's bytes (ANSI, its connectors) or in UTF-8 with box-drawing connectors.
  std::string Text(bool utf8) const;
  const TCompareCounts& Counts() const { return result_.Counts; }

 private:
  std::shared_ptr<const TSnapshotTree> old_, now_;
  std::string note_;
  TListingOptions& controls_;
  std::unique_ptr<TFileSystem> files_;
  std::unique_ptr<TTextServices> text_;
  // The masks, the threshold and the columns' texts, on the exact names.
  TListing listing_;
  TCompareOptions options_;
  TCompareResult result_;
};

}  // namespace ramilux
