// The window's modal boxes and dialogs driven from the test: the About message from F1
// (with or without modifiers) and from the menu, the application title, the error box,
// and the folder picker with its preselection, OK, Cancel and a removed folder.
#include <gtest/gtest.h>
// <windows.h> comes before the other system headers.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <atomic>

#include "app_test_support.h"
#include "app_title.h"
#include "error_box.h"
#include "printer.h"
#include "ramilux_version.h"
#include "resource.h"
#include "rich_edit.h"

namespace ramilux::test {
namespace {

struct TBox {
  std::string Caption, Text;
  RECT Place{};
  bool HasIcon = false;
  bool OwnerDisabled = false;
};

TDialogDriver::TAction ReadAndClose(TBox& box, HWND form) {
  return [&box, form](HWND dialog) {
    char caption[128] = {};
    GetWindowTextA(dialog, caption, sizeof caption);
    box.Caption = caption;
    box.Text = MessageBoxText(dialog);
    GetWindowRect(dialog, &box.Place);
    HWND icon = GetDlgItem(dialog, 0x0440);
    box.HasIcon = icon && IsWindowVisible(icon) && SendMessageA(icon, STM_GETICON, 0, 0) != 0;
    box.OwnerDisabled = !IsWindowEnabled(form);
    PressButton(dialog, IDOK);
  };
}

const char kAboutText[] =
    "        Ramilux\r\n"
    "        Version " RAMILUX_VERSION
    "\r\n"
    "\r\n"
    "  (c) 2026 les d\xE9veloppeurs de Ramilux\r\n"
    "\r\n"
    "  aide : LISEZMOI.txt, \xE0 c\xF4t\xE9 de Ramilux.exe\r\n"
    "  licences : LISEZMOI.txt, Ramilux-LICENSE.txt";

void ExpectCentredOnScreen(const RECT& place) {
  EXPECT_NEAR((place.left + place.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 2);
  EXPECT_NEAR((place.top + place.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 2);
}

// Counts the F1 presses that reach the view after the preview.
LRESULT CALLBACK CountF1(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                         DWORD_PTR count) {
  if (message == WM_KEYDOWN && wParam == VK_F1) ++*reinterpret_cast<int*>(count);
  return DefSubclassProc(window, message, wParam, lParam);
}

TEST(About, F1WithAnyModifierOpensItAndTheKeyStillReachesTheFocusedControl) {
  TFormHarness harness;
  HWND view = harness.Get(IDC_RICH_EDIT);
  int reached = 0;
  SetWindowSubclass(view, CountF1, 1, reinterpret_cast<DWORD_PTR>(&reached));
  SetFocus(view);
  struct {
    const char* Name;
    int Modifier;
  } presses[] = {{"F1", 0}, {"Shift+F1", VK_SHIFT}, {"Ctrl+F1", VK_CONTROL}};
  for (auto& press : presses) {
    SCOPED_TRACE(press.Name);
    TBox box;
    TDialogDriver driver({ReadAndClose(box, harness.Form().Handle())});
    {
      THeldKey held(press.Modifier);
      PostMessageA(view, WM_KEYDOWN, VK_F1, 0);
      harness.Pump();
    }
    EXPECT_EQ(driver.Handled(), 1);
    EXPECT_EQ(box.Caption, ApplicationTitle(std::string(__argv[0])));
    EXPECT_EQ(box.Text, kAboutText);
    EXPECT_FALSE(box.HasIcon);
    EXPECT_TRUE(box.OwnerDisabled);
    ExpectCentredOnScreen(box.Place);
  }
  EXPECT_EQ(reached, 3);
  RemoveWindowSubclass(view, CountF1, 1);
}

// While a print spools, the window still previews its keys: F1 opens the About message,
// and the print goes on when it is closed.
TEST(About, F1DuringAPrintOpensItAndThePrintGoesOn) {
  TFormHarness harness;
  HWND view = harness.Get(IDC_RICH_EDIT);
  std::string lines;
  for (int i = 0; i < 300; ++i) {
    lines +=
        "\xC3\xC4\xC4"
        "dossier " +
        std::to_string(i) + "\r\n";
  }
  rich_edit::ReplaceSelection(view, lines);
  static std::atomic<bool> answered, posted;
  static HWND checkBox;
  answered = posted = false;
  checkBox = harness.Get(IDC_CBX_FILE);
  std::string about;
  TDialogDriver driver({[](HWND print) {
                          answered = true;
                          PressButton(print, IDOK);
                        },
                        [&](HWND box) {
                          about = MessageBoxText(box);
                          PressButton(box, IDOK);
                        }});
  UINT_PTR timer = SetTimer(nullptr, 0, 5, [](HWND, UINT, UINT_PTR, DWORD) {
    if (answered && !posted && ThePrinter().Printing()) {
      posted = true;
      PostMessageA(checkBox, WM_KEYDOWN, VK_F1, 0);
    }
  });
  harness.Form().SbnPrintClick();
  KillTimer(nullptr, timer);
  EXPECT_TRUE(posted);
  EXPECT_EQ(about.substr(0, 15), "        Ramilux");
  EXPECT_EQ(driver.Handled(), 2);
  EXPECT_EQ(driver.Unexpected(), 0);
}

TEST(About, TheMenuItemOpensIt) {
  TFormHarness harness;
  TBox box;
  TDialogDriver driver({ReadAndClose(box, harness.Form().Handle())});
  PostMessageA(harness.Form().Handle(), WM_COMMAND, IDM_ABOUT, 0);
  harness.Pump();
  EXPECT_EQ(box.Text, kAboutText);
}

TEST(About, TheMenuHoldsRtfTxtAndAnImageOnlyAboutItem) {
  // The pop-up menu is built with the window; read it back through a right click's menu
  // handle, found as the form's only pop-up menu.
  TFormHarness harness;
  HMENU menu = nullptr;
  static HMENU* seen;
  seen = &menu;
  UINT_PTR timer = SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR, DWORD) {
    HWND window = FindWindowA("#32768", nullptr);
    if (!window) return;
    *seen = reinterpret_cast<HMENU>(SendMessageA(window, 0x01E1 /* MN_GETHMENU */, 0, 0));
    EndMenu();
  });
  // As a right click in the view asks for it, on the view's own thread.
  PostMessageA(harness.Get(IDC_RICH_EDIT), WM_CONTEXTMENU,
               reinterpret_cast<WPARAM>(harness.Get(IDC_RICH_EDIT)), MAKELPARAM(300, 300));
  harness.Pump();
  KillTimer(nullptr, timer);
  ASSERT_NE(menu, nullptr);
  // The program's own three, then Explorer's entry apart, then the formats written from
  // the entries, then the snapshot (grayed until a root is chosen), its opening and the
  // comparison with it.
  ASSERT_EQ(GetMenuItemCount(menu), 15);
  char text[16] = {};
  GetMenuStringA(menu, 0, text, sizeof text, MF_BYPOSITION);
  EXPECT_STREQ(text, "RTF");
  GetMenuStringA(menu, 1, text, sizeof text, MF_BYPOSITION);
  EXPECT_STREQ(text, "TXT");
  MENUITEMINFOA about{};
  about.cbSize = sizeof about;
  about.fMask = MIIM_FTYPE | MIIM_ID | MIIM_BITMAP;
  GetMenuItemInfoA(menu, 2, TRUE, &about);
  EXPECT_EQ(about.wID, static_cast<UINT>(IDM_ABOUT));
  EXPECT_TRUE(about.fType & MFT_BITMAP);
  EXPECT_EQ(GetMenuState(menu, 3, MF_BYPOSITION) & MF_SEPARATOR, UINT(MF_SEPARATOR));
  char explorer[32] = {};
  GetMenuStringA(menu, 4, explorer, sizeof explorer, MF_BYPOSITION);
  EXPECT_STREQ(explorer, "Menu de l'Explorateur");
  EXPECT_EQ(GetMenuState(menu, 5, MF_BYPOSITION) & MF_SEPARATOR, UINT(MF_SEPARATOR));
  const char* const formats[] = {"Copier\tCtrl+C", "TXT Unicode", "HTML", "CSV", "Markdown"};
  for (int i = 0; i < 5; ++i) {
    GetMenuStringA(menu, 6 + i, explorer, sizeof explorer, MF_BYPOSITION);
    EXPECT_STREQ(explorer, formats[i]) << i;
  }
  GetMenuStringA(menu, 12, explorer, sizeof explorer, MF_BYPOSITION);
  EXPECT_STREQ(explorer, "Instantan\xE9...");
  EXPECT_TRUE(GetMenuState(menu, 12, MF_BYPOSITION) & MF_GRAYED);
  const char* const snapshots[] = {"Ouvrir un instantan\xE9...",
                                   "Comparer \xE0 un instantan\xE9..."};
  for (int i = 0; i < 2; ++i) {
    GetMenuStringA(menu, 13 + i, explorer, sizeof explorer, MF_BYPOSITION);
    EXPECT_STREQ(explorer, snapshots[i]) << i;
    EXPECT_FALSE(GetMenuState(menu, 13 + i, MF_BYPOSITION) & MF_GRAYED) << i;
  }
}

TEST(ErrorBox, IsCentredWithTheErrorIconAndTheGivenTitle) {
  TFormHarness harness;
  TBox box;
  TDialogDriver driver({ReadAndClose(box, harness.Form().Handle())});
  harness.Form().Indicators().ShowErrorBox("Erreur", "Erreur d'insertion de ligne RichEdit");
  EXPECT_EQ(box.Caption, "Erreur");
  EXPECT_EQ(box.Text, "Erreur d'insertion de ligne RichEdit");
  EXPECT_TRUE(box.HasIcon);
  ExpectCentredOnScreen(box.Place);
}

// ---- the folder picker

struct TPickerSeen {
  std::string Title;
  std::string Selection;
  bool Selected = false;
};

TDialogDriver::TAction ChooseInPicker(const std::string& folder, TPickerSeen& seen) {
  return [folder, &seen](HWND picker) {
    seen.Selection = PickerSelectionLabel(picker);
    seen.Title = WindowText(GetDlgItem(picker, 0x3742));
    seen.Selected = SelectInPicker(picker, folder);
    PressButton(picker, IDOK);
  };
}

TDialogDriver::TAction CancelPicker(TPickerSeen& seen) {
  return [&seen](HWND picker) {
    seen.Selection = PickerSelectionLabel(picker);
    PressButton(picker, IDCANCEL);
  };
}

std::string WithoutBackslash(const std::string& path) {
  return path.substr(0, path.size() - 1);
}

TEST(FolderChoice, RunsAListingOfTheChosenFolderAndEnablesPrintAndRefresh) {
  TTempTree tree;
  tree.AddFolder("sous-dossier");
  TFormHarness harness;
  TPickerSeen seen;
  TDialogDriver driver({ChooseInPicker(WithoutBackslash(tree.Root()), seen)});
  harness.Form().SbnSelectDirectoryClick();
  ASSERT_TRUE(seen.Selected);
  EXPECT_EQ(harness.Form().Listing().Directory(), tree.Root());
  EXPECT_EQ(harness.Form().Listing().RootLength(), static_cast<int32_t>(tree.Root().size()));
  std::vector<std::string> lines = ViewLines(harness.Get(IDC_RICH_EDIT));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "Arborescence a partir de: " + tree.Root());
  EXPECT_EQ(lines[2], "\xC0\xC4 sous-dossier");
  EXPECT_TRUE(IsEnabled(harness.Get(IDC_SBN_PRINT)));
  EXPECT_TRUE(IsEnabled(harness.Get(IDC_SBN_REFRESH)));
}

TEST(FolderChoice, PreselectsThePreviousFolderAndCancelChangesNothing) {
  TTempTree tree;
  std::string second = tree.AddFolder("second");
  TFormHarness harness;
  TPickerSeen first, again, cancelled;
  TDialogDriver driver({ChooseInPicker(WithoutBackslash(tree.Root()), first),
                        ChooseInPicker(second, again), CancelPicker(cancelled)});
  harness.Form().SbnSelectDirectoryClick();
  harness.Form().SbnSelectDirectoryClick();
  EXPECT_EQ(again.Title, "Choisissez le r\xE9pertoire racine de l'arborescence");
  std::string rootName = WithoutBackslash(tree.Root());
  rootName = rootName.substr(rootName.find_last_of('\\') + 1);
  EXPECT_EQ(again.Selection, rootName);
  EXPECT_EQ(harness.Form().Listing().Directory(), second + "\\");

  std::string text = rich_edit::Text(harness.Get(IDC_RICH_EDIT));
  harness.Form().SbnSelectDirectoryClick();
  EXPECT_EQ(cancelled.Selection, "second");
  EXPECT_EQ(harness.Form().Listing().Directory(), second + "\\");
  EXPECT_EQ(harness.Form().Listing().RootLength(), static_cast<int32_t>(second.size() + 1));
  EXPECT_EQ(rich_edit::Text(harness.Get(IDC_RICH_EDIT)), text);
  EXPECT_EQ(driver.Unexpected(), 0);
}

TEST(FolderChoice, ARemovedPreviousFolderIsForgottenAndRefreshThenDoesNothing) {
  TTempTree tree;
  std::string gone = tree.AddFolder("disparu");
  TFormHarness harness;
  TPickerSeen chosen, cancelled;
  TDialogDriver driver({ChooseInPicker(gone, chosen), CancelPicker(cancelled)});
  harness.Form().SbnSelectDirectoryClick();
  ASSERT_EQ(harness.Form().Listing().Directory(), gone + "\\");
  RemoveDirectoryA(gone.c_str());
  harness.Form().SbnSelectDirectoryClick();
  EXPECT_NE(cancelled.Selection, "disparu");
  EXPECT_TRUE(harness.Form().Listing().Directory().empty());
  EXPECT_EQ(harness.Form().Listing().RootLength(), 0);  // no stale length of the old root
  EXPECT_TRUE(IsEnabled(harness.Get(IDC_SBN_REFRESH)));
  std::string text = rich_edit::Text(harness.Get(IDC_RICH_EDIT));
  harness.Click(IDC_SBN_REFRESH);
  EXPECT_EQ(rich_edit::Text(harness.Get(IDC_RICH_EDIT)), text);
  EXPECT_EQ(WindowText(harness.Get(IDC_LBL_DIRECTORY_NAME)), gone + "\\");
}

// Presses Stop as soon as the run shows its root in the label (Stop is enabled by then).
LRESULT CALLBACK StopOnLabel(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                             DWORD_PTR stop) {
  if (message == WM_SETTEXT) PostMessageA(reinterpret_cast<HWND>(stop), BM_CLICK, 0, 0);
  return DefSubclassProc(window, message, wParam, lParam);
}

TEST(FolderChoice, AStopDuringTheWalkStillEnablesPrint) {
  TTempTree tree;
  tree.AddFolder("a");
  tree.AddFolder("a\\b");
  TFormHarness harness;
  HWND label = harness.Get(IDC_LBL_DIRECTORY_NAME);
  SetWindowSubclass(label, StopOnLabel, 1, reinterpret_cast<DWORD_PTR>(harness.Get(IDC_SBN_STOP)));
  TPickerSeen seen;
  TDialogDriver driver({ChooseInPicker(WithoutBackslash(tree.Root()), seen)});
  harness.Form().SbnSelectDirectoryClick();
  RemoveWindowSubclass(label, StopOnLabel, 1);
  EXPECT_TRUE(harness.Form().Listing().StopRequested());
  EXPECT_EQ(rich_edit::TextLength(harness.Get(IDC_RICH_EDIT)), 0);
  EXPECT_TRUE(IsEnabled(harness.Get(IDC_SBN_PRINT)));
  EXPECT_TRUE(IsEnabled(harness.Get(IDC_SBN_REFRESH)));
}

}  // namespace
}  // namespace ramilux::test
