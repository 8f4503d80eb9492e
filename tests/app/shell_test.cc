// The ways into the window from Windows: the start's arguments, Explorer's entries and
// the settings kept in the registry, each read back as Windows would.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "command_line.h"
#include "explorer_menu.h"
#include "settings.h"

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

}  // namespace
}  // namespace ramilux
