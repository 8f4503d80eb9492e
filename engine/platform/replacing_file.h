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

  // Makes the temporary file beside the target (so that the final move is a rename on
  // one volume); true once it is open, false after a failure or Close. The reason of a
  // failure is left in errno or GetLastError for the caller's message.
  bool Create();
  bool Write(const char* data, size_t size);
  // Closes the temporary file; false when its content may not have reached the disk.
  bool Close();
  // Moves the closed temporary file over the target.
  bool MoveOver();
  bool Commit() { return Close() && MoveOver(); }

 private:
  std::string target_, temporary_;  // temporary_ in UTF-8 on Win32
  TEncoding encoding_;
  // The open temporary file: a descriptor on POSIX, a HANDLE on Win32; -1 when none.
  intptr_t file_ = -1;
  bool moved_ = false;
};

}  // namespace ramilux
