// The view's menu item "Instantané…": a snapshot of the last root written to a file the
// user names, replaced safely as the listing's saves are.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "outcome.h"

namespace ramilux {

// The save dialog's filter and proposed name for a snapshot.
extern const char kSnapshotFilter[];
extern const char kSnapshotName[];

// Walks `root` (exact, wide) and writes its snapshot into `fileName` (ANSI); the file is
// replaced only once complete. `goOn` is asked between folders: false stops the walk and
// leaves any existing file as it was.
TOutcome SaveSnapshot(const std::wstring& root, const std::string& fileName,
                      const std::function<bool()>& goOn);

}  // namespace ramilux
