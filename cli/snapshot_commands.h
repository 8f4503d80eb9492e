// arbo's snapshots: --snapshot writes one, --from and --compare read them back.
#pragma once

#include <memory>
#include <string>

#include "options.h"
#include "snapshot.h"

namespace arbo {

// The snapshot file at `path`, whole; null with a one-line message when it is refused.
std::shared_ptr<const ramilux::TSnapshotTree> LoadSnapshot(const std::string& path,
                                                           std::string& error);
// "instantané FILE de ROOT, du 2026-12-07 20:58:03 UTC", for standard error.
std::string SnapshotNotice(const std::string& path, const ramilux::TSnapshotTree& tree);

// arbo --snapshot FILE FOLDER: the exit status (0, 2, or 130 when interrupted).
int RunSnapshot(const TArboOptions& options);

}  // namespace arbo
