// The listing's front end on a console: the option controls answer from the command line, the
// view is the output, Ctrl-C plays the Stop button, and a progress line on a terminal
// plays the folder label.
#pragma once

#include <chrono>
#include <string>

#include "console_output.h"
#include "listing.h"
#include "options.h"

namespace arbo {

// The folder being walked, on one line of standard error that is rewritten in place;
// only on a terminal, only once the walk has lasted a while, and erased at the end.
class TProgressLine {
 public:
  explicit TProgressLine(bool enabled);
  ~TProgressLine() { Clear(); }
  TProgressLine(const TProgressLine&) = delete;
  TProgressLine& operator=(const TProgressLine&) = delete;

  void Show(const std::string& folder);
  void Clear();

 private:
  using TClock = std::chrono::steady_clock;
  bool enabled_;
  int columns_ = 80;
  bool shown_ = false;
  TClock::time_point start_;
  TClock::time_point last_;
};

class TConsoleWindow final : public ramilux::TListingOptions,
                             public ramilux::TListingView,
                             public ramilux::TRunIndicators {
 public:
  TConsoleWindow(const TArboOptions& options, TConsoleOutput& output, TProgressLine& progress);
  // The listing whose stop flag Ctrl-C sets.
  void Attach(ramilux::TListing& listing) { listing_ = &listing; }

  // Whether the run put "0" back into the size box: the size text was not a number.
  bool SizeTextRejected() const { return sizeTextRejected_; }
  // The message of the error box the run showed, if any.
  const std::string& Error() const { return error_; }

  bool MaskEditShown() override;
  std::string MaskText() override;
  bool MinSizeEditShown() override;
  std::string MinSizeText() override { return options_.SizeText; }
  void SetMinSizeText(const std::string&) override { sizeTextRejected_ = true; }
  bool FileChecked() override { return options_.Files; }
  bool SizeChecked() override { return options_.SizeColumn; }
  bool DateTimeChecked() override { return options_.DateColumn; }
  bool HigherSelected() override;
  int SortIndex() override { return options_.SortIndex; }
  bool TotalsChecked() override { return options_.Totals; }
  bool FixedDuringOutput() const override { return true; }

  // The output is the view: lines are only ever added at its end.
  void ClearView() override;
  int64_t ViewTextLength() override { return textLength_; }
  int64_t LineIndex(int64_t line) override { return line == 0 ? 0 : -1; }
  int64_t ViewLineCount() override { return lineCount_; }
  bool ReplaceSelection(std::string_view text, std::string& error) override;

  void SetDirectoryLabel(const std::string& text) override;
  void ProcessMessages() override;
  void ShowErrorBox(const std::string& title, const std::string& message) override;

 private:
  const TArboOptions& options_;
  TConsoleOutput& output_;
  TProgressLine& progress_;
  ramilux::TListing* listing_ = nullptr;
  bool sizeTextRejected_ = false;
  std::string error_;
  int64_t textLength_ = 0;
  int64_t lineCount_ = 0;
};

}  // namespace arbo
