// The font button: the real font dialog (screen and printer fonts) driven from a helper
// thread; the view's font read back after each Apply, OK and Cancel.
#include <windows.h>
// dlgs.h needs the types of windows.h.
#include <dlgs.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "error_box.h"
#include "font_choice.h"
#include "font_printer.h"
#include "printer.h"
#include "rich_edit.h"
#include "save_harness.h"

namespace ramilux::test {
namespace {

// The view's font as the tests compare it.
struct ViewFont {
  std::string face;
  int points;
  int charset;
  bool bold;
  bool italic;
  bool operator==(const ViewFont&) const = default;
};

std::ostream& operator<<(std::ostream& out, const ViewFont& font) {
  return out << font.face << " " << font.points << "pt charset " << font.charset
             << (font.bold ? " bold" : "") << (font.italic ? " italic" : "");
}

ViewFont ReadViewFont(HWND view) {
  CHARFORMATA format = rich_edit::CharFormat(view);
  return {format.szFaceName, static_cast<int>(format.yHeight / 20), format.bCharSet,
          (format.dwEffects & CFE_BOLD) != 0, (format.dwEffects & CFE_ITALIC) != 0};
}

// What the open dialog shows.
struct Shown {
  std::string face;
  int points;
  int charset;
};

LRESULT SelectedData(HWND dialog, int id) {
  LRESULT index = SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0);
  return index == CB_ERR ? CB_ERR : SendDlgItemMessageA(dialog, id, CB_GETITEMDATA, index, 0);
}

Shown ReadDialog(HWND dialog) {
  return {ItemText(dialog, cmb1), std::atoi(ItemText(dialog, cmb3).c_str()),
          static_cast<int>(SelectedData(dialog, cmb5))};
}

// Selects the first item of a combo box for which `wanted` holds, as the user would.
template <typename Predicate>
bool Select(HWND dialog, int id, Predicate wanted) {
  HWND combo = GetDlgItem(dialog, id);
  LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    char text[256] = {};
    SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    if (!wanted(std::string(text), SendMessageA(combo, CB_GETITEMDATA, i, 0))) continue;
    SendMessageA(combo, CB_SETCURSEL, i, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
    return true;
  }
  return false;
}

// Chooses face, size, style and script in the dialog (charset -1: leave the script).
bool Choose(HWND dialog, const ViewFont& font) {
  bool ok =
      Select(dialog, cmb1, [&](const std::string& text, LRESULT) { return text == font.face; });
  ok = ok && Select(dialog, cmb2, [&](const std::string&, LRESULT data) {
         return (LOWORD(data) > FW_NORMAL) == font.bold && (HIWORD(data) != 0) == font.italic;
       });
  ok = ok && Select(dialog, cmb3, [&](const std::string& text, LRESULT) {
         return std::atoi(text.c_str()) == font.points;
       });
  if (ok && font.charset >= 0) {
    ok = Select(dialog, cmb5,
                [&](const std::string&, LRESULT data) { return data == font.charset; });
  }
  return ok;
}

void PressApply(HWND dialog) {  // sent: the view has the font when it returns
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(psh3, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, psh3)));
}

class FontChoice : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { printer_ = EnsureDefaultPrinter(); }
  void SetUp() override {
    ASSERT_FALSE(printer_.empty()) << "no default printer and none could be added";
    view_.AddLines(SampleListing());
    text_ = WindowText(view_.view());
  }
  void TearDown() override { EXPECT_EQ(WindowText(view_.view()), text_) << "text changed"; }

  HWND view() const { return view_.view(); }
  void Open() { SbnFontClick(view_.owner(), view_.view()); }

  static std::string printer_;
  ViewWindow view_{kSampleFace};
  std::string text_;
};

std::string FontChoice::printer_;

TEST_F(FontChoice, ApplyFollowsEachChoiceAndCancelKeepsTheLast) {
  const ViewFont choices[] = {
      {"DejaVu Serif", 14, ANSI_CHARSET, false, false},
      {"DejaVu Sans", 11, EASTEUROPE_CHARSET, true, false},
      {"DejaVu Sans Mono", 20, RUSSIAN_CHARSET, true, true},
  };
  std::vector<ViewFont> applied;
  bool applyShown = false, effectsShown = true;
  DialogScript script([&](DWORD ui) {
    HWND dialog = WaitForDialog(ui);
    ASSERT_NE(dialog, nullptr);
    applyShown = IsWindowVisible(GetDlgItem(dialog, psh3));
    effectsShown = IsWindowVisible(GetDlgItem(dialog, chx2));
    for (const ViewFont& choice : choices) {
      EXPECT_TRUE(Choose(dialog, choice)) << choice;
      PressApply(dialog);
      applied.push_back(ReadViewFont(view()));
    }
    EXPECT_TRUE(IsWindowVisible(dialog)) << "Apply closed the dialog";
    PressButton(dialog, IDCANCEL);
  });
  Open();
  script.Finish();
  EXPECT_TRUE(applyShown);
  EXPECT_FALSE(effectsShown);
  ASSERT_EQ(applied.size(), std::size(choices));
  for (size_t i = 0; i < applied.size(); ++i) EXPECT_EQ(applied[i], choices[i]) << i;
  EXPECT_EQ(ReadViewFont(view()), choices[2]);
  // No colour in the dialog: the view keeps the colour it had.
  EXPECT_EQ(rich_edit::CharFormat(view()).crTextColor, GetSysColor(COLOR_WINDOWTEXT));
}

TEST_F(FontChoice, OkSetsTheChoiceShownThen) {
  const ViewFont applied{"DejaVu Serif", 12, ANSI_CHARSET, false, false};
  const ViewFont final{"DejaVu Sans", 16, ANSI_CHARSET, false, true};
  DialogScript script([&](DWORD ui) {
    HWND dialog = WaitForDialog(ui);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(Choose(dialog, applied));
    PressApply(dialog);
    EXPECT_TRUE(Choose(dialog, final));
    PressButton(dialog, IDOK);
  });
  Open();
  script.Finish();
  EXPECT_EQ(ReadViewFont(view()), final);
}

// Each opening starts from the view's font, also after a Cancel that left a different
// choice in the dialog.
TEST_F(FontChoice, OpensOnTheCurrentDisplayFontEveryTime) {
  struct Row {
    const char* face;
    int points;
  } rows[] = {{"DejaVu Serif", 12}, {"DejaVu Sans Mono", 9}, {"DejaVu Sans", 24}};
  for (const Row& row : rows) {
    view_.SetFont(row.face, row.points, ANSI_CHARSET);
    Shown shown{};
    DialogScript script([&](DWORD ui) {
      HWND dialog = WaitForDialog(ui);
      ASSERT_NE(dialog, nullptr);
      shown = ReadDialog(dialog);
      EXPECT_TRUE(Choose(dialog, {"DejaVu Serif", 36, -1, true, true}));
      PressButton(dialog, IDCANCEL);
    });
    Open();
    script.Finish();
    EXPECT_EQ(shown.face, row.face);
    EXPECT_EQ(shown.points, row.points) << row.face;
    EXPECT_EQ(shown.charset, ANSI_CHARSET) << row.face;
    EXPECT_EQ(ReadViewFont(view()), (ViewFont{row.face, row.points, ANSI_CHARSET, false, false}));
  }
}

TEST_F(FontChoice, ApplyOfAnUnknownFaceIsRefusedAndTheDialogStaysOpen) {
  const ViewFont before = ReadViewFont(view());
  std::string error, caption;
  bool openAfterError = false;
  DialogScript script([&](DWORD ui) {
    HWND dialog = WaitForDialog(ui);
    ASSERT_NE(dialog, nullptr);
    // A name typed that matches no listed face, then another size picked.
    SendDlgItemMessageA(dialog, cmb1, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    SetDlgItemTextA(dialog, cmb1, "Police Inexistante");
    Select(dialog, cmb3,
           [](const std::string& text, LRESULT) { return std::atoi(text.c_str()) == 12; });
    PressButton(dialog, psh3);
    HWND box = WaitForDialog(ui, dialog);
    ASSERT_NE(box, nullptr);
    error = MessageBoxText(box);
    caption = WindowText(box);
    PressButton(box, IDOK);
    WaitClosed(box);
    openAfterError = WaitForDialog(ui, box, 3000) == dialog;
    PressButton(dialog, IDCANCEL);
  });
  Open();
  script.Finish();
  EXPECT_EQ(error,
            "Aucune police install\xE9"
            "e ne porte le nom \"Police Inexistante\"");
  EXPECT_EQ(caption, ApplicationTitle());
  EXPECT_TRUE(openAfterError);
  EXPECT_EQ(ReadViewFont(view()), before);
}

TEST_F(FontChoice, WithoutAPrinterTheDialogDoesNotOpen) {
  const ViewFont before = ReadViewFont(view());
  NoDefaultPrinter noPrinter;
  ASSERT_EQ(DefaultPrinterName(), "");
  std::string error, caption;
  bool fontDialog = true;
  DialogScript script([&](DWORD ui) {
    HWND box = WaitForDialog(ui);
    ASSERT_NE(box, nullptr);
    fontDialog = GetDlgItem(box, cmb1) != nullptr;
    error = MessageBoxText(box);
    caption = WindowText(box);
    PressButton(box, IDOK);
  });
  Open();
  script.Finish();
  EXPECT_FALSE(fontDialog);
  EXPECT_EQ(error,
            "Aucune imprimante par d\xE9"
            "faut s\xE9lectionn\xE9"
            "e");
  EXPECT_EQ(caption, ApplicationTitle());
  EXPECT_EQ(ReadViewFont(view()), before);
}

// The print dialog's choice as the printer layer receives it; an empty name goes back
// to the default printer.
void ChoosePrinter(const std::string& device) {
  std::vector<char> block(sizeof(DEVNAMES));
  auto* names = reinterpret_cast<DEVNAMES*>(block.data());
  names->wDriverOffset = names->wOutputOffset = static_cast<WORD>(block.size());
  names->wDeviceOffset = static_cast<WORD>(block.size() + 1);
  block.push_back('\0');
  block.insert(block.end(), device.begin(), device.end());
  block.push_back('\0');
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, block.size());
  std::memcpy(GlobalLock(memory), block.data(), block.size());
  GlobalUnlock(memory);
  ThePrinter().Choose(memory, nullptr);
  GlobalFree(memory);
}

// The dialog lists the fonts of the printer chosen for printing, which need not be the
// default one, nor need there be a default at all.
TEST_F(FontChoice, OpensOnTheChosenPrinterWhenThereIsNoDefault) {
  ChoosePrinter(printer_);
  NoDefaultPrinter noPrinter;
  ASSERT_EQ(DefaultPrinterName(), "");
  bool fontDialog = false;
  DialogScript script([&](DWORD ui) {
    HWND dialog = WaitForDialog(ui);
    ASSERT_NE(dialog, nullptr);
    fontDialog = GetDlgItem(dialog, cmb1) != nullptr;
    PressButton(dialog, IDCANCEL);
  });
  Open();
  script.Finish();
  ChoosePrinter("");
  EXPECT_TRUE(fontDialog);
}

}  // namespace
}  // namespace ramilux::test
