// A window for tests, as the three faces the engine sees: option controls set by the test,
// a text view that behaves like the rich edit (insertion at the caret, CR LF lines), run
// indicators with a progress bar, and one record of every call the run makes, in order. A test can
// run code inside ProcessMessages (press Stop at the n-th call) and make the view refuse the
// insertion that would bring in a given line.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "ports.h"

namespace ramilux::test {

inline const char* ButtonName(TButton button) {
  switch (button) {
    case TButton::SelectDirectory:
      return "SelectDirectory";
    case TButton::Print:
      return "Print";
    case TButton::Refresh:
      return "Refresh";
    case TButton::Font:
      return "Font";
    case TButton::Stop:
      return "Stop";
  }
  return "?";
}

class TRecordingWindow : public TListingOptions, public TListingView, public TRunIndicators {
 public:
  // The option controls, as the test sets them (the window's initial values).
  bool MaskShown = false;
  std::string Mask = "*.htm;*.html;*.jpg";
  bool MinSizeShown = false;
  std::string MinSize = "0";
  bool Files = false;
  bool Size = false;
  bool DateTime = false;
  bool Higher = true;
  int Sort = 0;
  bool Totals = false;
  bool Fixed = false;  // no option can change during the output: lines formatted ahead

  // The state the run leaves.
  std::map<TButton, bool> Enabled, Shown;
  bool WaitCursor = false;
  std::vector<std::string> Labels;  // every text the label showed, in order
  std::string View;
  int64_t Caret = 0;
  bool Redraw = true;
  int64_t ProgressMax = -1;
  bool ProgressShown = false;
  std::vector<int64_t> ProgressPositions;
  std::vector<std::pair<std::string, std::string>> ErrorBoxes;

  // Every call but the frequent ones (progress position, ProcessMessages, reads of the
  // check boxes), as short texts such as "Enable Print 0" or "ClearView".
  std::vector<std::string> Calls;
  int ProcessMessagesCalls = 0;
  int ReplaceCalls = 0;
  // Runs inside the n-th ProcessMessages (n from 1).
  std::function<void(int)> OnProcessMessages;
  // When > 0: an insertion that would bring in the view's line FailAtLine (counted from
  // 1, header included) fails and inserts nothing.
  int FailAtLine = 0;
  std::string FailMessage = "Memoire insuffisante";

  void SetWaitCursor(bool wait) override {
    WaitCursor = wait;
    Calls.push_back(wait ? "Cursor wait" : "Cursor default");
  }
  void EnableButton(TButton button, bool enabled) override {
    Enabled[button] = enabled;
    Calls.push_back(std::string("Enable ") + ButtonName(button) + (enabled ? " 1" : " 0"));
  }
  void ShowButton(TButton button, bool shown) override {
    Shown[button] = shown;
    Calls.push_back(std::string("Show ") + ButtonName(button) + (shown ? " 1" : " 0"));
  }
  void SetDirectoryLabel(const std::string& text) override { Labels.push_back(text); }

  bool MaskEditShown() override { return MaskShown; }
  std::string MaskText() override { return Mask; }
  bool MinSizeEditShown() override { return MinSizeShown; }
  std::string MinSizeText() override { return MinSize; }
  void SetMinSizeText(const std::string& text) override {
    MinSize = text;
    Calls.push_back("SetMinSizeText " + text);
  }
  bool FileChecked() override { return Files; }
  bool SizeChecked() override { return Size; }
  bool DateTimeChecked() override { return DateTime; }
  bool HigherSelected() override { return Higher; }
  int SortIndex() override { return Sort; }
  bool TotalsChecked() override { return Totals; }
  bool FixedDuringOutput() const override { return Fixed; }

  void ProcessMessages() override {
    ++ProcessMessagesCalls;
    if (OnProcessMessages) OnProcessMessages(ProcessMessagesCalls);
  }

  void ClearView() override {
    View.clear();
    Caret = 0;
    Calls.push_back("ClearView");
  }
  void RepaintNow() override { Calls.push_back("RepaintNow"); }
  void FocusView() override { Calls.push_back("FocusView"); }
  void SetViewRedraw(bool on) override {
    Redraw = on;
    Calls.push_back(on ? "Redraw 1" : "Redraw 0");
  }
  int64_t ViewTextLength() override { return static_cast<int64_t>(View.size()); }
  void SetCaret(int64_t index) override {
    Caret = index;
    Calls.push_back("Caret " + std::to_string(index));
  }
  int64_t LineIndex(int64_t line) override {
    size_t at = 0;
    for (int64_t l = 0; l < line; ++l) {
      at = View.find("\r\n", at);
      if (at == std::string::npos) return -1;
      at += 2;
    }
    return static_cast<int64_t>(at);
  }
  void ScrollCaret() override { Calls.push_back("ScrollCaret"); }
  int64_t ViewLineCount() override { return static_cast<int64_t>(ViewLines().size()); }
  bool ReplaceSelection(std::string_view text, std::string& error) override {
    ++ReplaceCalls;
    if (FailAtLine > 0) {
      int64_t before = ViewLineCount();
      int64_t added = 0;
      for (size_t at = 0; (at = text.find("\r\n", at)) != std::string_view::npos; at += 2) {
        ++added;
      }
      if (before < FailAtLine && before + added >= FailAtLine) {
        error = FailMessage;
        return false;
      }
    }
    View.insert(static_cast<size_t>(Caret), text);
    Caret += static_cast<int64_t>(text.size());
    return true;
  }

  void SetProgressMax(int64_t max) override {
    ProgressMax = max;
    Calls.push_back("ProgressMax " + std::to_string(max));
  }
  void ShowProgress(bool shown) override {
    ProgressShown = shown;
    Calls.push_back(shown ? "Progress shown" : "Progress hidden");
  }
  void SetProgressPosition(int64_t position) override { ProgressPositions.push_back(position); }

  void ShowErrorBox(const std::string& title, const std::string& message) override {
    ErrorBoxes.emplace_back(title, message);
    Calls.push_back("ErrorBox " + title + ": " + message);
  }

  // The view's lines without their CR LF; a last line without one counts too.
  std::vector<std::string> ViewLines() const {
    std::vector<std::string> lines;
    size_t at = 0;
    for (size_t end; (end = View.find("\r\n", at)) != std::string::npos; at = end + 2) {
      lines.push_back(View.substr(at, end - at));
    }
    if (at < View.size()) lines.push_back(View.substr(at));
    return lines;
  }
};

}  // namespace ramilux::test
