// The About text.
#include "app_title.h"

namespace ramilux {

std::string AboutText() {
  return "        Ramilux\r\n"
         "        Version 1.0.6\r\n"
         "\r\n"
         "  (c) 2026 les d\xE9veloppeurs de Ramilux\r\n"
         "\r\n"
         "  email: contact@ramilux.example.org\r\n"
         "  site : https://ramilux.example.org";
}

}  // namespace ramilux
