// The error box of the save, print and font commands.
#include "error_box.h"

#include "outcome.h"
#include "platform.h"

namespace ramilux {

std::string ApplicationTitle(std::string_view executablePath) {
  std::string_view name = executablePath.substr(executablePath.find_last_of("\\/:") + 1);
  std::string title(name.substr(0, name.find('.')));
  if (title.size() > 1) CharLowerBuffA(title.data() + 1, static_cast<DWORD>(title.size() - 1));
  return title;
}

std::string ApplicationTitle() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return ApplicationTitle(std::string_view(path));
}

void ShowErrorBox(HWND owner, const std::string& text) {
  MessageBoxA(owner, text.c_str(), ApplicationTitle().c_str(), MB_OK | MB_ICONERROR);
}

TOutcome TOutcome::SystemFailure(unsigned long code) {
  return Failed("Erreur syst\xE8me. Code : " + std::to_string(code) + ".\r\n" +
                SystemErrorText(code, TEncoding::Ansi) + ".");
}

void TOutcome::Show(HWND owner) const {
  if (state_ == TState::Failed) ShowErrorBox(owner, text_);
}

}  // namespace ramilux
