// The window's three ports, each on the controls it owns: the option controls read
// live, the run indicators' buttons, label and wait cursor, and the view's insertions,
// its replacement when a long listing is cleared and its slices during a run.
#include <gtest/gtest.h>
// <windows.h> comes before the other system headers.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <algorithm>
#include <cstring>
#include <functional>
#include <utility>

#include "app_test_support.h"
#include "resource.h"
#include "rich_edit.h"
#include "screen_dpi.h"

namespace ramilux::test {
namespace {

// ---- the option controls

// Each reading comes from its own control, at the moment it is asked for.
TEST(OptionControls, EachReadingComesFromItsOwnControl) {
  TFormHarness harness;
  TOptionControlsPort& options = harness.Form().OptionControls();
  harness.Click(IDC_CBX_FILE);
  harness.Click(IDC_CBX_MASK);
  EXPECT_TRUE(options.MaskEditShown());
  EXPECT_FALSE(options.MinSizeEditShown());
  const struct {
    const char* Name;
    int Id;
    std::function<bool()> Read;
  } boxes[] = {
      {"file", IDC_CBX_FILE, [&] { return options.FileChecked(); }},
      {"size", IDC_CBX_SIZE, [&] { return options.SizeChecked(); }},
      {"date and time", IDC_CBX_DATE_TIME, [&] { return options.DateTimeChecked(); }},
      {"higher", IDC_RBN_HIGHER, [&] { return options.HigherSelected(); }},
  };
  for (const auto& box : boxes) {
    SCOPED_TRACE(box.Name);
    for (int check : {BST_CHECKED, BST_UNCHECKED, BST_CHECKED}) {
      SendMessageA(harness.Get(box.Id), BM_SETCHECK, check, 0);
      for (const auto& other : boxes) {
        EXPECT_EQ(other.Read(), IsChecked(harness.Get(other.Id))) << other.Name;
      }
    }
  }
  const int sortItems[] = {IDC_RGP_SORT_ALPHA, IDC_RGP_SORT_SIZE, IDC_RGP_SORT_DATE};
  for (int index = 0; index < 3; ++index) {
    for (int id : sortItems) SendMessageA(harness.Get(id), BM_SETCHECK, BST_UNCHECKED, 0);
    EXPECT_EQ(options.SortIndex(), -1);
    SendMessageA(harness.Get(sortItems[index]), BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(options.SortIndex(), index);
  }
  SetWindowTextA(harness.Get(IDC_EDT_MASK), "*.txt;*.doc");
  SetWindowTextA(harness.Get(IDC_EDT_MIN_SIZE), "12,5");
  EXPECT_EQ(options.MaskText(), "*.txt;*.doc");
  EXPECT_EQ(options.MinSizeText(), "12,5");
  options.SetMinSizeText("0");
  EXPECT_EQ(WindowText(harness.Get(IDC_EDT_MIN_SIZE)), "0");
  EXPECT_EQ(WindowText(harness.Get(IDC_EDT_MASK)), "*.txt;*.doc");
}

// ---- the run indicators

// Each of the engine's buttons is its own button of the panel, and only that one.
TEST(RunIndicators, EachButtonDrivesItsOwnControl) {
  TFormHarness harness;
  const struct {
    TButton Button;
    int Id;
  } buttons[] = {{TButton::SelectDirectory, IDC_SBN_SELECT_DIRECTORY},
                 {TButton::Print, IDC_SBN_PRINT},
                 {TButton::Refresh, IDC_SBN_REFRESH},
                 {TButton::Font, IDC_SBN_FONT},
                 {TButton::Stop, IDC_SBN_STOP}};
  TRunIndicatorsPort& indicators = harness.Form().Indicators();
  for (const auto& button : buttons) {
    SCOPED_TRACE(button.Id);
    for (const auto& each : buttons) {
      indicators.EnableButton(each.Button, true);
      indicators.ShowButton(each.Button, true);
    }
    indicators.EnableButton(button.Button, false);
    indicators.ShowButton(button.Button, false);
    for (const auto& each : buttons) {
      EXPECT_EQ(IsEnabled(harness.Get(each.Id)), each.Id != button.Id) << each.Id;
      EXPECT_EQ(IsShown(harness.Get(each.Id)), each.Id != button.Id) << each.Id;
    }
  }
}

// During a run the label is paced; after it, every name shows at once.
TEST(RunIndicators, TheLabelShowsEachNameAtOnceOutsideARun) {
  TTempTree tree;
  tree.AddFolder("un");
  TFormHarness harness;
  harness.Form().Listing().SetRoot(tree.Root());
  ASSERT_TRUE(harness.Form().SbnRefreshClick());
  EXPECT_EQ(WindowText(harness.Get(IDC_LBL_DIRECTORY_NAME)), tree.Root());
  for (const char* name : {"Z:\\un\\", "Z:\\deux\\", "Z:\\trois\\"}) {
    harness.Form().Indicators().SetDirectoryLabel(name);
    EXPECT_EQ(WindowText(harness.Get(IDC_LBL_DIRECTORY_NAME)), name);
  }
}

TEST(MainWindow, TheWaitCursorCoversEveryControlDuringARun) {
  TFormHarness harness;
  HCURSOR wait = LoadCursorA(nullptr, IDC_WAIT);
  harness.Form().Indicators().SetWaitCursor(true);
  for (int id : {IDC_FORM, IDC_RICH_EDIT, IDC_PNL_BOUTONS, IDC_CBX_FILE, IDC_EDT_MIN_SIZE,
                 IDC_SBN_FONT, IDC_RGP_SORT_ALPHA}) {
    SCOPED_TRACE(id);
    HWND control = harness.Get(id);
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    SendMessageA(control, WM_SETCURSOR, reinterpret_cast<WPARAM>(control),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), wait);
  }
  harness.Form().Indicators().SetWaitCursor(false);
  HWND view = harness.Get(IDC_RICH_EDIT);
  SendMessageA(view, WM_SETCURSOR, reinterpret_cast<WPARAM>(view),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_NE(GetCursor(), wait);
}

// ---- the view

TEST(View, IsReadOnlyWithBothScrollBarsAlwaysNoWrapAndTheLargeTextLimit) {
  TFormHarness harness;
  HWND view = harness.Get(IDC_RICH_EDIT);
  LONG empty = GetWindowLongA(view, GWL_STYLE);
  EXPECT_TRUE(empty & ES_READONLY);
  EXPECT_TRUE(empty & WS_HSCROLL) << "shown, greyed, before any text";
  EXPECT_TRUE(empty & WS_VSCROLL) << "shown, greyed, before any text";
  EXPECT_EQ(rich_edit::TextLimit(view), 0x7FFFFFFD);
  std::string error;
  ASSERT_TRUE(harness.Form().View().ReplaceSelection(std::string(600, 'w') + "\r\n", error));
  EXPECT_EQ(harness.Form().View().ViewLineCount(), 1);  // one long line, not wrapped
  std::string lines;
  for (int i = 0; i < 100; ++i) lines += "ligne\r\n";
  ASSERT_TRUE(harness.Form().View().ReplaceSelection(lines, error));
  harness.Pump();
  LONG style = GetWindowLongA(view, GWL_STYLE);
  EXPECT_TRUE(style & WS_HSCROLL);
  EXPECT_TRUE(style & WS_VSCROLL);
}

// The control at its text limit inserts only what still fits (the view's real limit is
// out of reach in a test): this stands for it with a limit of 20 characters.
LRESULT CALLBACK InsertUpToTwenty(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                  DWORD_PTR) {
  if (message == EM_REPLACESEL) {
    std::string text = reinterpret_cast<const char*>(lParam);
    size_t room = 20 - std::min<size_t>(20, GetWindowTextLengthA(window));
    text.resize(std::min(room, text.size()));
    return DefSubclassProc(window, message, wParam, reinterpret_cast<LPARAM>(text.c_str()));
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

TEST(View, InsertionCountsCrLfAsTwoAndTakesBackAnInsertionCutShort) {
  TFormHarness harness;
  TFrmMain& form = harness.Form();
  HWND view = harness.Get(IDC_RICH_EDIT);
  std::string error;
  ASSERT_TRUE(form.View().ReplaceSelection("un\r\ndeux\r\n", error));
  EXPECT_EQ(form.View().ViewTextLength(), 10);
  EXPECT_EQ(form.View().ViewLineCount(), 2);
  SetWindowSubclass(view, InsertUpToTwenty, 1, 0);
  form.View().SetCaret(form.View().ViewTextLength());
  EXPECT_FALSE(form.View().ReplaceSelection("trois quatre cinq\r\n", error));
  EXPECT_EQ(error, "Erreur d'insertion de ligne RichEdit");
  EXPECT_EQ(rich_edit::Text(view), "un\r\ndeux\r\n");
  EXPECT_TRUE(form.View().ReplaceSelection("trois\r\n", error));
  EXPECT_EQ(rich_edit::Text(view), "un\r\ndeux\r\ntrois\r\n");
  RemoveWindowSubclass(view, InsertUpToTwenty, 1);
}

TEST(View, ClearingALongListingKeepsTheFontTheLimitTheFocusAndTheTabOrder) {
  TFormHarness harness;
  TFrmMain& form = harness.Form();
  CHARFORMATA courier{};
  courier.dwMask = CFM_FACE;
  lstrcpynA(courier.szFaceName, "Courier New", LF_FACESIZE);
  rich_edit::SetCharFormat(harness.Get(IDC_RICH_EDIT), courier);
  std::string lines, error;
  for (int i = 0; i < 3000; ++i) lines += "ligne " + std::to_string(i) + "\r\n";
  ASSERT_TRUE(form.View().ReplaceSelection(lines, error));
  form.View().FocusView();
  const HWND full = harness.Get(IDC_RICH_EDIT);
  form.View().ClearView();
  // The full view is out of sight and out of the form at once, and goes on its own
  // thread before more text goes in.
  EXPECT_FALSE(IsWindowVisible(full));
  EXPECT_FALSE(IsChild(form.Handle(), full));
  HWND view = harness.Get(IDC_RICH_EDIT);
  EXPECT_EQ(rich_edit::TextLength(view), 0);
  EXPECT_STREQ(rich_edit::CharFormat(view).szFaceName, "Courier New");
  EXPECT_EQ(rich_edit::TextLimit(view), 0x7FFFFFFD);
  EXPECT_EQ(GetFocus(), view);
  RECT box = PlaceIn(view, form.Handle());
  EXPECT_EQ(box.top, MulDiv(101, ScreenDpi(), 96));
  // Fichiers, the sort, Totaux, then the view.
  SetFocus(harness.Get(IDC_CBX_FILE));
  for (int i = 0; i < 3; ++i) {
    PostMessageA(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
    harness.Pump();
  }
  EXPECT_EQ(GetFocus(), view);
  ASSERT_TRUE(form.View().ReplaceSelection("suite\r\n", error));  // once the full view is gone
  EXPECT_FALSE(IsWindow(full));
  EXPECT_EQ(form.View().ViewLineCount(), 1);
  EXPECT_EQ(rich_edit::Text(harness.Get(IDC_RICH_EDIT)), "suite\r\n");  // the form's view
}

// ---- the view during a run

// A listing of some 50 KiB: one block of the output, which the view takes in several
// slices.
class TLongTree : public TTempTree {
 public:
  static constexpr int kFiles = 600;
  TLongTree() {
    for (int i = 0; i < kFiles; ++i) {
      AddFile("fichier au nom assez long pour remplir une ligne de la vue " +
                  std::to_string(1000 + i) + ".txt",
              0);
    }
  }
};

// Calls `action` once, at the view's first insertion of more than a few lines.
void AtFirstLongInsertion(HWND view, std::function<void()>* action) {
  SetWindowSubclass(
      view,
      [](HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
         DWORD_PTR data) -> LRESULT {
        auto* pending = reinterpret_cast<std::function<void()>*>(data);
        if (message == EM_REPLACESEL && *pending &&
            std::strlen(reinterpret_cast<const char*>(lParam)) > 1000) {
          std::exchange(*pending, nullptr)();
        }
        return DefSubclassProc(window, message, wParam, lParam);
      },
      3, reinterpret_cast<DWORD_PTR>(action));
}

// Input is heard while a long block goes in, not only after it: a message posted at the
// first slice is handled with part of the block in the view.
TEST(ListingRun, InputIsHeardWhileALongBlockGoesIntoTheView) {
  TLongTree tree;
  TFormHarness harness;
  harness.Click(IDC_CBX_FILE);
  harness.Form().Listing().SetRoot(tree.Root());
  HWND view = harness.Get(IDC_RICH_EDIT);
  TProbe probe;
  int64_t linesWhenHeard = -1;
  std::function<void()> postProbe = [&] {
    probe.Post([&] { linesWhenHeard = rich_edit::LineCount(view); });
  };
  AtFirstLongInsertion(view, &postProbe);
  ASSERT_TRUE(harness.Form().SbnRefreshClick());
  const int64_t lines = 2 + TLongTree::kFiles;
  EXPECT_EQ(probe.Ran(), 1);
  EXPECT_GT(linesWhenHeard, 2);
  EXPECT_LT(linesWhenHeard, lines);
  EXPECT_EQ(static_cast<int64_t>(ViewLines(view).size()), lines);
}

// A click at the view's top left puts its caret before the header.
void ClickViewCorner(HWND view) {
  PostMessageA(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  PostMessageA(view, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
}

// A click in the view during the output moves its caret; the lines that follow still go
// at the end, so the listing is the same as one left alone. The click comes between two
// slices of a block, or before the first block.
TEST(ListingRun, AClickInTheViewDuringTheOutputLeavesTheListingInOrder) {
  TLongTree tree;
  TFormHarness harness;
  harness.Click(IDC_CBX_FILE);
  harness.Form().Listing().SetRoot(tree.Root());
  static HWND view;
  view = harness.Get(IDC_RICH_EDIT);  // empty: the first run keeps it
  std::function<void()> clickAtSlice = [] { ClickViewCorner(view); };
  AtFirstLongInsertion(view, &clickAtSlice);
  ASSERT_TRUE(harness.Form().SbnRefreshClick());
  EXPECT_FALSE(clickAtSlice);  // it ran
  const std::string clickedAtSlice = rich_edit::Text(harness.Get(IDC_RICH_EDIT));

  ASSERT_TRUE(harness.Form().SbnRefreshClick());
  const std::string alone = rich_edit::Text(harness.Get(IDC_RICH_EDIT));
  ASSERT_GT(alone.size(), 40000u);
  EXPECT_EQ(clickedAtSlice, alone);

  // The view is made afresh by each run now: the click goes to the current one.
  TFrmMain& form = harness.Form();
  std::function<void()> click = [&form] { ClickViewCorner(form.Control(IDC_RICH_EDIT)); };
  AtFirstProgressStep(harness.Get(IDC_PROGRESS_BAR), &click);
  ASSERT_TRUE(harness.Form().SbnRefreshClick());
  EXPECT_FALSE(click);  // clicked
  EXPECT_EQ(rich_edit::Text(harness.Get(IDC_RICH_EDIT)), alone);
}

// A second run replaces the first listing whole, whether the view was emptied in place
// (a short listing) or by a fresh view (a long one); a second run stopped in its walk
// leaves the view empty and Print disabled.
TEST(ListingRun, ASecondRunReplacesTheFirstListingOrLeavesTheViewEmptyWhenStopped) {
  const struct {
    const char* What;
    bool Files;  // 602 lines with files, the header alone without
    bool Stop;
  } kRows[] = {
      {"short, run again", false, false},
      {"long, run again", true, false},
      {"short, stopped in the walk", false, true},
      {"long, stopped in the walk", true, true},
  };
  TLongTree tree;
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.What);
    TFormHarness harness;
    if (row.Files) harness.Click(IDC_CBX_FILE);
    harness.Form().Listing().SetRoot(tree.Root());
    ASSERT_TRUE(harness.Form().SbnRefreshClick());
    const std::string first = rich_edit::Text(harness.Get(IDC_RICH_EDIT));
    ASSERT_EQ(ViewLines(harness.Get(IDC_RICH_EDIT)).size(), row.Files ? 602u : 2u);
    TProbe probe;
    if (row.Stop) probe.Post([&] { harness.Click(IDC_SBN_STOP); });
    ASSERT_TRUE(harness.Form().SbnRefreshClick());
    EXPECT_EQ(probe.Ran(), row.Stop ? 1 : 0);
    EXPECT_EQ(rich_edit::Text(harness.Get(IDC_RICH_EDIT)), row.Stop ? std::string() : first);
    EXPECT_EQ(IsEnabled(harness.Get(IDC_SBN_PRINT)), !row.Stop);
  }
}

}  // namespace
}  // namespace ramilux::test
