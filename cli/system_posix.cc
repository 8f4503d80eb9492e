// arbo's system layer on POSIX: SIGINT, the terminal, the logical absolute path of the
// root, and the output through file descriptors with a temporary file renamed at the end.
#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform.h"
#include "system.h"

namespace arbo {
namespace {

// Written by the signal handler, read by the walk at its polls for input: the one
// global a signal leaves us.
volatile sig_atomic_t g_interrupted = 0;

extern "C" void OnInterrupt(int) {
  g_interrupted = 1;
}

std::string Errno() {
  return ramilux::SystemErrorText(errno, ramilux::TEncoding::Utf8);
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat first, second;
  return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

// The current folder as the shell names it ($PWD, links kept) when that still is the
// current folder, else as the kernel names it.
std::string CurrentFolder() {
  const char* pwd = std::getenv("PWD");
  if (pwd != nullptr && pwd[0] == '/' && SameFile(pwd, ".")) return pwd;
  std::vector<char> buffer(PATH_MAX);
  while (getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return "/";
    buffer.resize(buffer.size() * 2);
  }
  return buffer.data();
}

std::string JoinComponents(const std::vector<std::string>& components) {
  std::string path = "/";
  for (const std::string& component : components) path += component + "/";
  return path;
}

}  // namespace

void LimitHeaps() {
#ifdef __GLIBC__
  mallopt(M_ARENA_MAX, static_cast<int>(std::max(std::thread::hardware_concurrency(), 2u)));
#endif
}

void CatchInterrupt() {
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESETHAND | SA_RESTART;  // a second Ctrl-C ends the program
  sigaction(SIGINT, &action, nullptr);
}

bool Interrupted() {
  return g_interrupted != 0;
}

bool StderrIsTerminal() {
  return isatty(STDERR_FILENO) == 1;
}

int TerminalColumns() {
  struct winsize size {};
  if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return 80;
}

namespace {

void WriteText(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t written = write(fd, text.data(), text.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return;
    text.remove_prefix(size_t(written));
  }
}

}  // namespace

void WriteStderr(std::string_view text) {
  WriteText(STDERR_FILENO, text);
}
void WriteStdoutText(std::string_view text) {
  WriteText(STDOUT_FILENO, text);
}

bool FrenchMessages() {
  static const bool french = [] {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
      const char* value = std::getenv(variable);
      if (value != nullptr && *value != '\0') return std::strncmp(value, "fr", 2) == 0;
    }
    return false;
  }();
  return french;
}

bool AnsiByDefault() {
  return false;
}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + 1, argv + argc);
}

std::string EngineText(const std::string& argument, bool) {
  return argument;
}
std::string EngineFolder(const std::string& path, bool) {
  return path;
}
std::string MessageText(const std::string& text, bool) {
  return text;
}

bool CheckFolder(const std::string& path, std::string& error) {
  struct stat status;
  std::string problem;
  if (stat(path.c_str(), &status) != 0) {
    problem = errno == ENOENT || errno == ENOTDIR ? Say("dossier introuvable", "no such folder")
                                                  : Errno();
  } else if (!S_ISDIR(status.st_mode)) {
    problem = Say("n'est pas un dossier", "not a folder");
  } else {
    return true;
  }
  error = path + ": " + problem;
  return false;
}

// "." and empty components go; ".." is resolved by the text of the path, as the shell's
// cd does, but only when that still names the same folder (it does not after a link).
std::string AbsoluteFolder(const std::string& path) {
  const std::string full = path.starts_with('/') ? path : CurrentFolder() + "/" + path;
  std::vector<std::string> kept, resolved;
  size_t start = 0;
  while (start <= full.size()) {
    size_t end = full.find('/', start);
    if (end == std::string::npos) end = full.size();
    const std::string component = full.substr(start, end - start);
    start = end + 1;
    if (component.empty() || component == ".") continue;
    kept.push_back(component);
    if (component != "..") {
      resolved.push_back(component);
    } else if (!resolved.empty()) {
      resolved.pop_back();
    }
  }
  const std::string literal = JoinComponents(kept);
  const std::string logical = JoinComponents(resolved);
  return logical == literal || SameFile(logical, literal) ? logical : literal;
}

namespace {

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t written = write(fd, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) return false;
    data += written;
    size -= size_t(written);
  }
  return true;
}

std::string CannotWrite(const std::string& name) {
  return Say("écriture impossible dans ", "cannot write to ") + name + ": " + Errno();
}

std::string CannotCreate(const std::string& name) {
  return Say("impossible de créer le fichier ", "cannot create the file ") + name + ": " + Errno();
}

std::string ThroughLink(const std::string& name) {
  return Say("refus d'écrire à travers un lien : ", "will not write through a link: ") + name;
}

// Standard output, or a device or pipe named by -o: written in place.
class TDescriptorTarget final : public TOutputTarget {
 public:
  TDescriptorTarget(int fd, std::string name) : fd_(fd), name_(std::move(name)) {}
  ~TDescriptorTarget() override {
    if (fd_ > STDERR_FILENO) close(fd_);
  }

  bool Write(const char* data, size_t size, std::string& error) override {
    if (WriteAll(fd_, data, size)) return true;
    error = CannotWrite(name_);
    return false;
  }

  bool Commit(std::string& error) override {
    if (fd_ <= STDERR_FILENO) return true;
    const int fd = fd_;
    fd_ = -1;
    if (close(fd) == 0) return true;
    error = CannotWrite(name_);
    return false;
  }

 private:
  int fd_;
  std::string name_;
};

}  // namespace

std::unique_ptr<TOutputTarget> OpenStandardOutput() {
  return std::make_unique<TDescriptorTarget>(STDOUT_FILENO,
                                             Say("la sortie standard", "standard output"));
}

std::unique_ptr<TOutputTarget> OpenOutputFile(const std::string& path, std::string& error) {
  struct stat status;
  if (lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode)) {
    error = ThroughLink(path);
    return nullptr;
  }
  if (stat(path.c_str(), &status) == 0) {
    if (S_ISDIR(status.st_mode)) {
      error = path + ": " + Say("est un dossier", "is a folder");
      return nullptr;
    }
    if (!S_ISREG(status.st_mode)) {
      // A device or a pipe (/dev/null, a FIFO): written in place, never renamed over.
      const int fd = open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
      if (fd < 0) {
        error = CannotCreate(path);
        return nullptr;
      }
      return std::make_unique<TDescriptorTarget>(fd, path);
    }
    // A file the user may not write is not replaced behind its back: a shell's
    // redirection would be refused too.
    if (access(path.c_str(), W_OK) != 0) {
      error = CannotWrite(path);
      return nullptr;
    }
  }
  // The file itself is made after the walk; whether it can be is known now.
  if (access(FolderOf(path).c_str(), W_OK | X_OK) != 0) {
    error = CannotCreate(path);
    return nullptr;
  }
  return NewReplacedFileTarget(path);
}

}  // namespace arbo
