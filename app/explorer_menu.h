// "Lister avec Ramilux" in Explorer's menus, for the current user only (under
// HKCU\Software\Classes, no administrator rights): on folders, on drives and on a
// folder's background. Nothing is written unless the user asks.
#pragma once

#include <string>

namespace ramilux {

inline constexpr wchar_t kExplorerMenuText[] = L"Lister avec Ramilux";
// The box when the entries could not be written or taken away.
inline constexpr char kExplorerMenuFailed[] = "Impossible de modifier le menu de l'Explorateur";

// The running program's full path, as the entries name it.
std::wstring ProgramPath();

// Writes the entries, each running `exePath` (quoted) on the folder; false when one could
// not be written (the others are taken away again).
bool InstallExplorerMenu(const std::wstring& exePath);
// Takes the entries away; true when none is left.
bool RemoveExplorerMenu();
// Whether the folders' entry is there and runs `exePath`.
bool ExplorerMenuInstalled(const std::wstring& exePath);

// The command line Explorer runs for an entry: the program, quoted, then `folder`, the
// placeholder of the item, quoted.
std::wstring ExplorerMenuCommand(const std::wstring& exePath, const std::wstring& folder);

}  // namespace ramilux
