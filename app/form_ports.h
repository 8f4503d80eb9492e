// The listing engine's front end in the window: each call of the run goes to the form's
// control of the same name, so the form itself is none of the engine's interfaces.
#pragma once

#include "ports.h"

namespace ramilux {

class TFrmMain;

class TFormPorts final : public TListingOptions, public TListingView, public TRunIndicators {
 public:
  explicit TFormPorts(TFrmMain& form) : form_(form) {}

  bool MaskEditShown() override;
  std::string MaskText() override;
  bool MinSizeEditShown() override;
  std::string MinSizeText() override;
  void SetMinSizeText(const std::string& text) override;
  bool FileChecked() override;
  bool SizeChecked() override;
  bool DateTimeChecked() override;
  bool HigherSelected() override;
  int SortIndex() override;

  void ClearView() override;
  int64_t ViewTextLength() override;
  int64_t LineIndex(int64_t line) override;
  int64_t ViewLineCount() override;
  bool ReplaceSelection(std::string_view text, std::string& error) override;
  void SetCaret(int64_t index) override;
  void ScrollCaret() override;
  void SetViewRedraw(bool on) override;
  void RepaintNow() override;
  void FocusView() override;

  void SetDirectoryLabel(const std::string& text) override;
  void ProcessMessages() override;
  void ShowErrorBox(const std::string& title, const std::string& message) override;
  void SetWaitCursor(bool wait) override;
  void EnableButton(TButton button, bool enabled) override;
  void ShowButton(TButton button, bool shown) override;
  void SetProgressMax(int64_t max) override;
  void ShowProgress(bool shown) override;
  void SetProgressPosition(int64_t position) override;

 private:
  TFrmMain& form_;
};

}  // namespace ramilux
