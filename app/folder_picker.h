// The shell's folder picker as the folder choice uses it.
#pragma once

#include <windows.h>

#include <string>

namespace ramilux {

// Opens the picker over the whole shell namespace, file-system folders only. `path` is
// in/out: a path that no longer names a folder is emptied before the picker opens; a
// non-empty one is preselected. True when the user confirmed a folder, whose path
// (without trailing backslash unless a drive root) is then in `path`. Wide, so that a
// folder of any name comes back exact.
// Whether `path` names a folder (links followed) now.
bool IsFolder(const std::wstring& path);

bool PickFolder(HWND owner, const std::string& title, std::wstring& path);

}  // namespace ramilux
