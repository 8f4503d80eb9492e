// Preloaded into arbo by the interrupt test: when the walk opens the folder named by
// ARBO_PAUSE_AT, arbo creates the file ARBO_PAUSE_READY and waits there for a SIGINT.
// The test sends it only then, so the signal always lands in the middle of the walk.
// Every folder opened is logged to ARBO_PAUSE_LOG, which shows where the walk stopped.
// The walk opens a folder by its path (the root) or by its name relative to its parent;
// a name is seen as "/name/".
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void PauseUntilInterrupt(const char* readyPath) {
  // SIGINT stays blocked from before the file exists until sigsuspend waits: a signal
  // sent as soon as the file shows up cannot be lost.
  sigset_t interrupt, previous;
  sigemptyset(&interrupt);
  sigaddset(&interrupt, SIGINT);
  sigprocmask(SIG_BLOCK, &interrupt, &previous);
  close(open(readyPath, O_WRONLY | O_CREAT, 0644));
  sigset_t waiting = previous;
  sigdelset(&waiting, SIGINT);
  sigsuspend(&waiting);  // returns once arbo's handler has run
  sigprocmask(SIG_SETMASK, &previous, nullptr);
}

void Log(const char* name) {
  const char* path = std::getenv("ARBO_PAUSE_LOG");
  if (path == nullptr) return;
  const int fd = open(path, O_WRONLY | O_CREAT | O_APPEND, 0644);
  if (fd < 0) return;
  const size_t length = std::strlen(name);
  if (write(fd, name, length) == ssize_t(length)) (void)!write(fd, "\n", 1);
  close(fd);
}

}  // namespace

namespace {

void Opening(const char* name) {
  static bool paused = false;
  Log(name);
  const char* at = std::getenv("ARBO_PAUSE_AT");
  const char* ready = std::getenv("ARBO_PAUSE_READY");
  if (!paused && at != nullptr && ready != nullptr && std::strstr(name, at) != nullptr) {
    paused = true;
    PauseUntilInterrupt(ready);
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
