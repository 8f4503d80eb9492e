// The listing run of the Refresh button: lock the window, walk, sort, draw the connectors,
// write the header and the lines, unlock the window.
#include <exception>

#include "listing.h"

namespace ramilux {

TListing::TListing(TListingPorts ports)
    : files_(ports.Files),
      text_(ports.Text),
      window_(ports.Window),
      separator_(ports.Files.Separator()) {}

bool TListing::Run() {
  if (FDirectory.empty()) return true;
  window_.SetWaitCursor(true);
  window_.EnableButton(TButton::SelectDirectory, false);
  window_.EnableButton(TButton::Print, false);
  window_.EnableButton(TButton::Refresh, false);
  window_.EnableButton(TButton::Font, false);
  FStopRequested = false;

  // Whatever fails inside the run is shown, and the window is unlocked all the same.
  bool ok = true;
  bool redrawSuspended = false;
  try {
    window_.ShowButton(TButton::Refresh, false);
    window_.EnableButton(TButton::Stop, true);
    window_.ShowButton(TButton::Stop, true);
    RunPhases(redrawSuspended);
  } catch (const std::exception& error) {
    ok = false;
    window_.ShowErrorBox("Erreur", error.what());
  } catch (...) {
    ok = false;
    window_.ShowErrorBox("Erreur", "Erreur inattendue");
  }
  if (redrawSuspended) window_.SetViewRedraw(true);

  window_.EnableButton(TButton::SelectDirectory, true);
  window_.EnableButton(TButton::Print, window_.ViewLineCount() > 0);
  window_.EnableButton(TButton::Refresh, true);
  window_.EnableButton(TButton::Font, true);
  window_.EnableButton(TButton::Stop, false);
  window_.ShowButton(TButton::Stop, false);
  window_.ShowButton(TButton::Refresh, true);
  window_.SetWaitCursor(false);
  return ok;
}

void TListing::RunPhases(bool& redrawSuspended) {
  window_.SetDirectoryLabel(FDirectory);
  BuildMaskList(window_.MaskEditShown() ? window_.MaskText() : std::string());
  if (window_.MinSizeEditShown()) {
    SetMinSize(window_.MinSizeText());
  } else {
    ClearMinSize();
  }
  ScanTree(FDirectory, window_.FileChecked());
  // Sorted even after a stop: the list then holds what the walk found so far.
  SortEntries(window_.SortIndex());
  window_.SetDirectoryLabel(FDirectory);
  FixConnectors();
  window_.ClearView();
  window_.RepaintNow();
  window_.FocusView();
  if (FStopRequested) return;

  window_.SetViewRedraw(false);
  redrawSuspended = true;
  window_.SetCaret(window_.ViewTextLength());
  AddLine(std::string(kHeaderText) + FDirectory);
  AddLine(" ");
  EmitLines();
  window_.SetCaret(window_.LineIndex(0));
  window_.ScrollCaret();
  window_.SetViewRedraw(true);
  redrawSuspended = false;
}

}  // namespace ramilux
