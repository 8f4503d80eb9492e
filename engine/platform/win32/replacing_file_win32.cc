// The replacing file on Win32: GetTempFileNameA in the target's folder, MoveFileExA over
// the target.
#include <windows.h>

#include "replacing_file.h"

namespace ramilux {
namespace {

HANDLE AsHandle(intptr_t file) {
  return reinterpret_cast<HANDLE>(file);
}

std::string FolderOf(const std::string& fileName) {
  char full[MAX_PATH] = {};
  char* filePart = nullptr;
  DWORD length = GetFullPathNameA(fileName.c_str(), MAX_PATH, full, &filePart);
  if (length == 0 || length >= MAX_PATH || filePart == nullptr) return {};
  return std::string(full, filePart);
}

}  // namespace

TReplacingFile::~TReplacingFile() {
  Close();
  if (!temporary_.empty() && !moved_) DeleteFileA(temporary_.c_str());
}

bool TReplacingFile::Create() {
  if (file_ != -1) return true;
  // One temporary file per target: none after a failure or after Close.
  if (!temporary_.empty()) return false;
  std::string folder = FolderOf(target_);
  if (folder.empty()) return false;
  char name[MAX_PATH] = {};
  if (GetTempFileNameA(folder.c_str(), "rlx", 0, name) == 0) return false;
  temporary_ = name;
  HANDLE handle =
      CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  file_ = reinterpret_cast<intptr_t>(handle);
  return true;
}

bool TReplacingFile::Write(const char* data, size_t size) {
  while (size > 0) {
    const DWORD chunk = size > (1u << 30) ? (1u << 30) : DWORD(size);
    DWORD written = 0;
    if (!WriteFile(AsHandle(file_), data, chunk, &written, nullptr)) return false;
    data += written;
    size -= written;
  }
  return true;
}

bool TReplacingFile::Close() {
  if (file_ == -1) return true;
  const HANDLE handle = AsHandle(file_);
  file_ = -1;
  return CloseHandle(handle);
}

bool TReplacingFile::MoveOver() {
  if (!MoveFileExA(temporary_.c_str(), target_.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return false;
  }
  moved_ = true;
  return true;
}

}  // namespace ramilux
