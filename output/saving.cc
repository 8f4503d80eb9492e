// Saving the view's listing as RTF or plain text through a save dialog.
#include "saving.h"

#include <commdlg.h>

#include "error_box.h"

namespace ramilux {

const TSaveCommand kSaveRtf{"Fichiers RTF (*.rtf)|*.rtf|Tous fichiers (*.*)|*.*", "Ramilux.rtf",
                            false};
const TSaveCommand kSaveText{"Fichiers TXT (*.txt)|*.txt|Tous fichiers (*.*)|*.*", "Ramilux.txt",
                             true};

std::string DialogFilter(const std::string& barSeparated) {
  std::string filter = barSeparated;
  for (char& c : filter) {
    if (c == '|') c = '\0';
  }
  filter.append(2, '\0');
  return filter;
}

std::optional<std::string> AskSaveFileName(const TSaveCommand& command, HWND owner) {
  std::string filter = DialogFilter(command.Filter);
  char name[MAX_PATH] = {};
  lstrcpynA(name, command.ProposedName, MAX_PATH);
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  // Owned, so modal: no run can replace the view while the dialog is open.
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = name;
  dialog.nMaxFile = MAX_PATH;
  // No default extension and no overwrite prompt: a name is used as typed, and an
  // existing file is replaced without a question.
  dialog.Flags = OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_EXPLORER;
  if (!GetSaveFileNameA(&dialog)) return std::nullopt;
  return std::string(name);
}

void RunSaveCommand(HWND view, const TSaveCommand& command, const TSaveFaults* faults) {
  HWND owner = GetAncestor(view, GA_ROOT);
  int viewId = GetDlgCtrlID(view);
  std::optional<std::string> fileName = AskSaveFileName(command, owner);
  if (!fileName) return;
  // The view of the moment: a run clears a long listing by putting a fresh view, with the
  // same id, in place of the old one.
  if (HWND current = GetDlgItem(owner, viewId)) view = current;
  TOutcome saved;
  {
    std::optional<TPlainTextOn> plainText;
    if (command.PlainText) plainText.emplace(view);
    saved = SaveViewToFile(view, *fileName, faults);
  }
  saved.Show(owner);
}

void PopMnuSaveRtfClick(HWND view) {
  RunSaveCommand(view, kSaveRtf);
}

void PopMnuSaveTxtClick(HWND view) {
  RunSaveCommand(view, kSaveText);
}

}  // namespace ramilux
