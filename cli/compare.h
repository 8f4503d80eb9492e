// arbo --compare: the union of two snapshots of a tree (or a snapshot and the tree as it
// is now) as one outline, each line marked added, removed, changed or unchanged.
#pragma once

#include "options.h"

namespace arbo {

int RunCompare(const TArboOptions& options);

}  // namespace arbo
