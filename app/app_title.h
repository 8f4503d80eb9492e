// The About message's text. Its caption, the application title, comes from error_box.h.
#pragma once

#include <string>

namespace ramilux {

// The seven lines of the About message, CR LF between them.
std::string AboutText();

}  // namespace ramilux
