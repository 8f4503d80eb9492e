// The temporary trees of the Win32 tests, and the three ways to make a folder link.
#include "temp_tree.h"

#include <winioctl.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace ramilux::test {
namespace {

void Check(bool ok, const std::string& what) {
  if (!ok) throw std::runtime_error(what + " failed, error " + std::to_string(GetLastError()));
}

class THandle {
 public:
  explicit THandle(HANDLE handle) : handle_(handle) {}
  THandle(const THandle&) = delete;
  THandle& operator=(const THandle&) = delete;
  ~THandle() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  HANDLE Get() const { return handle_; }
  explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

std::wstring Wide(const std::string& text) {
  const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0);
  std::wstring wide(size_t(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), wide.data(), length);
  return wide;
}

// A path the wide functions take beyond MAX_PATH.
std::wstring LongPath(const std::string& path) {
  return L"\\\\?\\" + Wide(path);
}

std::string Narrow(const std::wstring& wide) {
  std::string narrow(wide.size() * 2 + 1, '\0');
  narrow.resize(size_t(WideCharToMultiByte(CP_ACP, 0, wide.data(), int(wide.size()), narrow.data(),
                                           int(narrow.size()), nullptr, nullptr)));
  return narrow;
}

bool IsFolderLink(const std::string& path) {
  const DWORD attr = GetFileAttributesA(path.c_str());
  return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY) &&
         (attr & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Wine 8's CreateSymbolicLinkA reports success and makes nothing: only the result on
// disk tells.
bool TrySymbolicLink(const std::string& link, const std::string& target) {
  const DWORD unprivileged = 2;  // SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE
  CreateSymbolicLinkA(link.c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY | unprivileged);
  return IsFolderLink(link);
}

// The mount-point form of the reparse buffer (it lives in the driver kit's headers).
struct TMountPointBuffer {
  DWORD ReparseTag;
  WORD ReparseDataLength;
  WORD Reserved;
  WORD SubstituteNameOffset;
  WORD SubstituteNameLength;
  WORD PrintNameOffset;
  WORD PrintNameLength;
  WCHAR PathBuffer[2048];
};

bool TryJunction(const std::string& link, const std::string& target) {
  if (!CreateDirectoryA(link.c_str(), nullptr)) return false;
  const std::wstring print = Wide(target);
  const std::wstring substitute = L"\\??\\" + print;
  TMountPointBuffer buffer{};
  buffer.ReparseTag = IO_REPARSE_TAG_MOUNT_POINT;
  buffer.SubstituteNameLength = WORD(substitute.size() * sizeof(WCHAR));
  buffer.PrintNameOffset = WORD(buffer.SubstituteNameLength + sizeof(WCHAR));
  buffer.PrintNameLength = WORD(print.size() * sizeof(WCHAR));
  substitute.copy(buffer.PathBuffer, substitute.size());
  print.copy(buffer.PathBuffer + substitute.size() + 1, print.size());
  buffer.ReparseDataLength = WORD(8 + buffer.PrintNameOffset + buffer.PrintNameLength + 2);
  bool made = false;
  {
    THandle folder(CreateFileA(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    DWORD returned = 0;
    made = folder && DeviceIoControl(folder.Get(), FSCTL_SET_REPARSE_POINT, &buffer,
                                     8 + buffer.ReparseDataLength, nullptr, 0, &returned, nullptr);
  }
  if (!made) RemoveDirectoryA(link.c_str());
  return made && IsFolderLink(link);
}

// Runs a Unix program under Wine and waits for it; false elsewhere.
bool RunUnix(std::vector<std::string> args) {
  using TSpawn = LONG(CDECL*)(char* const argv[], int wait);
  const auto spawn = TSpawn(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("ntdll.dll"), "__wine_unix_spawnvp")));
  if (spawn == nullptr) return false;
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  return spawn(argv.data(), 1) == 0;
}

// The Unix path of a Windows path under Wine; empty elsewhere.
std::string UnixPath(const std::string& path) {
  using TUnixName = char*(CDECL*)(const WCHAR*);
  const auto unixName = TUnixName(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (unixName == nullptr) return {};
  char* name = unixName(Wide(path).c_str());
  if (name == nullptr) return {};
  std::string result = name;
  HeapFree(GetProcessHeap(), 0, name);
  return result;
}

bool TryUnixLink(const std::string& link, const std::string& target) {
  const std::string unixLink = UnixPath(link), unixTarget = UnixPath(target);
  if (unixLink.empty() || unixTarget.empty()) return false;
  return RunUnix({"/bin/ln", "-s", unixTarget, unixLink}) && IsFolderLink(link);
}

}  // namespace

TTempTree::TTempTree() {
  char temp[MAX_PATH + 1];
  Check(GetTempPathA(sizeof temp, temp) != 0, "GetTempPathA");
  for (unsigned attempt = 0;; ++attempt) {
    root_ = std::string(temp) + "ramilux-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(GetTickCount() + attempt) + "\\";
    if (CreateDirectoryA(root_.c_str(), nullptr)) return;
    Check(GetLastError() == ERROR_ALREADY_EXISTS && attempt < 100, "CreateDirectoryA " + root_);
  }
}

TTempTree::~TTempTree() {
  // Under Wine a Unix link whose target is gone is invisible to Windows programs, so
  // the tree is removed from the Unix side, which never follows links either.
  const std::string unixRoot = UnixPath(root_);
  if (unixRoot.empty() || !RunUnix({"/bin/rm", "-rf", unixRoot})) RemoveTree(root_);
}

void TTempTree::Folder(const std::string& relative) const {
  Check(CreateDirectoryW(LongPath(Path(relative)).c_str(), nullptr),
        "CreateDirectoryW " + relative);
}

void TTempTree::File(const std::string& relative, const std::string& content) const {
  THandle file(CreateFileA(Path(relative).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
  Check(bool(file), "CreateFileA " + relative);
  DWORD written = 0;
  Check(WriteFile(file.Get(), content.data(), DWORD(content.size()), &written, nullptr),
        "WriteFile " + relative);
}

void TTempTree::Folder(const std::wstring& relative) const {
  Check(CreateDirectoryW((LongPath(root_) + relative).c_str(), nullptr), "CreateDirectoryW");
}

void TTempTree::File(const std::wstring& relative, const std::string& content) const {
  THandle file(CreateFileW((LongPath(root_) + relative).c_str(), GENERIC_WRITE, 0, nullptr,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  Check(bool(file), "CreateFileW");
  DWORD written = 0;
  Check(WriteFile(file.Get(), content.data(), DWORD(content.size()), &written, nullptr),
        "WriteFile");
}

void TTempTree::FileOfSize(const std::string& relative, int64_t size) const {
  THandle file(CreateFileA(Path(relative).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
  Check(bool(file), "CreateFileA " + relative);
  DWORD returned = 0;
  DeviceIoControl(file.Get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
  LARGE_INTEGER end;
  end.QuadPart = size;
  Check(SetFilePointerEx(file.Get(), end, nullptr, FILE_BEGIN) && SetEndOfFile(file.Get()),
        "SetEndOfFile " + relative);
}

void TTempTree::Attributes(const std::string& relative, DWORD attributes) const {
  Check(SetFileAttributesA(Path(relative).c_str(), attributes), "SetFileAttributesA " + relative);
}

void TTempTree::WriteTime(const std::string& relative, const SYSTEMTIME& local) const {
  FILETIME localTime, utc;
  Check(SystemTimeToFileTime(&local, &localTime) && LocalFileTimeToFileTime(&localTime, &utc),
        "time conversion");
  THandle file(CreateFileA(Path(relative).c_str(), FILE_WRITE_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  Check(file && SetFileTime(file.Get(), nullptr, nullptr, &utc), "SetFileTime " + relative);
}

bool MakeFolderLink(const std::string& link, const std::string& target) {
  return TrySymbolicLink(link, target) || TryJunction(link, target) || TryUnixLink(link, target);
}

void RemoveFolderLink(const std::string& link) {
  // Under Wine the link is a Unix one, and RemoveDirectoryA on it removes the (empty)
  // folder it points at and leaves the link.
  const std::string unixLink = UnixPath(link);
  if (unixLink.empty() || !RunUnix({"/bin/rm", "-f", unixLink})) RemoveDirectoryA(link.c_str());
}

void RemoveTree(const std::string& folder) {
  const std::string base = folder.ends_with('\\') ? folder : folder + "\\";
  const std::wstring wideBase = LongPath(base);
  WIN32_FIND_DATAW data;
  HANDLE search = FindFirstFileW((wideBase + L"*").c_str(), &data);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = wideBase + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        RemoveFolderLink(base + Narrow(name));
      } else if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(base + Narrow(name));
      } else {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(search, &data));
    FindClose(search);
  }
  SetFileAttributesW(wideBase.c_str(), FILE_ATTRIBUTE_NORMAL);
  RemoveDirectoryW(wideBase.c_str());
}

}  // namespace ramilux::test
