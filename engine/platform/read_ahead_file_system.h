// A file system that reads folders ahead of the walk on other threads: most of a walk's
// time is the system's, reading folders and the time and size of every entry, and the
// folders of a tree can be read side by side.
#pragma once

#include <functional>
#include <memory>

#include "ports.h"

namespace ramilux {

// A file system for one thread, as the platform makes it.
using TFileSystemMaker = std::function<std::unique_ptr<TFileSystem>()>;

// Outside a walk, and for every folder read ahead that could not be read whole, the
// searches are those of a file system of `make` on the walk's thread. During a walk,
// `threads` readers (0: one fewer than the machine has cores, at least one, and on Linux
// more, up to 16, while the folders wait for the disk), each with a file system of their
// own (the walk's NewReader, or one of `make`), read the folders the walk will enter next,
// in the order it will enter them, a bounded number ahead of it; the walk sees the entries
// in the same order as without them.
std::unique_ptr<TFileSystem> NewReadAheadFileSystem(TFileSystemMaker make, unsigned threads = 0);

}  // namespace ramilux
