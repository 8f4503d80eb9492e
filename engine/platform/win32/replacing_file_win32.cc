// The replacing file on Win32: GetTempFileNameW in the target's folder, MoveFileExW over
// the target. The wide calls take a name of any character, ANSI or not.
#include <windows.h>

#include "platform.h"
#include "replacing_file.h"
#include "wide_text.h"

namespace ramilux {
namespace {

HANDLE AsHandle(intptr_t file) {
  return reinterpret_cast<HANDLE>(file);
}

std::wstring FolderOf(const std::wstring& fileName) {
  wchar_t full[MAX_PATH] = {};
  wchar_t* filePart = nullptr;
  DWORD length = GetFullPathNameW(fileName.c_str(), MAX_PATH, full, &filePart);
  if (length == 0 || length >= MAX_PATH || filePart == nullptr) return {};
  return std::wstring(full, filePart);
}

}  // namespace

TReplacingFile::~TReplacingFile() {
  std::string ignored;
  Close(ignored);
  if (!temporary_.empty() && !moved_) DeleteFileW(ToWide(temporary_, CP_UTF8).c_str());
}

bool TReplacingFile::Failed(unsigned long code, std::string& error) const {
  error = target_ + ": " + SystemErrorText(code, encoding_);
  return false;
}

bool TReplacingFile::Create(std::string& error) {
  if (file_ != -1) return true;
  // One temporary file per target: none after a failure or after Close.
  if (!temporary_.empty()) return Failed(ERROR_INVALID_HANDLE, error);
  std::wstring folder = FolderOf(ToWide(target_, CodePageOf(encoding_)));
  if (folder.empty()) return Failed(ERROR_INVALID_NAME, error);
  wchar_t name[MAX_PATH] = {};
  if (GetTempFileNameW(folder.c_str(), L"rlx", 0, name) == 0) return Failed(GetLastError(), error);
  temporary_ = FromWide(name, CP_UTF8);
  HANDLE handle =
      CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return Failed(GetLastError(), error);
  file_ = reinterpret_cast<intptr_t>(handle);
  return true;
}

bool TReplacingFile::Write(const char* data, size_t size, std::string& error) {
  while (size > 0) {
    const DWORD chunk = size > (1u << 30) ? (1u << 30) : DWORD(size);
    DWORD written = 0;
    if (!WriteFile(AsHandle(file_), data, chunk, &written, nullptr)) {
      return Failed(GetLastError(), error);
    }
    data += written;
    size -= written;
  }
  return true;
}

bool TReplacingFile::Close(std::string& error) {
  if (file_ == -1) return true;
  const HANDLE handle = AsHandle(file_);
  file_ = -1;
  return CloseHandle(handle) || Failed(GetLastError(), error);
}

bool TReplacingFile::MoveOver(std::string& error) {
  if (!MoveFileExW(ToWide(temporary_, CP_UTF8).c_str(),
                   ToWide(target_, CodePageOf(encoding_)).c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return Failed(GetLastError(), error);
  }
  moved_ = true;
  return true;
}

}  // namespace ramilux
