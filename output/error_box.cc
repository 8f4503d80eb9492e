// The error box of the save and font commands.
#include "error_box.h"

namespace ramilux {

std::string ApplicationTitleFromPath(const std::string& exePath) {
  std::string name = exePath.substr(exePath.find_last_of("\\/:") + 1);
  name = name.substr(0, name.find('.'));
  if (name.size() > 1) CharLowerBuffA(name.data() + 1, static_cast<DWORD>(name.size() - 1));
  return name;
}

std::string ApplicationTitle() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return ApplicationTitleFromPath(path);
}

void ShowErrorBox(HWND owner, const std::string& text) {
  MessageBoxA(owner, text.c_str(), ApplicationTitle().c_str(), MB_OK | MB_ICONERROR);
}

}  // namespace ramilux
