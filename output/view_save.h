// Writing the view's content into a file: the PlainText switch that picks the format, and
// a save that never leaves a half-written file in place of the one it replaces.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <string_view>

#include "outcome.h"

namespace ramilux {

// The view's PlainText switch. The rich edit control 1.0 has no such property, so it is
// kept as a property of the view's window: SaveViewToFile streams plain text while it is
// on and RTF while it is off.
bool PlainText(HWND view);

// Switches PlainText on for its lifetime and off again on every way out.
class TPlainTextOn {
 public:
  explicit TPlainTextOn(HWND view);
  ~TPlainTextOn();
  TPlainTextOn(const TPlainTextOn&) = delete;
  TPlainTextOn& operator=(const TPlainTextOn&) = delete;

 private:
  HWND view_;
};

// How tests break a save at its two risky points.
struct TSaveFaults {
  // The stream fails once this many bytes went out.
  uint64_t StreamFailsAfter = std::numeric_limits<uint64_t>::max();
  // Runs between the complete stream and the replacement of the target.
  std::function<void()> BeforeReplace;
};

// Streams the whole view into `fileName`, replacing any file of that name. The content
// goes to a temporary file in the same folder and replaces the target only once complete:
// after any failure an existing file is as it was and no temporary file is left.
// The box of a file that could not be made or replaced.
TOutcome CannotCreateFile(const std::string& fileName);

TOutcome SaveViewToFile(HWND view, const std::string& fileName,
                        const TSaveFaults* faults = nullptr);

// Writes into `fileName` what `write` hands its sink, the same safe way.
using TFileWriter = std::function<void(const std::function<void(std::string_view)>& sink)>;
TOutcome SaveWrittenFile(const std::string& fileName, const TFileWriter& write);

}  // namespace ramilux
