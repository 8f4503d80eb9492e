// The window's comparison: the options read from the controls as a run reads them, the
// names compared exact and shown in the code page's form in the view.
#include "comparison.h"

#include "listing_save.h"
#include "platform.h"
#include "wide_text.h"

namespace ramilux {
namespace {

std::string Utf8ToAnsi(std::string_view text) {
  return FromWide(ToWide(text, CP_UTF8), CP_ACP);
}

}  // namespace

TComparison::TComparison(std::shared_ptr<const TSnapshotTree> old,
                         std::shared_ptr<const TSnapshotTree> now, std::string note,
                         TListingOptions& controls, TListingView& view, TRunIndicators& indicators)
    : old_(std::move(old)),
      now_(std::move(now)),
      note_(std::move(note)),
      controls_(controls),
      files_(NewSnapshotFileSystem(now_)),
      text_(NewPlatformTextServices(TEncoding::Utf8)),
      listing_({*files_, *text_, controls, view, indicators}) {}

void TComparison::Compare() {
  options_.Files = controls_.FileChecked();
  options_.SizeColumn = controls_.SizeChecked();
  options_.DateColumn = controls_.DateTimeChecked();
  options_.SortIndex = controls_.SortIndex();
  // The controls hold ANSI text; the names compared are exact.
  listing_.BuildMaskList(controls_.MaskEditShown() ? AnsiToUtf8(controls_.MaskText())
                                                   : std::string());
  if (controls_.MinSizeEditShown()) {
    listing_.SetMinSize(controls_.MinSizeText());
  } else {
    listing_.ClearMinSize();
  }
  result_ = CompareTrees(*old_, *now_, listing_, *text_, options_);
}

std::string TComparison::Text(bool utf8) const {
  TOutlineStyle style;
  style.Utf8Connectors = utf8;
  if (!utf8) {
    style.Shown = Utf8ToAnsi;
    style.DeniedMarker = kDeniedMarker;
  }
  const std::string root = listing_.DisplayText(now_->Root);
  std::string text = std::string(kHeaderText) + (utf8 ? root : Utf8ToAnsi(root)) +
                     (utf8 ? AnsiToUtf8(note_) : note_) + "\r\n \r\n";
  WriteCompareOutline(*old_, *now_, result_, listing_, options_, style, [&](std::string_view line) {
    text.append(line);
    text += "\r\n";
    return true;
  });
  return text + CompareCountsLine(result_.Counts, utf8) + "\r\n";
}

}  // namespace ramilux
