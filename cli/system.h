// What arbo needs from the operating system beyond the engine's ports: Ctrl-C, the
// terminal, the root folder's absolute path, and the output with its all-or-nothing
// file. One implementation per platform (system_posix.cc, system_win32.cc).
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace arbo {

// The first Ctrl-C sets a flag that the walk sees; a second one ends the program at once
// (for a walk stuck on a dead network share).
void CatchInterrupt();
bool Interrupted();

bool StderrIsTerminal();
int TerminalColumns();
// Messages, the usage and the progress line: on a Windows console they are shown as
// characters, not as bytes of the console's code page.
void WriteStderr(std::string_view text);
void WriteStdoutText(std::string_view text);

// Whether messages and the usage are in French (the user's language) or in English.
bool FrenchMessages();
inline const char* Say(const char* french, const char* english) {
  return FrenchMessages() ? french : english;
}

// The default of --encoding: utf8 where names are UTF-8, ansi where they are ANSI bytes.
bool AnsiByDefault();

// An argument (folder, mask) as the engine takes it: on Windows a UTF-8 run takes UTF-8,
// where the command line gives ANSI.
std::string EngineText(const std::string& argument, bool utf8);

// Empty when `path` names a folder (links followed), else what is wrong with it.
std::string FolderProblem(const std::string& path);

// `path` made absolute without resolving links, ending in the separator.
std::string AbsoluteFolder(const std::string& path);

// Where the listing goes. A file is written under a temporary name beside it and takes
// its name only at Commit, so a failed or stopped run leaves nothing at that name; an
// output that was not committed is removed when the object goes.
class TOutputTarget {
 public:
  virtual ~TOutputTarget() = default;
  // False with a message naming the problem.
  virtual bool Write(const char* data, size_t size, std::string& error) = 0;
  virtual bool Commit(std::string& error) = 0;
};

std::unique_ptr<TOutputTarget> OpenStandardOutput();
// Null with a message when the file cannot be created.
std::unique_ptr<TOutputTarget> OpenOutputFile(const std::string& path, std::string& error);

}  // namespace arbo
