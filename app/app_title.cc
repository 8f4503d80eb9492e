// The About text.
#include "app_title.h"

#include "ramilux_version.h"

namespace ramilux {

// Lines 6 and 7 point at files the package puts beside Ramilux.exe: the project has no
// address of its own that a user could reach.
std::string AboutText() {
  return "        Ramilux\r\n"
         "        Version " RAMILUX_VERSION
         "\r\n"
         "\r\n"
         "  (c) 2026 les d\xE9veloppeurs de Ramilux\r\n"
         "\r\n"
         "  aide : LISEZMOI.txt, \xE0 c\xF4t\xE9 de Ramilux.exe\r\n"
         "  licences : LISEZMOI.txt, Ramilux-LICENSE.txt";
}

}  // namespace ramilux
