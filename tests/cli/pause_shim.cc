// Preloaded into arbo by the interrupt test: when a folder named by ARBO_PAUSE_AT is
// opened, arbo creates the file ARBO_PAUSE_READY and waits there until the file
// ARBO_PAUSE_RESUME exists. The test sends SIGINT between the two, so the signal always
// lands in the middle of the walk, whichever thread opened the folder and whichever one
// the signal reaches. Every folder the walk's own thread opens is logged to
// ARBO_PAUSE_LOG, which shows where the walk stopped (other threads read ahead of it).
// The walk opens a folder by its path (the root) or by its name relative to its parent;
// a name is seen as "/name/".
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void PauseUntilResumed(const char* readyPath, const char* resumePath) {
  close(open(readyPath, O_WRONLY | O_CREAT, 0644));
  while (access(resumePath, F_OK) != 0) usleep(1000);
}

void Log(const char* name) {
  const char* path = std::getenv("ARBO_PAUSE_LOG");
  if (path == nullptr || gettid() != getpid()) return;
  const int fd = open(path, O_WRONLY | O_CREAT | O_APPEND, 0644);
  if (fd < 0) return;
  const size_t length = std::strlen(name);
  if (write(fd, name, length) == ssize_t(length)) (void)!write(fd, "\n", 1);
  close(fd);
}

}  // namespace

namespace {

void Opening(const char* name) {
  // Both the walk's thread and the readers open folders: the first to reach the folder
  // pauses, and only it.
  static std::atomic<bool> paused = false;
  Log(name);
  const char* at = std::getenv("ARBO_PAUSE_AT");
  const char* ready = std::getenv("ARBO_PAUSE_READY");
  const char* resume = std::getenv("ARBO_PAUSE_RESUME");
  if (at != nullptr && ready != nullptr && resume != nullptr && std::strstr(name, at) != nullptr &&
      !paused.exchange(true)) {
    PauseUntilResumed(ready, resume);
  }
}

void OpeningFolder(const char* name, int flags) {
  if ((flags & O_DIRECTORY) == 0) return;
  if (name[0] == '/') {
    Opening(name);
    return;
  }
  char shown[4096];
  std::snprintf(shown, sizeof shown, "/%s/", name);
  Opening(shown);
}

}  // namespace

extern "C" DIR* opendir(const char* name) {
  using TOpendir = DIR* (*)(const char*);
  static const auto real = reinterpret_cast<TOpendir>(dlsym(RTLD_NEXT, "opendir"));
  Opening(name);
  return real(name);
}

extern "C" int open(const char* name, int flags, ...) {
  using TOpen = int (*)(const char*, int, ...);
  static const auto real = reinterpret_cast<TOpen>(dlsym(RTLD_NEXT, "open"));
  va_list arguments;
  va_start(arguments, flags);
  const mode_t mode = va_arg(arguments, mode_t);
  va_end(arguments);
  OpeningFolder(name, flags);
  return real(name, flags, mode);
}

extern "C" int openat(int folder, const char* name, int flags, ...) {
  using TOpenat = int (*)(int, const char*, int, ...);
  static const auto real = reinterpret_cast<TOpenat>(dlsym(RTLD_NEXT, "openat"));
  va_list arguments;
  va_start(arguments, flags);
  const mode_t mode = va_arg(arguments, mode_t);
  va_end(arguments);
  OpeningFolder(name, flags);
  return real(folder, name, flags, mode);
}
