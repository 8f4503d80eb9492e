// A file written under a temporary name in its target's folder and moved over the
// target only once complete, so that a failed write never leaves a half-written file in
// place of the one it replaces.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

#include "ports.h"

namespace ramilux {

class TReplacingFile {
 public:
  // On Win32 `target` is text of the ANSI code page (the window's) or UTF-8 (arbo's, for
  // names the code page cannot hold); on POSIX, bytes as they are.
  explicit TReplacingFile(std::string target, TEncoding encoding = TEncoding::Ansi)
      : target_(std::move(target)), encoding_(encoding) {}
  // The temporary file goes away unless it was moved over the target.
  ~TReplacingFile();
  TReplacingFile(const TReplacingFile&) = delete;
  TReplacingFile& operator=(const TReplacingFile&) = delete;

  // Each step is true when done; false with `error` set to the target's path and the
  // system's words for what failed ("C:\x\a.txt: Accès refusé"), in the target's encoding.

  // Makes the temporary file beside the target (so that the final move is a rename on
  // one volume); true once it is open, false after a failure or Close.
  bool Create(std::string& error);
  bool Write(const char* data, size_t size, std::string& error);
  // Closes the temporary file; false when its content may not have reached the disk.
  bool Close(std::string& error);
  // Moves the closed temporary file over the target.
  bool MoveOver(std::string& error);
  bool Commit(std::string& error) { return Close(error) && MoveOver(error); }

 private:
  // False with `error` naming the target and the system's words for `code`.
  bool Failed(unsigned long code, std::string& error) const;

  std::string target_, temporary_;  // temporary_ in UTF-8 on Win32
  TEncoding encoding_;
  // The open temporary file: a descriptor on POSIX, a HANDLE on Win32; -1 when none.
  intptr_t file_ = -1;
  bool moved_ = false;
};

}  // namespace ramilux
