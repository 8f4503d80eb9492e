// The application's title and the About text (see app_title.h).
#include "app_title.h"

#include <windows.h>

namespace ramilux {

std::string ApplicationTitle(std::string_view executablePath) {
  std::string_view name = executablePath.substr(executablePath.find_last_of("\\/:") + 1);
  std::string title(name.substr(0, name.find('.')));
  if (title.size() > 1) CharLowerBuffA(title.data() + 1, static_cast<DWORD>(title.size() - 1));
  return title;
}

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
