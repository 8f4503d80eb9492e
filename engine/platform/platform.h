// The platform layer the build chose (Win32 or POSIX): the real file search and the
// text services of the user's locale.
#pragma once

#include <memory>
#include <string>

#include "ports.h"
#include "read_ahead_file_system.h"

namespace ramilux {

// How names come by default: ANSI bytes on Win32 (as the window shows them), UTF-8 on
// POSIX.
TEncoding PlatformEncoding();

// Names and texts in the given encoding. On Win32 UTF-8 gives the exact names; on POSIX
// names are the file system's bytes either way.
std::unique_ptr<TTextServices> NewPlatformTextServices(TEncoding encoding);
// The system's words for an error code (errno on POSIX, GetLastError on Win32) in
// `encoding`, without a final period or line end: the one formatter of system errors.
std::string SystemErrorText(unsigned long code, TEncoding encoding);
// The platform's search, every folder read on the thread that searches it.
std::unique_ptr<TFileSystem> NewSingleThreadFileSystem(TEncoding encoding);
// The file system of a run: the platform's search, with folders read ahead of a walk.
inline std::unique_ptr<TFileSystem> NewPlatformFileSystem(TEncoding encoding) {
  return NewReadAheadFileSystem([encoding] { return NewSingleThreadFileSystem(encoding); });
}

inline std::unique_ptr<TFileSystem> NewPlatformFileSystem() {
  return NewPlatformFileSystem(PlatformEncoding());
}
inline std::unique_ptr<TTextServices> NewPlatformTextServices() {
  return NewPlatformTextServices(PlatformEncoding());
}

}  // namespace ramilux
