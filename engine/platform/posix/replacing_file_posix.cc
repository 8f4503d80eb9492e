// The replacing file on POSIX: mkstemp in the target's folder with the mode the target
// has (or a new file would get), rename over the target.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "platform.h"
#include "replacing_file.h"

namespace ramilux {
namespace {

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

mode_t ModeFor(const std::string& target) {
  struct stat status;
  if (stat(target.c_str(), &status) == 0 && S_ISREG(status.st_mode)) {
    return status.st_mode & 07777;
  }
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

}  // namespace

TReplacingFile::~TReplacingFile() {
  std::string ignored;
  Close(ignored);
  if (!temporary_.empty() && !moved_) unlink(temporary_.c_str());
}

bool TReplacingFile::Failed(unsigned long code, std::string& error) const {
  error = target_ + ": " + SystemErrorText(code, encoding_);
  return false;
}

bool TReplacingFile::Create(std::string& error) {
  if (file_ != -1) return true;
  // One temporary file per target: none after a failure or after Close.
  if (!temporary_.empty()) return Failed(EBADF, error);
  std::string temporary = FolderOf(target_) + "/.arbo-XXXXXX";
  const int fd = mkstemp(temporary.data());
  if (fd < 0) return Failed(errno, error);
  file_ = fd;
  temporary_ = std::move(temporary);
  fchmod(fd, ModeFor(target_));
  return true;
}

bool TReplacingFile::Write(const char* data, size_t size, std::string& error) {
  while (size > 0) {
    const ssize_t written = write(int(file_), data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) return Failed(errno, error);
    data += written;
    size -= size_t(written);
  }
  return true;
}

bool TReplacingFile::Close(std::string& error) {
  if (file_ == -1) return true;
  const int fd = int(file_);
  file_ = -1;
  return close(fd) == 0 || Failed(errno, error);
}

bool TReplacingFile::MoveOver(std::string& error) {
  if (rename(temporary_.c_str(), target_.c_str()) != 0) return Failed(errno, error);
  moved_ = true;
  return true;
}

}  // namespace ramilux
