// The console's answers to the run: options from the command line, lines to the output.
#include "console_window.h"

#include <algorithm>
#include <vector>

#include "system.h"

namespace arbo {
namespace {

using namespace std::chrono_literals;

constexpr auto kQuietStart = 500ms;  // a short run shows no progress at all
constexpr auto kRefresh = 100ms;

bool IsContinuationByte(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The end of `text` that fits in `columns` characters, "…" in front when cut.
std::string LastColumns(const std::string& text, size_t columns) {
  std::vector<size_t> starts;  // where each character begins
  for (size_t i = 0; i < text.size(); ++i) {
    if (!IsContinuationByte(text[i])) starts.push_back(i);
  }
  if (starts.size() <= columns) return text;
  return "\u2026" + text.substr(starts[starts.size() - (columns - 1)]);
}

// In an ANSI run on Windows a root that the code page cannot hold carries each exact name
// after a NUL (see EngineFolder): the header and the progress line show the part before,
// as the lines show such names.
std::string WithoutExactForms(std::string_view text) {
  std::string shown;
  for (size_t at = 0; at < text.size();) {
    const size_t exact = std::min(text.find('\0', at), text.size());
    shown.append(text.substr(at, exact - at));
    at = std::min(text.find_first_of("\\/", exact), text.size());
  }
  return shown;
}

}  // namespace

TProgressLine::TProgressLine(bool enabled) : enabled_(enabled), start_(TClock::now()) {
  if (enabled_) columns_ = TerminalColumns();
}

void TProgressLine::Show(const std::string& folder) {
  if (!enabled_) return;
  const TClock::time_point now = TClock::now();
  if (now - start_ < kQuietStart || (shown_ && now - last_ < kRefresh)) return;
  last_ = now;
  shown_ = true;
  const size_t width = size_t(columns_ > 10 ? columns_ - 1 : 9);
  std::string line = "\r" + LastColumns(folder, width);
  size_t characters = 0;
  for (char c : line) characters += !IsContinuationByte(c);
  if (characters - 1 < width) line.append(width - (characters - 1), ' ');
  WriteStderr(line);
}

void TProgressLine::Clear() {
  if (!shown_) return;
  shown_ = false;
  WriteStderr("\r" + std::string(size_t(columns_ > 10 ? columns_ - 1 : 9), ' ') + "\r");
}

TConsoleWindow::TConsoleWindow(const TArboOptions& options, TConsoleOutput& output,
                               TProgressLine& progress)
    : options_(options), output_(output), progress_(progress) {}

void TConsoleWindow::SetDirectoryLabel(const std::string& text) {
  progress_.Show(text.find('\0') == std::string::npos ? text : WithoutExactForms(text));
}

// The mask and size boxes are shown only while files are listed and their options on.
// Masks and thresholds pick the files listed, or with totals the files counted.
bool TConsoleWindow::MaskEditShown() {
  return (options_.Files || options_.Totals) && options_.Mask.has_value();
}
std::string TConsoleWindow::MaskText() {
  return options_.Mask.value_or("");
}
bool TConsoleWindow::MinSizeEditShown() {
  return (options_.Files || options_.Totals) && options_.SizeDirection != TSizeDirection::None;
}
bool TConsoleWindow::HigherSelected() {
  return options_.SizeDirection != TSizeDirection::AtMost;
}

// The points where the window would handle its input are where Ctrl-C reaches the run.
void TConsoleWindow::ProcessMessages() {
  if (listing_ != nullptr && Interrupted()) listing_->RequestStop();
}

void TConsoleWindow::ClearView() {
  progress_.Clear();  // the walk is over; the lines follow
  textLength_ = 0;
  lineCount_ = 0;
}

// Ctrl-C during the output ends it: unlike the Stop button, the user wants the program to
// stop, and the caller then discards the output.
bool TConsoleWindow::ReplaceSelection(std::string_view text, std::string& error) {
  if (Interrupted()) {
    error = Say("interrompu", "interrupted");
    return false;
  }
  std::string shown;
  if (text.find('\0') != std::string_view::npos) text = shown = WithoutExactForms(text);
  if (!output_.Put(text)) {
    error = output_.Error();
    return false;
  }
  textLength_ += int64_t(text.size());
  for (size_t at = text.find('\n'); at != std::string_view::npos; at = text.find('\n', at + 1)) {
    ++lineCount_;
  }
  return true;
}

void TConsoleWindow::ShowErrorBox(const std::string&, const std::string& message) {
  if (error_.empty()) error_ = message;
}

}  // namespace arbo
