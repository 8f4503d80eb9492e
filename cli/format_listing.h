// arbo --format csv|md|html: the ordered entries of a finished run in a format other
// programs read, always in UTF-8.
#pragma once

#include "console_output.h"
#include "listing.h"
#include "options.h"

namespace arbo {

// Writes the listing in options.Format (csv, html or md); false when Ctrl-C came first.
bool WriteFormattedListing(ramilux::TListing& listing, char separator, const TArboOptions& options,
                           TConsoleOutput& output);

}  // namespace arbo
