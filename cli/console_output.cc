// Buffering and the utf8 translation of the listing's lines.
#include "console_output.h"

#include "lines.h"

namespace arbo {
namespace {

constexpr size_t kBufferBytes = 256 * 1024;

constexpr std::string_view kBarGroup = "\xB3  ";
constexpr std::string_view kBlankGroup = "   ";
constexpr std::string_view kBranchGroup = "\xC3\xC4 ";
constexpr std::string_view kCornerGroup = "\xC0\xC4 ";

}  // namespace

TConsoleOutput::TConsoleOutput(TOutputTarget& target, TEncodingChoice encoding)
    : target_(target),
      encoding_(encoding),
      bar_(ramilux::GroupUtf8(ramilux::TPrefix::Bar)),
      branch_(ramilux::GroupUtf8(ramilux::TPrefix::Branch)),
      corner_(ramilux::GroupUtf8(ramilux::TPrefix::Corner)) {
  buffer_.reserve(kBufferBytes + 4096);
}

bool TConsoleOutput::Put(std::string_view text) {
  if (failed_) return false;
  if (encoding_ == TEncodingChoice::Ansi) {
    buffer_.append(text);
  } else {
    while (!text.empty()) {
      const size_t end = text.find('\n');
      const size_t length = end == std::string_view::npos ? text.size() : end + 1;
      PutUtf8Line(text.substr(0, length));
      text.remove_prefix(length);
    }
  }
  return buffer_.size() < kBufferBytes || Flush();
}

// One line, or the start or the rest of one: only a line's start has a prefix.
void TConsoleOutput::PutUtf8Line(std::string_view line) {
  if (atLineStart_) line.remove_prefix(PutPrefix(line));
  atLineStart_ = line.ends_with('\n');
  if (line.ends_with("\r\n")) {
    buffer_.append(line.substr(0, line.size() - 2));
    buffer_ += '\n';
  } else {
    buffer_.append(line);
  }
}

// Draws the connector prefix at the start of `line` (groups of "B3 20 20" or three blanks,
// closed by "C3 C4 20" or "C0 C4 20") as it reads it, in one pass, and returns its length;
// 0, with nothing put, when the groups are not closed so (the header lines). Names are
// never looked at, so a 0xC3 inside a UTF-8 name stays itself.
size_t TConsoleOutput::PutPrefix(std::string_view line) {
  const size_t start = buffer_.size();
  for (size_t i = 0; i + 3 <= line.size(); i += 3) {
    const std::string_view group = line.substr(i, 3);
    if (group == kBarGroup) {
      buffer_.append(bar_);
    } else if (group == kBlankGroup) {
      buffer_.append(kBlankGroup);
    } else if (group == kBranchGroup || group == kCornerGroup) {
      buffer_.append(group == kBranchGroup ? branch_ : corner_);
      return i + 3;
    } else {
      break;
    }
  }
  buffer_.resize(start);
  return 0;
}

bool TConsoleOutput::Flush() {
  if (failed_) return false;
  if (!buffer_.empty() && !target_.Write(buffer_.data(), buffer_.size(), error_)) {
    failed_ = true;
    return false;
  }
  buffer_.clear();
  return true;
}

bool TConsoleOutput::Finish() {
  if (!Flush()) return false;
  if (!target_.Commit(error_)) {
    failed_ = true;
    return false;
  }
  return true;
}

}  // namespace arbo
