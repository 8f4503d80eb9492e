// The option controls of the window as the run reads them: each call asks the control
// itself, so a box clicked during the run counts from the run's next reading of it.
#pragma once

#include <windows.h>

#include "control_state.h"
#include "ports.h"

namespace ramilux {

class TOptionControlsPort final : public TListingOptions {
 public:
  // Takes the controls it reads from the built form.
  void Attach(const TControlOf& control);

  bool MaskEditShown() override;
  std::string MaskText() override;
  bool MinSizeEditShown() override;
  std::string MinSizeText() override;
  void SetMinSizeText(const std::string& text) override;
  bool FileChecked() override;
  bool SizeChecked() override;
  bool DateTimeChecked() override;
  bool HigherSelected() override;
  int SortIndex() override;
  bool TotalsChecked() override;

 private:
  HWND maskEdit_ = nullptr;
  HWND minSizeEdit_ = nullptr;
  HWND fileBox_ = nullptr;
  HWND sizeBox_ = nullptr;
  HWND dateTimeBox_ = nullptr;
  HWND higherButton_ = nullptr;
  HWND sortButtons_[3] = {};  // by name, by size, by date: the sort index
  HWND totalsBox_ = nullptr;
};

}  // namespace ramilux
