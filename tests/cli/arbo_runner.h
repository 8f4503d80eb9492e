// Runs the built arbo (beside the test program in bin/) as a child process and collects
// its exit status, standard output and standard error. Built with RAMILUX_ARBO_UNDER_WINE,
// it runs the Windows build's arbo.exe through wine instead, on the same folders.
#pragma once

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "temp_folder.h"

namespace ramilux::test {

struct TArboResult {
  int Status = -1;  // the exit status, or 128 + the signal that ended it
  std::string Out, Err;
};

using TEnvironment = std::vector<std::pair<std::string, std::string>>;
// The French locale the listings are checked in.
inline const TEnvironment kFrench = {{"LC_ALL", "fr_FR.UTF-8"}, {"LANG", "fr_FR.UTF-8"}};

// What the child is made before arbo starts: another user when the tests run as root
// (whose rights would read any folder), a lower limit of open files.
struct TChildSetup {
  uid_t User = 0;        // 0: unchanged
  rlim_t OpenFiles = 0;  // 0: unchanged
};

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

inline std::string BinFolder() {
  return std::filesystem::read_symlink("/proc/self/exe").parent_path().string() + "/";
}

#ifdef RAMILUX_ARBO_UNDER_WINE
inline constexpr bool kUnderWine = true;
#else
inline constexpr bool kUnderWine = false;
#endif

// The line end of arbo's own messages (usage, errors): the console's of each system.
inline const std::string kMessageEnd = kUnderWine ? "\r\n" : "\n";

// A folder as arbo names it in its header: under Wine, the same path through drive Z:.
inline std::string Listed(std::string path) {
  if (!kUnderWine) return path;
  for (char& c : path) c = c == '/' ? '\\' : c;
  return "Z:" + path;
}

inline std::string EnvironmentOr(const char* name, const std::string& otherwise) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : otherwise;
}

// The command line: arbo itself, or wine (as scripts/wine-env names it) and arbo.exe of
// the Windows build tree beside this one.
inline std::vector<std::string> CommandLine(const std::vector<std::string>& arguments) {
  std::vector<std::string> command;
  if (kUnderWine) {
    command.push_back(EnvironmentOr("WINE", "wine"));
    command.push_back(EnvironmentOr("RAMILUX_ARBO_EXE", BinFolder() + "../../win/bin/arbo.exe"));
  } else {
    command.push_back(BinFolder() + "arbo");
  }
  command.insert(command.end(), arguments.begin(), arguments.end());
  return command;
}

// A copy of the program `path` in a folder every user can reach: a child run as another
// user cannot start the one in a clone that only its owner may enter (mode 700).
inline std::string ReachableCopy(const std::string& path) {
  static const TTempFolder folder;  // outside every tree the tests list
  const std::string copy = folder / std::filesystem::path(path).filename().string();
  if (access(copy.c_str(), X_OK) != 0) {
    std::filesystem::copy_file(path, copy, std::filesystem::copy_options::overwrite_existing);
    chmod(copy.c_str(), 0755);
    chmod(folder.Path().c_str(), 0755);
  }
  return copy;
}

// `environment` adds or replaces variables; `folder` is the child's current folder (and
// $PWD), the test's own when empty; `whileRunning` is called with the child's pid before
// the test waits for its end.
inline TArboResult RunArbo(const std::vector<std::string>& arguments,
                           const TEnvironment& environment = {}, const std::string& folder = "",
                           const std::function<void(pid_t)>& whileRunning = {},
                           const TChildSetup& setup = {}) {
  static const TTempFolder captures;  // outside every tree the tests list
  const std::string outPath = captures / "stdout", errPath = captures / "stderr";
  std::vector<std::string> command = CommandLine(arguments);
  if (setup.User != 0 && getuid() == 0 && !kUnderWine) command[0] = ReachableCopy(command[0]);
  const pid_t pid = fork();
  if (pid == 0) {
    const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(out, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    if (!folder.empty()) {
      if (chdir(folder.c_str()) != 0) _exit(120);
      setenv("PWD", folder.c_str(), 1);
    }
    for (const auto& [name, value] : environment) setenv(name.c_str(), value.c_str(), 1);
    if (setup.OpenFiles != 0) {
      const rlimit limit{setup.OpenFiles, setup.OpenFiles};
      if (setrlimit(RLIMIT_NOFILE, &limit) != 0) _exit(122);
    }
    if (setup.User != 0 && getuid() == 0) {
      if (setgroups(0, nullptr) != 0 || setgid(setup.User) != 0 || setuid(setup.User) != 0) {
        _exit(123);
      }
    }
    std::vector<char*> argv;
    for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(121);
  }
  if (whileRunning) whileRunning(pid);
  int status = 0;
  waitpid(pid, &status, 0);
  TArboResult result;
  result.Status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  result.Out = ReadFile(outPath);
  result.Err = ReadFile(errPath);
  return result;
}

// Waits until `path` exists; false after `seconds`.
inline bool WaitForFile(const std::string& path, int seconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (access(path.c_str(), F_OK) != 0) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

}  // namespace ramilux::test
