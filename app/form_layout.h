// The form table of the resource script: one record per component of the window with
// its place at 96 dpi, texts, initial state and tab order.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace ramilux {

// One record of the RCDATA table IDR_FORM_LAYOUT, fields in the order of the resource:
// nine 16-bit words, then two NUL-terminated Windows-1252 strings.
struct TControlRecord {
  uint16_t Kind = 0;    // KIND_... of resource.h
  uint16_t Id = 0;      // IDC_... of resource.h
  uint16_t Parent = 0;  // id of the parent, IDC_FORM for the window itself
  int Left = 0, Top = 0, Width = 0, Height = 0;
  uint16_t Flags = 0;     // F_... of resource.h
  uint16_t TabOrder = 0;  // among the parent's children; NO_TAB when none
  std::string Text;
  std::string Hint;

  bool Has(uint16_t flag) const { return (Flags & flag) != 0; }
};

// Reads the table from the module's resources; empty when it is missing or malformed.
std::vector<TControlRecord> ReadFormLayout(HINSTANCE instance);

// Pixels at 96 dpi to pixels at the screen's density.
class TScaler {
 public:
  explicit TScaler(int dpi) : dpi_(dpi) {}
  int operator()(int pixels) const { return MulDiv(pixels, dpi_, 96); }

 private:
  int dpi_;
};

}  // namespace ramilux
