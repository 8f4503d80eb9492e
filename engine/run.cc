// The listing run of the Refresh button: lock the window, walk, sort, draw the connectors,
// write the header and the lines, unlock the window.
#include <chrono>
#include <exception>
#include <future>

#include "listing.h"

namespace ramilux {

TListing::TListing(TListingPorts ports)
    : files_(ports.Files),
      text_(ports.Text),
      options_(ports.Options),
      view_(ports.View),
      indicators_(ports.Indicators),
      separator_(ports.Files.Separator()) {}

bool TListing::Run() {
  if (FDirectory.empty()) return true;
  indicators_.SetWaitCursor(true);
  indicators_.EnableButton(TButton::SelectDirectory, false);
  indicators_.EnableButton(TButton::Print, false);
  indicators_.EnableButton(TButton::Refresh, false);
  indicators_.EnableButton(TButton::Font, false);
  FStopRequested = false;

  // Whatever fails inside the run is shown, and the window is unlocked all the same.
  bool ok = true;
  bool redrawSuspended = false;
  try {
    indicators_.ShowButton(TButton::Refresh, false);
    indicators_.EnableButton(TButton::Stop, true);
    indicators_.ShowButton(TButton::Stop, true);
    RunPhases(redrawSuspended);
  } catch (const std::exception& error) {
    ok = false;
    indicators_.ShowErrorBox("Erreur", error.what());
  } catch (...) {
    ok = false;
    indicators_.ShowErrorBox("Erreur", "Erreur inattendue");
  }
  if (redrawSuspended) view_.SetViewRedraw(true);

  indicators_.EnableButton(TButton::SelectDirectory, true);
  indicators_.EnableButton(TButton::Print, view_.ViewLineCount() > 0);
  indicators_.EnableButton(TButton::Refresh, true);
  indicators_.EnableButton(TButton::Font, true);
  indicators_.EnableButton(TButton::Stop, false);
  indicators_.ShowButton(TButton::Stop, false);
  indicators_.ShowButton(TButton::Refresh, true);
  indicators_.SetWaitCursor(false);
  return ok;
}

void TListing::RunPhases(bool& redrawSuspended) {
  // A root the code page cannot hold shows as its names show (best fit), never with the
  // exact forms the walk keeps after a NUL.
  const std::string shownRoot = DisplayText(FDirectory);
  indicators_.SetDirectoryLabel(shownRoot);
  BuildMaskList(options_.MaskEditShown() ? options_.MaskText() : std::string());
  if (options_.MinSizeEditShown()) {
    SetMinSize(options_.MinSizeText());
  } else {
    ClearMinSize();
  }
  totalsOn_ = options_.TotalsChecked();
  ScanTree(FDirectory, options_.FileChecked());
  if (totalsOn_) SumTotals();
  // Sorted even after a stop: the list then holds what the walk found so far. The sort
  // does not consult the flag: a Stop heard during it counts as heard by the output,
  // which is not shortened by it.
  const bool stoppedBeforeSort = FStopRequested;
  SortAnswering(options_.SortIndex());
  const bool stoppedDuringSort = FStopRequested && !stoppedBeforeSort;
  FStopRequested = stoppedBeforeSort;
  if (totalsOn_) KeepListedEntries();
  indicators_.SetDirectoryLabel(shownRoot);
  FixConnectors();
  view_.ClearView();
  view_.RepaintNow();
  view_.FocusView();
  if (FStopRequested) return;

  view_.SetViewRedraw(false);
  redrawSuspended = true;
  view_.SetCaret(view_.ViewTextLength());
  // The root's totals close its header line, as a folder's close its line.
  AddLine(std::string(kHeaderText) + shownRoot +
          (totalsOn_ ? "  " + TotalsText(rootTotals_) : std::string()) + headerNote_);
  AddLine(" ");
  const auto showTop = [this] {
    view_.SetCaret(view_.LineIndex(0));
    view_.ScrollCaret();
  };
  try {
    EmitLines();
  } catch (const TRunError&) {
    showTop();  // the lines before the refused one, from the top like a whole listing
    throw;
  }
  showTop();
  view_.SetViewRedraw(true);
  redrawSuspended = false;
  if (stoppedDuringSort) FStopRequested = true;
}

// The window's thread takes its input while the sort works on other threads; the
// entries are touched by the sort alone meanwhile (the window reads none during a run).
void TListing::SortAnswering(int sortIndex) {
  if (!indicators_.AnswersDuringSort()) {
    SortEntries(sortIndex);
    return;
  }
  constexpr std::chrono::milliseconds kLookInterval{4};
  std::future<void> sorted =
      std::async(std::launch::async, [this, sortIndex] { SortEntries(sortIndex); });
  while (sorted.wait_for(kLookInterval) != std::future_status::ready) {
    indicators_.ProcessMessages();
  }
  sorted.get();  // a failure of the sort is the run's
}

}  // namespace ramilux
