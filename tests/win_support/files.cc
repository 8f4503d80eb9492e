// Files the Windows tests make, read and take away again, and Unix programs run from
// Wine to read them.
#include "files.h"

#include <windows.h>

#include <atomic>

namespace ramilux::test {
namespace {

std::string ShellQuoted(const std::string& arg) {
  return "'" + arg + "'";
}

// Wide, so that names the code page cannot hold go too.
void RemoveWideTree(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveWideTree(folder + name + L"\\");
      } else {
        SetFileAttributesW((folder + name).c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW((folder + name).c_str());
      }
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(folder.c_str());
}

}  // namespace

void RemoveTree(const std::string& path) {
  std::string folder = path.back() == '\\' ? path : path + "\\";
  std::wstring wide(folder.size(), L'\0');
  wide.resize(MultiByteToWideChar(CP_ACP, 0, folder.data(), int(folder.size()), wide.data(),
                                  int(wide.size())));
  RemoveWideTree(wide);
}

TempFolder::TempFolder() {
  static std::atomic<int> counter{0};
  char base[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, base);
  path_ = std::string(base) + "ramilux_save_" + std::to_string(GetCurrentProcessId()) + "_" +
          std::to_string(counter++) + "\\";
  CreateDirectoryA(path_.c_str(), nullptr);
}

TempFolder::~TempFolder() {
  RemoveTree(path_);
}

std::optional<std::string> ReadFileBytes(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string bytes;
  char chunk[65536];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
  CloseHandle(file);
  return bytes;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA((folder + "*").c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    std::string name = data.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(search, &data));
  FindClose(search);
  return names;
}

std::optional<std::string> UnixPath(const std::string& windowsPath) {
  using Convert = char*(CDECL*)(const WCHAR*);
  auto convert = reinterpret_cast<Convert>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (!convert) return std::nullopt;
  WCHAR wide[MAX_PATH] = {};
  MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, MAX_PATH);
  char* unix = convert(wide);
  if (!unix) return std::nullopt;
  std::string result(unix);
  HeapFree(GetProcessHeap(), 0, unix);
  return result;
}

// Wine starts an ELF file natively but hands back no process handle to wait on, so the
// program runs under /bin/sh, which renames its output into place once it is complete.
std::optional<std::string> RunUnixProgram(const std::string& program,
                                          const std::vector<std::string>& args, int timeoutMs) {
  TempFolder folder;
  std::optional<std::string> unixFolder = UnixPath(folder.path());
  if (!unixFolder) return std::nullopt;
  std::string shellCommand = ShellQuoted(program);
  for (const std::string& arg : args) shellCommand += " " + ShellQuoted(arg);
  shellCommand += " > " + ShellQuoted(*unixFolder + "/out.part") + " 2>&1; mv " +
                  ShellQuoted(*unixFolder + "/out.part") + " " + ShellQuoted(*unixFolder + "/out");
  std::string commandLine = "\"Z:\\bin\\sh\" -c \"" + shellCommand + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return std::nullopt;
  }
  if (process.hThread) CloseHandle(process.hThread);
  if (process.hProcess) CloseHandle(process.hProcess);
  for (int waited = 0; waited < timeoutMs; waited += 50) {
    if (std::optional<std::string> output = ReadFileBytes(folder.path() + "out")) return output;
    Sleep(50);
  }
  return std::nullopt;
}

}  // namespace ramilux::test
