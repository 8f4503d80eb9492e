// Files the Windows tests make and take away again.
#pragma once

#include <string>

namespace ramilux::test {

// Removes a folder with everything below it, read-only files included.
void RemoveTree(const std::string& path);

}  // namespace ramilux::test
