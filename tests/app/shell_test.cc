// The ways into the window from Windows: the start's arguments, Explorer's entries and
// the settings kept in the registry, each read back as Windows would.
#include <gtest/gtest.h>
#include <windows.h>
// DROPFILES, which needs windows.h first
#include <shlobj.h>

#include <string>
#include <vector>

#include "app_test_support.h"
#include "command_line.h"
#include "explorer_menu.h"
#include "resource.h"
#include "settings.h"
#include "wide_text.h"

namespace ramilux {
namespace {

TEST(CommandLine, TellsFoldersFromFontNamesAndSwitches) {
  struct TRow {
    std::vector<std::wstring> Arguments;
    TStartAction Action;
    std::wstring Folder;
  };
  const TRow rows[] = {
      {{}, TStartAction::OpenWindow, L""},
      {{L"Ramilux"}, TStartAction::OpenWindow, L""},
      {{L"C:\\dossier"}, TStartAction::OpenWindow, L"C:\\dossier"},
      {{L"Courier", L"C:\\dossier"}, TStartAction::OpenWindow, L"C:\\dossier"},
      {{L"Courier", L"Courier2"}, TStartAction::OpenWindow, L""},
      {{L"\\\\serveur\\partage\\\u0141\u00f3d\u017a"},
       TStartAction::OpenWindow,
       L"\\\\serveur\\partage\\\u0141\u00f3d\u017a"},
      // Explorer's "%1" of a drive, C:\ in quotes, reaches the program as C:"
      {{L"C:\""}, TStartAction::OpenWindow, L"C:\\"},
      {{L"/installer-menu"}, TStartAction::InstallMenu, L""},
      {{L"/RETIRER-MENU"}, TStartAction::RemoveMenu, L""},
      {{L"/reinitialiser"}, TStartAction::ForgetSettings, L""},
      {{L"/reinitialiser", L"D:\\x"}, TStartAction::ForgetSettings, L"D:\\x"},
      {{L"/autre"}, TStartAction::OpenWindow, L""},
  };
  for (const TRow& row : rows) {
    const TCommandLine line = ParseCommandLine(row.Arguments);
    EXPECT_EQ(line.Action, row.Action) << row.Arguments.size();
    EXPECT_EQ(line.Folder, row.Folder);
  }
}

std::wstring RegistryText(const std::wstring& key) {
  wchar_t text[1024] = {};
  DWORD size = sizeof text;
  if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, text, &size) !=
      ERROR_SUCCESS) {
    return L"(absent)";
  }
  return text;
}

TEST(ExplorerMenu, WrittenForFoldersDrivesAndBackgroundsThenRemoved) {
  const std::wstring exe = L"C:\\Program Files\\Ramilux\\Ramilux.exe";
  const std::wstring classes = L"Software\\Classes\\";
  ASSERT_TRUE(RemoveExplorerMenu());
  EXPECT_FALSE(ExplorerMenuInstalled(exe));
  ASSERT_TRUE(InstallExplorerMenu(exe));
  EXPECT_TRUE(ExplorerMenuInstalled(exe));
  EXPECT_FALSE(ExplorerMenuInstalled(L"D:\\ailleurs\\Ramilux.exe"));
  EXPECT_EQ(RegistryText(classes + L"Directory\\shell\\Ramilux"), L"Lister avec Ramilux");
  EXPECT_EQ(RegistryText(classes + L"Directory\\shell\\Ramilux\\command"),
            L"\"C:\\Program Files\\Ramilux\\Ramilux.exe\" \"%1\"");
  EXPECT_EQ(RegistryText(classes + L"Drive\\shell\\Ramilux\\command"),
            L"\"C:\\Program Files\\Ramilux\\Ramilux.exe\" \"%1\"");
  EXPECT_EQ(RegistryText(classes + L"Directory\\Background\\shell\\Ramilux\\command"),
            L"\"C:\\Program Files\\Ramilux\\Ramilux.exe\" \"%V\"");
  ASSERT_TRUE(RemoveExplorerMenu());
  EXPECT_EQ(RegistryText(classes + L"Directory\\shell\\Ramilux"), L"(absent)");
  EXPECT_EQ(RegistryText(classes + L"Drive\\shell\\Ramilux\\command"), L"(absent)");
  EXPECT_FALSE(ExplorerMenuInstalled(exe));
}

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(ForgetSettings()); }
  void TearDown() override { ForgetSettings(); }

  static void PutRaw(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
  }
};

TEST_F(SettingsTest, NoneSavedLeavesEverySettingAtTheWindowsStart) {
  const TSettings settings = LoadSettings();
  EXPECT_FALSE(settings.Files || settings.Sizes || settings.Dates || settings.Masks ||
               settings.MinSize || settings.Higher || settings.MaskText || settings.MinSizeText ||
               settings.SortIndex || settings.Font || settings.Placement || settings.LastFolder);
}

TEST_F(SettingsTest, WhatIsSavedComesBack) {
  TSettings saved;
  saved.Files = true;
  saved.Sizes = false;
  saved.Dates = true;
  saved.Masks = true;
  saved.MinSize = true;
  saved.Higher = false;
  saved.MaskText = "*.txt;*.d\xE9j\xE0";
  saved.MinSizeText = "12,5";
  saved.SortIndex = 2;
  saved.Font = TSavedFont{"Courier New", 200, true, false, true, false};
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  placement.showCmd = SW_SHOWNORMAL;
  placement.rcNormalPosition = {40, 30, 640, 530};
  saved.Placement = placement;
  saved.LastFolder = L"C:\\\u0141\u00f3d\u017a\\\u6771\u4eac";
  ASSERT_TRUE(SaveSettings(saved));

  const TSettings back = LoadSettings();
  EXPECT_EQ(back.Files, saved.Files);
  EXPECT_EQ(back.Sizes, saved.Sizes);
  EXPECT_EQ(back.Higher, saved.Higher);
  EXPECT_EQ(back.MaskText, saved.MaskText);
  EXPECT_EQ(back.MinSizeText, saved.MinSizeText);
  EXPECT_EQ(back.SortIndex, 2);
  ASSERT_TRUE(back.Font);
  EXPECT_EQ(back.Font->Face, "Courier New");
  EXPECT_EQ(back.Font->Twips, 200);
  EXPECT_TRUE(back.Font->Bold && back.Font->Underline && !back.Font->Italic);
  ASSERT_TRUE(back.Placement);
  EXPECT_EQ(back.Placement->rcNormalPosition.left, 40);
  EXPECT_EQ(back.Placement->rcNormalPosition.bottom, 530);
  EXPECT_EQ(back.LastFolder, saved.LastFolder);
}

TEST_F(SettingsTest, DamagedValuesAreIgnoredOneByOne) {
  const DWORD two = 2, seven = 7, tiny = 1, style = 3;
  PutRaw(L"Fichiers", REG_DWORD, &two, sizeof two);  // not 0 or 1
  PutRaw(L"Tailles", REG_SZ, L"1", 4);               // wrong type
  PutRaw(L"Tri", REG_DWORD, &seven, sizeof seven);   // out of range
  PutRaw(L"Police", REG_SZ, L"Courier New", 24);
  PutRaw(L"TaillePolice", REG_DWORD, &tiny, sizeof tiny);  // below 1 point
  PutRaw(L"StylePolice", REG_DWORD, &style, sizeof style);
  PutRaw(L"Fenetre", REG_BINARY, "court", 5);           // wrong size
  PutRaw(L"TexteMasques", REG_SZ, L"\u6771\u4eac", 6);  // not ANSI
  const DWORD one = 1;
  PutRaw(L"Dates", REG_DWORD, &one, sizeof one);  // the one sound value
  const TSettings settings = LoadSettings();
  EXPECT_FALSE(settings.Files);
  EXPECT_FALSE(settings.Sizes);
  EXPECT_FALSE(settings.SortIndex);
  EXPECT_FALSE(settings.Font);
  EXPECT_FALSE(settings.Placement);
  EXPECT_FALSE(settings.MaskText);
  EXPECT_EQ(settings.Dates, true);
}

TEST_F(SettingsTest, APlacementOffEveryScreenComesBackOnThePrimaryOne) {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  placement.rcNormalPosition = {-30000, -30000, -29400, -29500};
  TSettings saved;
  saved.Placement = placement;
  ASSERT_TRUE(SaveSettings(saved));
  const TSettings back = LoadSettings();
  ASSERT_TRUE(back.Placement);
  const RECT& box = back.Placement->rcNormalPosition;
  EXPECT_NE(MonitorFromRect(&box, MONITOR_DEFAULTTONULL), nullptr);
  EXPECT_EQ(box.right - box.left, 600);
  EXPECT_EQ(box.bottom - box.top, 500);
}

// A root whose own name the code page cannot hold ("Łódź"), with a folder inside.
class TUnicodeRoot {
 public:
  TUnicodeRoot() : root_(ToWide(tree_.Root(), CP_ACP) + L"\u0141\u00f3d\u017a") {
    CreateDirectoryW(root_.c_str(), nullptr);
    CreateDirectoryW((root_ + L"\\sous").c_str(), nullptr);
  }
  const std::wstring& Root() const { return root_; }
  const test::TTempTree& Tree() const { return tree_; }

 private:
  test::TTempTree tree_;
  std::wstring root_;
};

TEST(WaysIn, AFolderOfAnyNameIsListedWithItsContents) {
  TUnicodeRoot unicode;
  test::TFormHarness harness;
  ASSERT_TRUE(harness.Form().ListFolder(unicode.Root()));
  const std::vector<std::string> lines = test::ViewLines(harness.Get(IDC_RICH_EDIT));
  ASSERT_EQ(lines.size(), 3u);
  // The header shows the root as the view shows any name: best fit, no hidden bytes.
  EXPECT_EQ(lines[0], "Arborescence a partir de: " + FromWide(unicode.Root(), CP_ACP) + "\\");
  EXPECT_EQ(lines[2], "\xC0\xC4 sous");
  EXPECT_TRUE(test::IsEnabled(harness.Get(IDC_SBN_REFRESH)));
}

TEST(WaysIn, ThePickerGivesARootOfAnyName) {
  TUnicodeRoot unicode;
  test::TFormHarness harness;
  test::TDialogDriver driver({[&unicode](HWND picker) {
    for (int i = 0; i < 100 && !test::PickerHasSelection(picker); ++i) {
      SendMessageW(picker, BFFM_SETSELECTIONW, TRUE,
                   reinterpret_cast<LPARAM>(unicode.Root().c_str()));
      if (!test::PickerHasSelection(picker)) Sleep(50);
    }
    test::PressButton(picker, IDOK);
  }});
  harness.Form().SbnSelectDirectoryClick();
  const std::vector<std::string> lines = test::ViewLines(harness.Get(IDC_RICH_EDIT));
  ASSERT_EQ(lines.size(), 3u) << (lines.empty() ? std::string() : lines[0]);
  EXPECT_EQ(lines[0], "Arborescence a partir de: " + FromWide(unicode.Root(), CP_ACP) + "\\");
  EXPECT_EQ(lines[2], "\xC0\xC4 sous");
}

TEST(WaysIn, AMissingFolderIsRefusedInABoxAndNothingRuns) {
  test::TTempTree tree;
  test::TFormHarness harness;
  std::string text;
  test::TDialogDriver driver({[&text](HWND box) {
    text = test::MessageBoxText(box);
    test::PressButton(box, IDOK);
  }});
  EXPECT_FALSE(harness.Form().ListFolder(ToWide(tree.Root() + "absent", CP_ACP)));
  EXPECT_EQ(driver.Handled(), 1);
  EXPECT_EQ(text, "Le dossier \"" + tree.Root() + "absent\" n'existe pas");
  EXPECT_TRUE(test::ViewLines(harness.Get(IDC_RICH_EDIT)).empty());
}

// What Explorer sends when items are dropped: DROPFILES and the wide paths after it.
HGLOBAL DropOf(const std::vector<std::wstring>& paths) {
  std::wstring list;
  for (const std::wstring& path : paths) list += path + L'\0';
  list += L'\0';
  HGLOBAL memory =
      GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  memcpy(drop + 1, list.data(), list.size() * sizeof(wchar_t));
  GlobalUnlock(memory);
  return memory;
}

TEST(WaysIn, ADropListsTheFirstFolderOrTheFolderOfAFile) {
  test::TTempTree tree;
  for (const char* folder : {"a", "a\\dans-a", "b", "b\\dans-b"}) tree.AddFolder(folder);
  tree.AddFile("b\\fichier.txt", 1);
  const std::wstring root = ToWide(tree.Root(), CP_ACP);
  struct TRow {
    std::vector<std::wstring> Dropped;
    std::string Listed;  // the last line
  };
  const TRow rows[] = {
      {{root + L"b\\fichier.txt", root + L"a"}, "\xC0\xC4 dans-a"},
      {{root + L"b\\fichier.txt"}, "\xC0\xC4 dans-b"},
  };
  for (const TRow& row : rows) {
    test::TFormHarness harness;
    SendMessageW(harness.Form().Handle(), WM_DROPFILES,
                 reinterpret_cast<WPARAM>(DropOf(row.Dropped)), 0);
    const std::vector<std::string> lines = test::ViewLines(harness.Get(IDC_RICH_EDIT));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), row.Listed);
  }
}

TEST_F(SettingsTest, TheWindowComesBackAsItWasLeft) {
  TStartOptions keep;
  keep.KeepSettings = true;
  {
    test::TFormHarness first(keep);
    first.Click(IDC_CBX_FILE);
    first.Click(IDC_CBX_MASK);
    SetWindowTextA(first.Get(IDC_EDT_MASK), "*.txt");
    first.Click(IDC_RGP_SORT_DATE);
    SetWindowPos(first.Form().Handle(), nullptr, 33, 44, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    SendMessageA(first.Form().Handle(), WM_CLOSE, 0, 0);
  }
  test::TFormHarness second(keep);
  EXPECT_TRUE(test::IsChecked(second.Get(IDC_CBX_FILE)));
  EXPECT_TRUE(test::IsShown(second.Get(IDC_CBX_MASK)));
  EXPECT_TRUE(test::IsShown(second.Get(IDC_EDT_MASK)));
  EXPECT_EQ(test::WindowText(second.Get(IDC_EDT_MASK)), "*.txt");
  EXPECT_TRUE(test::IsChecked(second.Get(IDC_RGP_SORT_DATE)));
  EXPECT_FALSE(test::IsChecked(second.Get(IDC_RGP_SORT_ALPHA)));
  RECT place;
  GetWindowRect(second.Form().Handle(), &place);
  EXPECT_EQ(place.left, 33);
  EXPECT_EQ(place.top, 44);
  // A window of the tests, which keeps nothing, starts as the program first does.
  test::TFormHarness fresh;
  EXPECT_FALSE(test::IsChecked(fresh.Get(IDC_CBX_FILE)));
}

}  // namespace
}  // namespace ramilux
