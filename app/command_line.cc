// The start's arguments, from the wide command line.
#include "command_line.h"

#include <shellapi.h>

#include <algorithm>
#include <cwctype>

namespace ramilux {
namespace {

bool SameSwitch(std::wstring_view argument, std::wstring_view name) {
  return argument.size() == name.size() &&
         std::equal(argument.begin(), argument.end(), name.begin(),
                    [](wchar_t a, wchar_t b) { return std::towlower(a) == std::towlower(b); });
}

bool NamesFolder(std::wstring_view argument) {
  return argument.find_first_of(L"\\:") != std::wstring_view::npos;
}

}  // namespace

TCommandLine ParseCommandLine(const std::vector<std::wstring>& arguments) {
  TCommandLine line;
  if (arguments.empty()) return line;
  const std::wstring& first = arguments.front();
  if (SameSwitch(first, L"/installer-menu")) {
    line.Action = TStartAction::InstallMenu;
  } else if (SameSwitch(first, L"/retirer-menu")) {
    line.Action = TStartAction::RemoveMenu;
  } else if (SameSwitch(first, L"/reinitialiser")) {
    line.Action = TStartAction::ForgetSettings;
  }
  const size_t last = std::min<size_t>(arguments.size(), 2);
  for (size_t i = 0; i < last && line.Action != TStartAction::InstallMenu &&
                     line.Action != TStartAction::RemoveMenu;
       ++i) {
    if (NamesFolder(arguments[i])) {
      line.Folder = arguments[i];
      // Explorer quotes a drive as "C:\", whose backslash the command line's rules read
      // as escaping the closing quote: C:" arrives.
      if (line.Folder.ends_with(L'"')) line.Folder.back() = L'\\';
      break;
    }
  }
  return line;
}

std::vector<std::wstring> ProcessArguments() {
  int count = 0;
  LPWSTR* list = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::wstring> arguments;
  for (int i = 1; list != nullptr && i < count; ++i) arguments.emplace_back(list[i]);
  if (list != nullptr) LocalFree(list);
  return arguments;
}

}  // namespace ramilux
