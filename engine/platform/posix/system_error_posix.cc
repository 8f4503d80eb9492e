// The system's words for an error code, as the C library gives them (always UTF-8 here).
#include <cstring>
#include <string>

#include "platform.h"

namespace ramilux {

std::string SystemErrorText(unsigned long code, TEncoding) {
  return std::strerror(static_cast<int>(code));
}

}  // namespace ramilux
