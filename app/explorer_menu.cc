// The Explorer entries: one verb key under each class, its text as the key's default
// value and its command in "command".
#include "explorer_menu.h"

#include <windows.h>

#include <iterator>

namespace ramilux {
namespace {

struct TMenuPlace {
  const wchar_t* Key;          // under HKCU\Software\Classes
  const wchar_t* Placeholder;  // what Explorer puts in the command for the item
};

// Folders and drives name their item with %1; a folder's background names the folder
// that is open with %V.
constexpr TMenuPlace kPlaces[] = {
    {L"Software\\Classes\\Directory\\shell\\Ramilux", L"%1"},
    {L"Software\\Classes\\Drive\\shell\\Ramilux", L"%1"},
    {L"Software\\Classes\\Directory\\Background\\shell\\Ramilux", L"%V"},
};

bool SetDefaultValue(const std::wstring& key, const std::wstring& text) {
  HKEY handle = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                      &handle, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const LONG status =
      RegSetValueExW(handle, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                     DWORD((text.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(handle);
  return status == ERROR_SUCCESS;
}

std::wstring DefaultValue(const std::wstring& key) {
  wchar_t text[2048] = {};
  DWORD size = sizeof text - sizeof(wchar_t);
  if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, text, &size) !=
      ERROR_SUCCESS) {
    return {};
  }
  return text;
}

bool DeleteTree(const wchar_t* key) {
  const LONG status = RegDeleteTreeW(HKEY_CURRENT_USER, key);
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

}  // namespace

std::wstring ProgramPath() {
  std::wstring path(32768, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), DWORD(path.size())));
  return path;
}

std::wstring ExplorerMenuCommand(const std::wstring& exePath, const std::wstring& folder) {
  return L"\"" + exePath + L"\" \"" + folder + L"\"";
}

bool InstallExplorerMenu(const std::wstring& exePath) {
  for (const TMenuPlace& place : kPlaces) {
    const std::wstring key = place.Key;
    if (!SetDefaultValue(key, kExplorerMenuText) ||
        !SetDefaultValue(key + L"\\command", ExplorerMenuCommand(exePath, place.Placeholder))) {
      RemoveExplorerMenu();
      return false;
    }
  }
  return true;
}

bool RemoveExplorerMenu() {
  bool removed = true;
  for (const TMenuPlace& place : kPlaces) removed = DeleteTree(place.Key) && removed;
  return removed;
}

bool ExplorerMenuInstalled(const std::wstring& exePath) {
  const TMenuPlace& folders = kPlaces[0];
  return DefaultValue(std::wstring(folders.Key) + L"\\command") ==
         ExplorerMenuCommand(exePath, folders.Placeholder);
}

}  // namespace ramilux
