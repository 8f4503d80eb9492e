// The default printer the font dialog needs (it lists the printer's fonts too), and a
// way to take it away for the no-printer case.
#pragma once

#include <string>

namespace ramilux::test {

// The default printer's name. When the prefix has none, adds a PostScript printer
// (Wine's driver with Ghostscript's PPD, port FILE:) and makes it the default; empty if
// that fails.
std::string EnsureDefaultPrinter();

// While it lives, no default printer is selected (Wine's and Windows' record of it is
// removed); the previous one is selected again afterwards.
class NoDefaultPrinter {
 public:
  NoDefaultPrinter();
  ~NoDefaultPrinter();
  NoDefaultPrinter(const NoDefaultPrinter&) = delete;
  NoDefaultPrinter& operator=(const NoDefaultPrinter&) = delete;

 private:
  std::string previous_;
};

std::string DefaultPrinterName();  // empty when none is selected

}  // namespace ramilux::test
