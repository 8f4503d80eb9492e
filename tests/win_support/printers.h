// Test printers in the Wine prefix: Wine's PostScript driver with a PPD, under a name.
#pragma once

#include <string>

namespace ramilux::test {

// Installs Wine's PostScript driver with `ppd` as the driver `name`; true when it is
// installed afterwards, by this call or an earlier one.
bool AddPostScriptDriver(const std::string& name, const std::string& ppd);

// Adds the local printer `name` on `port`, using the driver of the same name; true when
// it exists afterwards.
bool AddLocalPrinter(const std::string& name, const std::string& port);

}  // namespace ramilux::test
