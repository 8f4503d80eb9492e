// The platform layer the build chose (Win32 or POSIX): the real file search and the
// text services of the user's locale.
#pragma once

#include <memory>

#include "ports.h"

namespace ramilux {

std::unique_ptr<TFileSystem> NewPlatformFileSystem();
std::unique_ptr<TTextServices> NewPlatformTextServices();

}  // namespace ramilux
