// Saving the view's listing as RTF or plain text through a save dialog.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "view_save.h"

namespace ramilux {

// The view's context menu items "RTF" and "TXT".
void PopMnuSaveRtfClick(HWND view);
void PopMnuSaveTxtClick(HWND view);

// What tells one save command from the other.
struct TSaveCommand {
  const char* Filter;        // descriptions and patterns separated by '|'
  const char* ProposedName;  // the name the dialog opens with
  bool PlainText;            // PlainText on while the view is saved
};

extern const TSaveCommand kSaveRtf;
extern const TSaveCommand kSaveText;

// "a|b|c|d" in the form the common dialogs read: "a\0b\0c\0d\0\0".
std::string DialogFilter(const std::string& barSeparated);

// The save dialog: explorer style, modal over `owner`; the chosen name, or nothing on
// cancel.
std::optional<std::string> AskSaveFileName(const TSaveCommand& command, HWND owner);

// One save command: dialog, save, error box, over the window that holds `view`; the view
// saved is the one with `view`'s id in that window when the dialog closes. `faults` break
// the save in tests.
void RunSaveCommand(HWND view, const TSaveCommand& command, const TSaveFaults* faults = nullptr);

}  // namespace ramilux
