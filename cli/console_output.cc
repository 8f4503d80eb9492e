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

size_t ConnectorPrefixLength(std::string_view line) {
  size_t i = 0;
  while (line.substr(i, 3) == kBarGroup || line.substr(i, 3) == kBlankGroup) i += 3;
  const std::string_view last = line.substr(i, 3);
  return last == kBranchGroup || last == kCornerGroup ? i + 3 : 0;
}

TConsoleOutput::TConsoleOutput(TOutputTarget& target, TEncodingChoice encoding)
    : target_(target), encoding_(encoding) {
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
  if (atLineStart_) {
    const size_t prefix = ConnectorPrefixLength(line);
    for (size_t i = 0; i < prefix; i += 3) {
      const std::string_view group = line.substr(i, 3);
      if (group == kBarGroup) {
        buffer_.append(ramilux::GroupUtf8(ramilux::TPrefix::Bar));
      } else if (group == kBranchGroup) {
        buffer_.append(ramilux::GroupUtf8(ramilux::TPrefix::Branch));
      } else if (group == kCornerGroup) {
        buffer_.append(ramilux::GroupUtf8(ramilux::TPrefix::Corner));
      } else {
        buffer_.append(group);
      }
    }
    line.remove_prefix(prefix);
  }
  atLineStart_ = line.ends_with('\n');
  if (line.ends_with("\r\n")) {
    buffer_.append(line.substr(0, line.size() - 2));
    buffer_ += '\n';
  } else {
    buffer_.append(line);
  }
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
