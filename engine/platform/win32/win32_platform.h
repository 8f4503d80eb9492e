// Win32 platform layer beyond the common factories: text services bound to one given
// locale (an LCID), for a second locale in tests and benchmarks.
#pragma once

#include <memory>

#include "ports.h"

namespace ramilux {

std::unique_ptr<TTextServices> NewWin32TextServices(unsigned long locale);

}  // namespace ramilux
