// The fixed parts of the HTML page around a listing's lines: its style, its tools (the
// search field and the buttons) and the script that lays the lines out.
#pragma once

#include <string_view>

namespace ramilux {

extern const std::string_view kHtmlPageStyle;
// Closes the header line's element, then the tools.
extern const std::string_view kHtmlPageTools;
extern const std::string_view kHtmlPageScript;

}  // namespace ramilux
