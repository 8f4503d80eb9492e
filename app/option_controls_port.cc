// The option controls port: the window's controls read as the run asks (see the header).
#include "option_controls_port.h"

#include "resource.h"

namespace ramilux {

void TOptionControlsPort::Attach(const TControlOf& control) {
  maskEdit_ = control(IDC_EDT_MASK);
  minSizeEdit_ = control(IDC_EDT_MIN_SIZE);
  fileBox_ = control(IDC_CBX_FILE);
  sizeBox_ = control(IDC_CBX_SIZE);
  dateTimeBox_ = control(IDC_CBX_DATE_TIME);
  higherButton_ = control(IDC_RBN_HIGHER);
  sortButtons_[0] = control(IDC_RGP_SORT_ALPHA);
  sortButtons_[1] = control(IDC_RGP_SORT_SIZE);
  sortButtons_[2] = control(IDC_RGP_SORT_DATE);
  totalsBox_ = control(IDC_CBX_TOTALS);
}

bool TOptionControlsPort::MaskEditShown() {
  return IsShown(maskEdit_);
}
std::string TOptionControlsPort::MaskText() {
  return TextOf(maskEdit_);
}
bool TOptionControlsPort::MinSizeEditShown() {
  return IsShown(minSizeEdit_);
}
std::string TOptionControlsPort::MinSizeText() {
  return TextOf(minSizeEdit_);
}
void TOptionControlsPort::SetMinSizeText(const std::string& text) {
  SetWindowTextA(minSizeEdit_, text.c_str());
}

bool TOptionControlsPort::FileChecked() {
  return IsChecked(fileBox_);
}
bool TOptionControlsPort::SizeChecked() {
  return IsChecked(sizeBox_);
}
bool TOptionControlsPort::DateTimeChecked() {
  return IsChecked(dateTimeBox_);
}
bool TOptionControlsPort::HigherSelected() {
  return IsChecked(higherButton_);
}

bool TOptionControlsPort::TotalsChecked() {
  return IsChecked(totalsBox_);
}

int TOptionControlsPort::SortIndex() {
  for (int index = 0; index < 3; ++index) {
    if (IsChecked(sortButtons_[index])) return index;
  }
  return -1;
}

}  // namespace ramilux
