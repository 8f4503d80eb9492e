// Each call passes straight to the form.
#include "form_ports.h"

#include "frm_main.h"

namespace ramilux {

bool TFormPorts::MaskEditShown() {
  return form_.MaskEditShown();
}
std::string TFormPorts::MaskText() {
  return form_.MaskText();
}
bool TFormPorts::MinSizeEditShown() {
  return form_.MinSizeEditShown();
}
std::string TFormPorts::MinSizeText() {
  return form_.MinSizeText();
}
void TFormPorts::SetMinSizeText(const std::string& text) {
  form_.SetMinSizeText(text);
}
bool TFormPorts::FileChecked() {
  return form_.FileChecked();
}
bool TFormPorts::SizeChecked() {
  return form_.SizeChecked();
}
bool TFormPorts::DateTimeChecked() {
  return form_.DateTimeChecked();
}
bool TFormPorts::HigherSelected() {
  return form_.HigherSelected();
}
int TFormPorts::SortIndex() {
  return form_.SortIndex();
}
void TFormPorts::ClearView() {
  form_.ClearView();
}
int64_t TFormPorts::ViewTextLength() {
  return form_.ViewTextLength();
}
int64_t TFormPorts::LineIndex(int64_t line) {
  return form_.LineIndex(line);
}
int64_t TFormPorts::ViewLineCount() {
  return form_.ViewLineCount();
}
bool TFormPorts::ReplaceSelection(std::string_view text, std::string& error) {
  return form_.ReplaceSelection(text, error);
}
void TFormPorts::SetCaret(int64_t index) {
  form_.SetCaret(index);
}
void TFormPorts::ScrollCaret() {
  form_.ScrollCaret();
}
void TFormPorts::SetViewRedraw(bool on) {
  form_.SetViewRedraw(on);
}
void TFormPorts::RepaintNow() {
  form_.RepaintNow();
}
void TFormPorts::FocusView() {
  form_.FocusView();
}
void TFormPorts::SetDirectoryLabel(const std::string& text) {
  form_.SetDirectoryLabel(text);
}
void TFormPorts::ProcessMessages() {
  form_.ProcessMessages();
}
void TFormPorts::ShowErrorBox(const std::string& title, const std::string& message) {
  form_.ShowErrorBox(title, message);
}
void TFormPorts::SetWaitCursor(bool wait) {
  form_.SetWaitCursor(wait);
}
void TFormPorts::EnableButton(TButton button, bool enabled) {
  form_.EnableButton(button, enabled);
}
void TFormPorts::ShowButton(TButton button, bool shown) {
  form_.ShowButton(button, shown);
}
void TFormPorts::SetProgressMax(int64_t max) {
  form_.SetProgressMax(max);
}
void TFormPorts::ShowProgress(bool shown) {
  form_.ShowProgress(shown);
}
void TFormPorts::SetProgressPosition(int64_t position) {
  form_.SetProgressPosition(position);
}

}  // namespace ramilux
