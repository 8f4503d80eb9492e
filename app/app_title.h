// The application's title and the About text.
#pragma once

#include <string>
#include <string_view>

namespace ramilux {

// The title made from the executable's path: the folder removed, the name cut at its
// first full stop, every character after the first lower-cased ("Ramilux" for
// C:\Programmes\RAMILUX.EXE).
std::string ApplicationTitle(std::string_view executablePath);

// The seven lines of the About message, CR LF between them.
std::string AboutText();

}  // namespace ramilux
