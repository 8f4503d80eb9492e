// The folder picker (see folder_picker.h): SHBrowseForFolderW with the preselection
// callback, critical-error boxes suppressed while it is open.
#include "folder_picker.h"

#include <objbase.h>
#include <shlobj.h>

#include "wide_text.h"

namespace ramilux {
bool IsFolder(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

namespace {

int CALLBACK PreselectPath(HWND picker, UINT message, LPARAM, LPARAM path) {
  if (message == BFFM_INITIALIZED) SendMessageW(picker, BFFM_SETSELECTIONW, TRUE, path);
  return 0;
}

// The shell allocator, released with the owner.
class TShellMalloc {
 public:
  TShellMalloc() {
    if (SHGetMalloc(&malloc_) != S_OK) malloc_ = nullptr;
  }
  TShellMalloc(const TShellMalloc&) = delete;
  TShellMalloc& operator=(const TShellMalloc&) = delete;
  ~TShellMalloc() {
    if (malloc_) malloc_->Release();
  }
  IMalloc* Get() const { return malloc_; }

 private:
  IMalloc* malloc_ = nullptr;
};

// The process error mode for the life of the owner.
class TErrorMode {
 public:
  explicit TErrorMode(UINT mode) : previous_(SetErrorMode(mode)) {}
  TErrorMode(const TErrorMode&) = delete;
  TErrorMode& operator=(const TErrorMode&) = delete;
  ~TErrorMode() { SetErrorMode(previous_); }

 private:
  UINT previous_;
};

// COM for the shell's dialog on this thread, for the life of the owner.
class TComScope {
 public:
  TComScope() : initialised_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  TComScope(const TComScope&) = delete;
  TComScope& operator=(const TComScope&) = delete;
  ~TComScope() {
    if (initialised_) CoUninitialize();
  }

 private:
  bool initialised_;
};

}  // namespace

bool PickFolder(HWND owner, const std::string& title, std::wstring& path) {
  if (!path.empty() && !IsFolder(path)) path.clear();
  TComScope com;
  TShellMalloc malloc;
  if (!malloc.Get()) return false;

  wchar_t displayName[MAX_PATH] = {};
  // The title is the window's own ANSI text.
  const std::wstring wideTitle = ToWide(title, CP_ACP);
  BROWSEINFOW browse{};
  browse.hwndOwner = owner;
  browse.pidlRoot = nullptr;
  browse.pszDisplayName = displayName;
  browse.lpszTitle = wideTitle.c_str();
  browse.ulFlags = BIF_RETURNONLYFSDIRS;
  if (!path.empty()) {
    browse.lpfn = PreselectPath;
    browse.lParam = reinterpret_cast<LPARAM>(path.c_str());
  }
  PIDLIST_ABSOLUTE item;
  {
    TErrorMode quiet(SEM_FAILCRITICALERRORS);
    item = SHBrowseForFolderW(&browse);
  }
  if (!item) return false;
  wchar_t chosen[MAX_PATH] = {};
  bool found = SHGetPathFromIDListW(item, chosen);
  malloc.Get()->Free(item);
  if (!found) return false;
  path = chosen;
  return true;
}

}  // namespace ramilux
