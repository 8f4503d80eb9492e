// Reading and answering, from a test's second thread, the modal dialogs and message boxes
// that the UI thread under test opens.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace ramilux::test {

// The visible dialogs (class #32770) of `thread`.
std::vector<HWND> VisibleDialogs(DWORD thread);

// Waits (5 s at most) until the dialog's modal loop answers a message: before that its
// controls may not be filled in yet.
void WaitUntilPumping(HWND dialog);

// Presses a dialog's button. Posted, so that a box the press opens cannot block the
// thread that presses.
void PressButton(HWND dialog, int id);

std::string WindowText(HWND window);  // the bytes of the ANSI code page

// A message box's text (its static 0xFFFF), in the ANSI code page.
std::string MessageBoxText(HWND box);

}  // namespace ramilux::test
