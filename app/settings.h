// The settings that stay from one start to the next, under HKCU\Software\Ramilux: the
// file options, the order, the display font, the window's place and the last root.
// Each value is read on its own and only when it is there, of its type and in range;
// anything else leaves that setting at the window's start value.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace ramilux {

inline constexpr wchar_t kSettingsKey[] = L"Software\\Ramilux";

struct TSavedFont {
  std::string Face;  // ANSI, as the font dialog names it
  int Twips = 0;     // the character height, 1/1440 inch
  bool Bold = false, Italic = false, Underline = false, StrikeOut = false;
};

struct TSettings {
  std::optional<bool> Files, Sizes, Dates, Masks, MinSize, Higher;
  std::optional<std::string> MaskText, MinSizeText;  // ANSI, as the edits hold them
  std::optional<int> SortIndex;                      // 0 to 2
  std::optional<TSavedFont> Font;
  std::optional<WINDOWPLACEMENT> Placement;
  std::optional<std::wstring> LastFolder;
};

TSettings LoadSettings();
// Writes every setting that has a value; false when the key could not be written.
bool SaveSettings(const TSettings& settings);
// Forgets them all: the next start is the window's first.
bool ForgetSettings();

// A placement whose window would lie on no screen is moved onto the primary one, keeping
// its size as far as the screen allows.
WINDOWPLACEMENT OnSomeScreen(WINDOWPLACEMENT placement);

}  // namespace ramilux
