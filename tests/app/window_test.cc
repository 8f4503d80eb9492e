// The main window as the form table builds it: every control's initial state and place,
// the width after show, the Tab order, the visibility rules of the file options, the
// pop-up menu and hints. The ports' own behaviour is in ports_test.cc.
#include <gtest/gtest.h>
// <windows.h> comes before the other system headers.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include "app_test_support.h"
#include "resource.h"
#include "screen_dpi.h"

namespace ramilux::test {
namespace {

struct TInitialState {
  const char* Name;
  int Id;
  bool Shown;
  bool Enabled;
  const char* Text;
  int Checked;  // -1: not a check box or radio button
};

const TInitialState kInitialStates[] = {
    {"SbnSelectDirectory", IDC_SBN_SELECT_DIRECTORY, true, true, "", -1},
    {"SbnPrint", IDC_SBN_PRINT, true, false, "", -1},
    {"SbnRefresh", IDC_SBN_REFRESH, true, false, "", -1},
    {"SbnStop", IDC_SBN_STOP, false, false, "", -1},
    {"SbnFont", IDC_SBN_FONT, true, true, "", -1},
    {"CbxFile", IDC_CBX_FILE, true, true, "Fichiers", 0},
    {"CbxSize", IDC_CBX_SIZE, false, true, "Taille", 0},
    {"CbxDateTime", IDC_CBX_DATE_TIME, false, true, "Date / heure", 0},
    {"RgpSort", IDC_RGP_SORT, true, true, "Trie", -1},
    {"RgpSort Alpha", IDC_RGP_SORT_ALPHA, true, true, "Alpha", 1},
    {"RgpSort Taille", IDC_RGP_SORT_SIZE, true, true, "Taille", 0},
    {"RgpSort Date", IDC_RGP_SORT_DATE, true, true, "Date", 0},
    {"CbxMask", IDC_CBX_MASK, false, true, "Masque", 0},
    {"EdtMask", IDC_EDT_MASK, false, true, "*.htm;*.html;*.jpg", -1},
    {"CbxMinSize", IDC_CBX_MIN_SIZE, false, true, "Taille", 0},
    {"RbnLower", IDC_RBN_LOWER, false, true, "<=", 0},
    {"RbnHigher", IDC_RBN_HIGHER, false, true, ">=", 1},
    {"LblMinSize", IDC_LBL_MIN_SIZE, false, true, "Ko", -1},
    {"LblDirectory", IDC_LBL_DIRECTORY, true, true, "R\xE9pertoire s\xE9lectionn\xE9 : ", -1},
    {"LblDirectoryName", IDC_LBL_DIRECTORY_NAME, true, true, "", -1},
    {"ProgressBar", IDC_PROGRESS_BAR, false, true, "", -1},
    {"CbxTotals", IDC_CBX_TOTALS, true, true, "Totaux", 0},
    {"EdtMinSize", IDC_EDT_MIN_SIZE, false, true, "0", -1},
    {"RichEdit", IDC_RICH_EDIT, true, true, "", -1},
};

TEST(MainWindow, StartsWithEveryControlInItsInitialState) {
  TFormHarness harness;
  EXPECT_EQ(WindowText(harness.Form().Handle()), "Listeur d'arborescence");
  char className[32] = {};
  GetClassNameA(harness.Form().Handle(), className, sizeof className);
  EXPECT_STREQ(className, "TFrmMain");
  for (const TInitialState& state : kInitialStates) {
    SCOPED_TRACE(state.Name);
    HWND control = harness.Get(state.Id);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(IsShown(control), state.Shown);
    EXPECT_EQ(IsEnabled(control), state.Enabled);
    EXPECT_EQ(WindowText(control), state.Text);
    if (state.Checked >= 0) {
      EXPECT_EQ(IsChecked(control), state.Checked == 1);
    }
  }
  EXPECT_TRUE(harness.Form().Listing().Directory().empty());
  EXPECT_EQ(harness.Form().Listing().RootLength(), 0);
}

struct TPlace {
  const char* Name;
  int Id;
  int Parent;
  RECT Box;  // left, top, right, bottom at 96 dpi
};

const TPlace kPlaces[] = {
    {"SbnSelectDirectory", IDC_SBN_SELECT_DIRECTORY, IDC_PNL_BOUTONS, {8, 6, 31, 28}},
    {"SbnPrint", IDC_SBN_PRINT, IDC_PNL_BOUTONS, {40, 6, 63, 28}},
    {"SbnRefresh", IDC_SBN_REFRESH, IDC_PNL_BOUTONS, {72, 6, 95, 28}},
    {"SbnStop", IDC_SBN_STOP, IDC_PNL_BOUTONS, {72, 6, 95, 28}},
    {"SbnFont", IDC_SBN_FONT, IDC_PNL_BOUTONS, {104, 6, 127, 28}},
    {"CbxFile", IDC_CBX_FILE, IDC_PNL_BOUTONS, {168, 8, 233, 25}},
    {"RgpSort", IDC_RGP_SORT, IDC_PNL_BOUTONS, {392, 5, 521, 54}},
    {"EdtMask", IDC_EDT_MASK, IDC_PNL_BOUTONS, {240, 32, 385, 53}},
    {"RbnHigher", IDC_RBN_HIGHER, IDC_PNL_BOUTONS, {288, 61, 328, 78}},
    {"LblDirectoryName", IDC_LBL_DIRECTORY_NAME, IDC_PNL_BOUTONS, {8, 80, 361, 97}},
    {"ProgressBar", IDC_PROGRESS_BAR, IDC_PNL_BOUTONS, {368, 83, 518, 99}},
    {"CbxTotals", IDC_CBX_TOTALS, IDC_PNL_BOUTONS, {424, 60, 489, 77}},
    // A child of the window itself, lying over the panel.
    {"EdtMinSize", IDC_EDT_MIN_SIZE, IDC_FORM, {336, 58, 385, 79}},
};

TEST(MainWindow, PlacesControlsAtTheirPixelPositionsAt96Dpi) {
  TFormHarness harness;
  HDC screen = GetDC(nullptr);
  int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  if (dpi != 96) GTEST_SKIP() << "screen at " << dpi << " dpi";
  for (const TPlace& place : kPlaces) {
    SCOPED_TRACE(place.Name);
    HWND control = harness.Get(place.Id);
    EXPECT_EQ(GetParent(control), harness.Get(place.Parent));
    RECT box = PlaceIn(control, harness.Get(place.Parent));
    EXPECT_EQ(box.left, place.Box.left);
    EXPECT_EQ(box.top, place.Box.top);
    EXPECT_EQ(box.right, place.Box.right);
    EXPECT_EQ(box.bottom, place.Box.bottom);
  }
}

// A label that sizes itself shows its whole text in the font it is drawn with, whatever
// font that turns out to be and whatever the screen's density.
TEST(MainWindow, AutoSizedLabelsShowTheirWholeText) {
  const struct {
    const char* Name;
    int Id;
  } labels[] = {{"LblDirectory", IDC_LBL_DIRECTORY}};
  for (int dpi : {96, 120, 144, 192}) {
    TStartOptions options;
    options.Dpi = dpi;
    TFormHarness harness(options);
    for (const auto& label : labels) {
      SCOPED_TRACE(std::string(label.Name) + " at " + std::to_string(dpi) + " dpi");
      HWND control = harness.Get(label.Id);
      char text[256] = {};
      int length = GetWindowTextA(control, text, sizeof text);
      ASSERT_GT(length, 0);
      HDC dc = GetDC(control);
      HGDIOBJ old =
          SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0)));
      SIZE size{};
      GetTextExtentPoint32A(dc, text, length, &size);
      SelectObject(dc, old);
      ReleaseDC(control, dc);
      RECT client;
      GetClientRect(control, &client);
      EXPECT_GE(client.right, size.cx);
      EXPECT_GE(client.bottom, size.cy);
    }
  }
}

TEST(MainWindow, IsWidenedToTheSortGroupPlusTwentyAndCentredWhenShown) {
  TFormHarness harness;
  RECT outer;
  GetWindowRect(harness.Form().Handle(), &outer);
  RECT group = PlaceIn(harness.Get(IDC_RGP_SORT), harness.Get(IDC_PNL_BOUTONS));
  EXPECT_EQ(outer.right - outer.left, group.right + 20);
  HDC screen = GetDC(nullptr);
  bool at96 = GetDeviceCaps(screen, LOGPIXELSY) == 96;
  ReleaseDC(nullptr, screen);
  if (at96) {
    EXPECT_EQ(outer.right - outer.left, 541);
  }
  EXPECT_NEAR((outer.left + outer.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
  EXPECT_NEAR((outer.top + outer.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);
}

TEST(MainWindow, PanelKeepsItsHeightAndTheViewFillsTheRestOnResize) {
  TFormHarness harness;
  HWND form = harness.Form().Handle();
  for (SIZE size : {SIZE{700, 500}, SIZE{400, 300}}) {
    SetWindowPos(form, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
    RECT client;
    GetClientRect(form, &client);
    RECT panel = PlaceIn(harness.Get(IDC_PNL_BOUTONS), form);
    RECT view = PlaceIn(harness.Get(IDC_RICH_EDIT), form);
    EXPECT_EQ(panel.right - panel.left, client.right);
    EXPECT_EQ(panel.bottom - panel.top, MulDiv(101, ScreenDpi(), 96));
    EXPECT_EQ(view.top, panel.bottom);
    EXPECT_EQ(view.right, client.right);
    EXPECT_EQ(view.bottom, client.bottom);
  }
}

std::vector<int> TabStops(TFormHarness& harness, bool forward) {
  std::vector<int> visited;
  SetFocus(harness.Get(IDC_CBX_FILE));
  for (int i = 0; i < 14; ++i) {
    visited.push_back(GetDlgCtrlID(GetFocus()));
    THeldKey shift(forward ? 0 : VK_SHIFT);
    PostMessageA(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
    harness.Pump();
  }
  return visited;
}

TEST(MainWindow, TabVisitsThePanelThenTheViewThenTheMinimumSizeBox) {
  TFormHarness harness;
  EXPECT_EQ(TabStops(harness, true),
            (std::vector<int>{IDC_CBX_FILE, IDC_RGP_SORT_ALPHA, IDC_CBX_TOTALS, IDC_RICH_EDIT,
                              IDC_CBX_FILE, IDC_RGP_SORT_ALPHA, IDC_CBX_TOTALS, IDC_RICH_EDIT,
                              IDC_CBX_FILE, IDC_RGP_SORT_ALPHA, IDC_CBX_TOTALS, IDC_RICH_EDIT,
                              IDC_CBX_FILE, IDC_RGP_SORT_ALPHA}));
  for (int id : {IDC_CBX_FILE, IDC_CBX_MASK, IDC_CBX_MIN_SIZE}) harness.Click(id);
  SendMessageA(harness.Get(IDC_RGP_SORT_DATE), BM_CLICK, 0, 0);
  std::vector<int> all = TabStops(harness, true);
  all.resize(11);
  EXPECT_EQ(all, (std::vector<int>{IDC_CBX_FILE, IDC_CBX_SIZE, IDC_CBX_DATE_TIME, IDC_RGP_SORT_DATE,
                                   IDC_CBX_MASK, IDC_EDT_MASK, IDC_CBX_MIN_SIZE, IDC_RBN_HIGHER,
                                   IDC_CBX_TOTALS, IDC_RICH_EDIT, IDC_EDT_MIN_SIZE}));
  std::vector<int> backwards = TabStops(harness, false);
  backwards.resize(4);
  EXPECT_EQ(backwards,
            (std::vector<int>{IDC_CBX_FILE, IDC_EDT_MIN_SIZE, IDC_RICH_EDIT, IDC_CBX_TOTALS}));
}

TEST(MainWindow, SpeedButtonsNeverTakeTheFocus) {
  TFormHarness harness;
  SetFocus(harness.Get(IDC_CBX_FILE));
  for (int id : {IDC_SBN_SELECT_DIRECTORY, IDC_SBN_FONT}) {
    SendMessageA(harness.Get(id), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 30));
    SendMessageA(harness.Get(id), WM_LBUTTONUP, 0, MAKELPARAM(30, 30));  // outside: no click
    EXPECT_EQ(GetFocus(), harness.Get(IDC_CBX_FILE));
  }
}

// ---- visibility rules

struct TVisibility {
  bool SizeBox, DateBox, MaskBox, MinSizeBox;  // the four check boxes of the file options
  bool MaskEdit;                               // EdtMask
  bool MinSizeControls;                        // EdtMinSize, LblMinSize, RbnLower, RbnHigher
};

TVisibility Visibility(TFormHarness& harness) {
  bool minSize = IsShown(harness.Get(IDC_EDT_MIN_SIZE));
  for (int id : {IDC_LBL_MIN_SIZE, IDC_RBN_LOWER, IDC_RBN_HIGHER}) {
    EXPECT_EQ(IsShown(harness.Get(id)), minSize);
  }
  return {IsShown(harness.Get(IDC_CBX_SIZE)), IsShown(harness.Get(IDC_CBX_DATE_TIME)),
          IsShown(harness.Get(IDC_CBX_MASK)), IsShown(harness.Get(IDC_CBX_MIN_SIZE)),
          IsShown(harness.Get(IDC_EDT_MASK)), minSize};
}

bool operator==(const TVisibility& a, const TVisibility& b) {
  return a.SizeBox == b.SizeBox && a.DateBox == b.DateBox && a.MaskBox == b.MaskBox &&
         a.MinSizeBox == b.MinSizeBox && a.MaskEdit == b.MaskEdit &&
         a.MinSizeControls == b.MinSizeControls;
}

std::ostream& operator<<(std::ostream& out, const TVisibility& v) {
  return out << "size " << v.SizeBox << " date " << v.DateBox << " mask " << v.MaskBox
             << " minsize " << v.MinSizeBox << " maskedit " << v.MaskEdit << " minsizeedit "
             << v.MinSizeControls;
}

struct TVisibilityCase {
  const char* Name;
  std::vector<int> Clicks;
  TVisibility Expected;
};

const TVisibilityCase kVisibilityCases[] = {
    {"files on shows the four options", {IDC_CBX_FILE}, {1, 1, 1, 1, 0, 0}},
    {"files off again hides them", {IDC_CBX_FILE, IDC_CBX_FILE}, {0, 0, 0, 0, 0, 0}},
    {"mask on shows its box", {IDC_CBX_FILE, IDC_CBX_MASK}, {1, 1, 1, 1, 1, 0}},
    {"mask off hides it", {IDC_CBX_FILE, IDC_CBX_MASK, IDC_CBX_MASK}, {1, 1, 1, 1, 0, 0}},
    {"min size on shows its four controls", {IDC_CBX_FILE, IDC_CBX_MIN_SIZE}, {1, 1, 1, 1, 0, 1}},
    {"files off keeps the mask box on screen",
     {IDC_CBX_FILE, IDC_CBX_MASK, IDC_CBX_FILE},
     {0, 0, 0, 0, 1, 0}},
    {"files off keeps the size controls on screen",
     {IDC_CBX_FILE, IDC_CBX_MIN_SIZE, IDC_CBX_FILE},
     {0, 0, 0, 0, 0, 1}},
    {"files on again finds the options as they were",
     {IDC_CBX_FILE, IDC_CBX_MASK, IDC_CBX_MIN_SIZE, IDC_CBX_FILE, IDC_CBX_FILE},
     {1, 1, 1, 1, 1, 1}},
};

TEST(VisibilityRules, FollowTheStatesOfTheCheckBoxes) {
  for (const TVisibilityCase& test : kVisibilityCases) {
    SCOPED_TRACE(test.Name);
    TFormHarness harness;
    for (int id : test.Clicks) harness.Click(id);
    EXPECT_EQ(Visibility(harness), test.Expected);
  }
}

TEST(VisibilityRules, TheSpaceBarTogglesAFocusedCheckBoxAndRunsItsRule) {
  TFormHarness harness;
  HWND files = harness.Get(IDC_CBX_FILE);
  SetFocus(files);
  PostMessageA(files, WM_KEYDOWN, VK_SPACE, 0);
  PostMessageA(files, WM_KEYUP, VK_SPACE, 0xC0000001);
  harness.Pump();
  EXPECT_TRUE(IsChecked(files));
  EXPECT_TRUE(IsShown(harness.Get(IDC_CBX_MASK)));
}

TEST(VisibilityRules, KeepTheCheckedStatesAndTheTextsOfHiddenOptions) {
  TFormHarness harness;
  harness.Click(IDC_CBX_FILE);
  harness.Click(IDC_CBX_MASK);
  SetWindowTextA(harness.Get(IDC_EDT_MASK), "*.txt");
  harness.Click(IDC_CBX_MASK);
  harness.Click(IDC_CBX_FILE);
  harness.Click(IDC_CBX_FILE);
  EXPECT_FALSE(IsChecked(harness.Get(IDC_CBX_MASK)));
  harness.Click(IDC_CBX_MASK);
  EXPECT_TRUE(IsShown(harness.Get(IDC_EDT_MASK)));
  EXPECT_EQ(WindowText(harness.Get(IDC_EDT_MASK)), "*.txt");
}

TEST(VisibilityRules, TheSizeDirectionButtonsAreOneGroupAndTheSortItemsAnother) {
  TFormHarness harness;
  harness.Click(IDC_CBX_FILE);
  harness.Click(IDC_CBX_MIN_SIZE);
  harness.Click(IDC_RBN_LOWER);
  EXPECT_TRUE(IsChecked(harness.Get(IDC_RBN_LOWER)));
  EXPECT_FALSE(IsChecked(harness.Get(IDC_RBN_HIGHER)));
  EXPECT_TRUE(IsChecked(harness.Get(IDC_RGP_SORT_ALPHA)));
  harness.Click(IDC_RGP_SORT_SIZE);
  EXPECT_EQ(harness.Form().OptionControls().SortIndex(), 1);
  EXPECT_TRUE(IsChecked(harness.Get(IDC_RBN_LOWER)));
  EXPECT_FALSE(harness.Form().OptionControls().HigherSelected());
}

// ---- menu, hints

TEST(MainWindow, RightClickInTheViewOpensTheMenuRtfTxtAndTheImageOnlyAbout) {
  TFormHarness harness;
  HWND view = harness.Get(IDC_RICH_EDIT);
  static bool menuSeen = false;
  menuSeen = false;
  // The menu's own loop runs inside the click: a timer in it looks for the menu, then
  // closes it.
  UINT_PTR timer = SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR, DWORD) {
    HWND menu = FindWindowA("#32768", nullptr);
    if (menu && IsWindowVisible(menu)) {
      menuSeen = true;
      EndMenu();
    }
  });
  PostMessageA(view, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(20, 20));
  PostMessageA(view, WM_RBUTTONUP, 0, MAKELPARAM(20, 20));
  harness.Pump();
  KillTimer(nullptr, timer);
  EXPECT_TRUE(menuSeen);
}

TEST(MainWindow, ShowsHintsOnTheThreeButtonsThatHaveThem) {
  TFormHarness harness;
  HWND tips = nullptr;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM found) -> BOOL {
        char name[32] = {};
        GetClassNameA(window, name, sizeof name);
        if (std::string(name) == TOOLTIPS_CLASSA) *reinterpret_cast<HWND*>(found) = window;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&tips));
  ASSERT_NE(tips, nullptr);
  EXPECT_EQ(SendMessageA(tips, TTM_GETTOOLCOUNT, 0, 0), 3);
  struct {
    int Id;
    const char* Hint;
  } hints[] = {{IDC_SBN_SELECT_DIRECTORY, "Choix du r\xE9pertoire"},
               {IDC_SBN_PRINT, "Impression de l'arborescence"},
               {IDC_SBN_REFRESH, "Rafraichit l'arborescence"}};
  for (auto& hint : hints) {
    char text[80] = {};
    TTTOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.hwnd = harness.Form().Handle();
    tool.uId = reinterpret_cast<UINT_PTR>(harness.Get(hint.Id));
    tool.lpszText = text;
    SendMessageA(tips, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
    EXPECT_STREQ(text, hint.Hint);
  }
}

}  // namespace
}  // namespace ramilux::test
