// The view's menu items "Ouvrir un instantané..." and "Comparer à un instantané...": the
// open dialog, the snapshot file read whole or refused in French, and its names put in the
// form the window's engine walks (ANSI, exact form after a NUL).
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "outcome.h"
#include "snapshot.h"

namespace ramilux {

extern const char kSnapshotOpenTitle[];
extern const char kSnapshotCompareTitle[];

// The open dialog with the snapshots' filter; the chosen name (ANSI), or nothing on cancel.
std::optional<std::string> AskSnapshotFileName(HWND owner, const char* title);

// The snapshot file `fileName` (ANSI) whole, names exact (UTF-8); or the outcome of a file
// that is no whole snapshot of a version this program reads.
TResult<std::shared_ptr<TSnapshotTree>> LoadSnapshotFile(const std::string& fileName);

// The tree's names, paths, root and reasons as the window's engine holds names (ANSI with
// the exact form after a NUL when the code page lacks a character), and its separator "\":
// searches then meet the paths the walk makes from the names they gave.
void ToWindowNames(TSnapshotTree& tree);

// " (instantané du 07/12/2026 20:58, fichier C:\x\s.json)": the local time the snapshot
// was taken, in the user's short date; `what` replaces "instantané" ("comparé à
// l'instantané").
std::string SnapshotNote(const TSnapshotTree& tree, const std::string& fileName,
                         const std::string& what);

}  // namespace ramilux
