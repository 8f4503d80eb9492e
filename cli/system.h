// What arbo needs from the operating system beyond the engine's ports: Ctrl-C, the
// terminal, the root folder's absolute path, and the output with its all-or-nothing
// file. One implementation per platform (system_posix.cc, system_win32.cc).
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace arbo {

// The first Ctrl-C sets a flag that the walk sees; a second one ends the program at once
// (for a walk stuck on a dead network share).
void CatchInterrupt();
bool Interrupted();

// Called first: on glibc, the C library keeps at most a heap per core, so that readers added
// while folders wait for the disk share the heaps instead of each keeping one (4 MB less at
// the peak with 16 readers); a reader a core, as on a warm tree, still has its own.
void LimitHeaps();

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

// The arguments after the program's name, as UTF-8: on Windows they are read wide, so
// that a name the ANSI code page cannot hold ("Łódź", "東京") arrives exact.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// An argument (a mask) as the engine takes it: UTF-8 in a UTF-8 run; in an ANSI run on
// Windows, the ANSI code page's best fit, as the window's edit boxes would hold it.
std::string EngineText(const std::string& argument, bool utf8);
// The root folder as the engine takes it: in an ANSI run on Windows, a name the code page
// cannot hold keeps its exact form after a NUL, as the file search gives such names, so
// that the walk reads that very folder and not its look-alike.
std::string EngineFolder(const std::string& path, bool utf8);
// Text of the engine (paths, the system's words) as UTF-8 for a message.
std::string MessageText(const std::string& text, bool utf8);

// True when `path` names a folder (links followed); else false with `error` naming the
// path and what is wrong with it.
bool CheckFolder(const std::string& path, std::string& error);

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
// A file written whole or not at all: what OpenOutputFile gives for a name that is free
// or a plain file (replaced_file_target.cc, the same on every platform).
std::unique_ptr<TOutputTarget> NewReplacedFileTarget(const std::string& path);
// Null with a message when the file cannot be created, or when `path` is a link: the
// output never goes through a link, which whoever planted it would have chosen.
std::unique_ptr<TOutputTarget> OpenOutputFile(const std::string& path, std::string& error);

}  // namespace arbo
