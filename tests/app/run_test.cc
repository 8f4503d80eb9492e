// Listing runs in the real window on real folders: the button states before, during and
// after a run, Stop in the walk and in the output, the full text of a run compared line
// by line, and a run that fails never leaving the window locked.
#include <gtest/gtest.h>
// <windows.h> comes before the other system headers.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <atomic>
#include <functional>
#include <memory>
#include <stdexcept>
#include <utility>

#include "app_test_support.h"
#include "platform.h"
#include "resource.h"
#include "rich_edit.h"

namespace ramilux::test {
namespace {

struct TButtonStates {
  bool SelectDirectory, Print, Refresh, RefreshShown, Stop, StopShown, Font, Wait;
};

bool operator==(const TButtonStates& a, const TButtonStates& b) {
  return a.SelectDirectory == b.SelectDirectory && a.Print == b.Print && a.Refresh == b.Refresh &&
         a.RefreshShown == b.RefreshShown && a.Stop == b.Stop && a.StopShown == b.StopShown &&
         a.Font == b.Font && a.Wait == b.Wait;
}

std::ostream& operator<<(std::ostream& out, const TButtonStates& s) {
  return out << "select " << s.SelectDirectory << " print " << s.Print << " refresh " << s.Refresh
             << "/" << s.RefreshShown << " stop " << s.Stop << "/" << s.StopShown << " font "
             << s.Font << " wait " << s.Wait;
}

TButtonStates States(TFormHarness& harness) {
  return {IsEnabled(harness.Get(IDC_SBN_SELECT_DIRECTORY)),
          IsEnabled(harness.Get(IDC_SBN_PRINT)),
          IsEnabled(harness.Get(IDC_SBN_REFRESH)),
          IsShown(harness.Get(IDC_SBN_REFRESH)),
          IsEnabled(harness.Get(IDC_SBN_STOP)),
          IsShown(harness.Get(IDC_SBN_STOP)),
          IsEnabled(harness.Get(IDC_SBN_FONT)),
          harness.Form().Indicators().WaitCursorShown() &&
              GetCursor() == LoadCursorA(nullptr, IDC_WAIT)};
}

constexpr TButtonStates kAtStart{true, false, false, true, false, false, true, false};
constexpr TButtonStates kRunning{false, false, false, false, true, true, false, true};
constexpr TButtonStates kIdleWithListing{true, true, true, true, false, false, true, false};
constexpr TButtonStates kIdleEmptyView{true, false, true, true, false, false, true, false};

// The tree of the worked example, with known sizes and times.
class TExampleTree : public TTempTree {
 public:
  TExampleTree() {
    AddFolder("docs");
    AddFile("docs\\plan.doc", 300);
    AddFile("docs\\empty.txt", 0);
    AddFolder("docs\\old");
    AddFile("docs\\old\\x.doc", 10);
    AddFile("notes.txt", 50);
    AddFile("readme.txt", 1500);
    AddFile("zero.txt", 0);
    SetTime("docs\\plan.doc", 2003, 2, 20, 17, 30, 0);
    SetTime("docs\\empty.txt", 2003, 1, 5, 8, 0, 0);
    SetTime("docs\\old\\x.doc", 2003, 1, 10, 11, 0, 4);
    SetTime("docs\\old", 2003, 1, 10, 11, 0, 4);
    SetTime("docs", 2003, 1, 2, 0, 0, 0);
    SetTime("notes.txt", 2003, 3, 14, 9, 5, 12);
    SetTime("readme.txt", 2003, 3, 14, 9, 5, 14);
    SetTime("zero.txt", 2003, 1, 5, 8, 0, 0);
  }
};

void StartAt(TFormHarness& harness, const std::string& root) {
  harness.Form().Listing().SetRoot(root);
}

TEST(ListingRun, WritesTheWholeListingWithConnectorsSizesAndDates) {
  TExampleTree tree;
  TFormHarness harness;
  for (int id : {IDC_CBX_FILE, IDC_CBX_SIZE, IDC_CBX_DATE_TIME}) harness.Click(id);
  StartAt(harness, tree.Root());
  harness.Click(IDC_SBN_REFRESH);  // still disabled: no run
  EXPECT_EQ(rich_edit::TextLength(harness.Get(IDC_RICH_EDIT)), 0);
  ASSERT_TRUE(harness.Form().SbnRefreshClick());

  const std::vector<std::string> expected = {
      "Arborescence a partir de: " + tree.Root(),
      " ",
      "\xC3\xC4 notes.txt  0,05 Ko  14/03/2003 09:05:12",
      "\xC3\xC4 readme.txt  1,46 Ko  14/03/2003 09:05:14",
      "\xC3\xC4 docs  02/01/2003",
      "\xB3  \xC3\xC4 plan.doc  0,29 Ko  20/02/2003 17:30:00",
      "\xB3  \xC3\xC4 empty.txt  05/01/2003 08:00:00",
      "\xB3  \xC0\xC4 old  10/01/2003 11:00:04",
      "\xB3     \xC0\xC4 x.doc  0,01 Ko  10/01/2003 11:00:04",
      "\xC0\xC4 zero.txt  05/01/2003 08:00:00",
  };
  std::vector<std::string> lines = ViewLines(harness.Get(IDC_RICH_EDIT));
  ASSERT_EQ(lines.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(lines[i], expected[i]) << "line " << i;

  EXPECT_EQ(WindowText(harness.Get(IDC_LBL_DIRECTORY_NAME)), tree.Root());
  EXPECT_EQ(rich_edit::Selection(harness.Get(IDC_RICH_EDIT)).cpMin, 0);
  EXPECT_EQ(rich_edit::Selection(harness.Get(IDC_RICH_EDIT)).cpMax, 0);
  EXPECT_EQ(GetFocus(), harness.Get(IDC_RICH_EDIT));
  EXPECT_FALSE(IsShown(harness.Get(IDC_PROGRESS_BAR)));
  EXPECT_EQ(States(harness), kIdleWithListing);
}

// The box is read at the run's start: with it on and "Fichiers" off, the files are still
// counted in each folder's totals.
TEST(ListingRun, TotalsBoxPutsWhatEachFolderHoldsOnItsLine) {
  TExampleTree tree;
  TFormHarness harness;
  harness.Click(IDC_CBX_TOTALS);
  StartAt(harness, tree.Root());
  ASSERT_TRUE(harness.Form().SbnRefreshClick());
  EXPECT_EQ(ViewLines(harness.Get(IDC_RICH_EDIT)),
            (std::vector<std::string>{
                "Arborescence a partir de: " + tree.Root() + "  1,82 Ko  6 fichiers  2 dossiers",
                " ", "\xC0\xC4 docs  0,30 Ko  3 fichiers  1 dossier",
                "   \xC0\xC4 old  0,01 Ko  1 fichier  0 dossier"}));
}

TEST(ListingRun, LocksTheButtonsAndShowsTheWaitCursorWhileItRuns) {
  TExampleTree tree;
  TFormHarness harness;
  EXPECT_EQ(States(harness), kAtStart);
  StartAt(harness, tree.Root());
  TProbe probe;
  TButtonStates during{};
  probe.Post([&] { during = States(harness); });
  EXPECT_TRUE(harness.Form().SbnRefreshClick());
  EXPECT_EQ(probe.Ran(), 1);
  EXPECT_EQ(during, kRunning);
  EXPECT_EQ(States(harness), kIdleWithListing);
}

TEST(ListingRun, StopDuringTheWalkLeavesTheViewEmptyAndPrintDisabled) {
  TExampleTree tree;
  TFormHarness harness;
  StartAt(harness, tree.Root());
  ASSERT_TRUE(harness.Form().SbnRefreshClick());
  ASSERT_GT(harness.Form().View().ViewLineCount(), 0);

  TProbe probe;
  probe.Post([&] {
    harness.Click(IDC_SBN_STOP);  // the mouse on Stop, seen at the walk's next poll
    harness.Click(IDC_SBN_STOP);
  });
  harness.Click(IDC_SBN_REFRESH);
  EXPECT_EQ(probe.Ran(), 1);
  EXPECT_TRUE(harness.Form().Listing().StopRequested());
  EXPECT_EQ(rich_edit::TextLength(harness.Get(IDC_RICH_EDIT)), 0);
  EXPECT_EQ(WindowText(harness.Get(IDC_LBL_DIRECTORY_NAME)), tree.Root());
  EXPECT_EQ(States(harness), kIdleEmptyView);
}

TEST(ListingRun, StopDuringTheOutputDoesNotShortenTheListing) {
  TExampleTree tree;
  TFormHarness harness;
  StartAt(harness, tree.Root());
  // Stop is pressed at the output's first step.
  const HWND stop = harness.Get(IDC_SBN_STOP);
  std::function<void()> press = [stop] { PostMessageA(stop, BM_CLICK, 0, 0); };
  AtFirstProgressStep(harness.Get(IDC_PROGRESS_BAR), &press);
  ASSERT_TRUE(harness.Form().SbnRefreshClick());
  EXPECT_TRUE(harness.Form().Listing().StopRequested());
  EXPECT_FALSE(press);                                               // pressed
  EXPECT_EQ(ViewLines(harness.Get(IDC_RICH_EDIT)).size(), 2u + 2u);  // header, docs, old
  EXPECT_EQ(States(harness), kIdleWithListing);

  ASSERT_TRUE(harness.Form().SbnRefreshClick());  // the next run starts with the flag clear
  EXPECT_EQ(ViewLines(harness.Get(IDC_RICH_EDIT)).size(), 4u);
}

// The platform's collation (the sort's only use of it), that sends one message from the
// sort's thread at its first comparison and waits up to 5 s for the window to take it,
// then counts the comparisons made after: all of them when the window answers during the
// sort, none when it answers only after it.
class TSlowCollation : public TTextServices {
 public:
  explicit TSlowCollation(std::function<void()> atFirst) : atFirst_(std::move(atFirst)) {}
  TEncoding Encoding() const override { return real_->Encoding(); }
  void Lower(std::string& text) const override { real_->Lower(text); }
  int Compare(std::string_view a, std::string_view b) const override {
    if (calls_++ == 0) {
      Heard = false;  // what the walk painted is not counted
      atFirst_();
      for (int waited = 0; !Heard && waited < 5000; ++waited) Sleep(1);
    }
    if (Heard) ++AfterHeard;
    return real_->Compare(a, b);
  }
  std::string DecimalSeparator() const override { return real_->DecimalSeparator(); }
  std::string FormatShortDate(const TDateTime& when) const override {
    return real_->FormatShortDate(when);
  }
  std::string FormatLongTime(const TDateTime& when) const override {
    return real_->FormatLongTime(when);
  }

  mutable std::atomic<bool> Heard{false};
  mutable std::atomic<int> AfterHeard{0};

 private:
  std::unique_ptr<TTextServices> real_ = NewPlatformTextServices();
  std::function<void()> atFirst_;
  mutable std::atomic<int> calls_{0};
};

LRESULT CALLBACK NoteHeard(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR heard,
                           DWORD_PTR awaited) {
  if (message == awaited) reinterpret_cast<TSlowCollation*>(heard)->Heard = true;
  return DefSubclassProc(window, message, wParam, lParam);
}

// The window answers while the sort works, and the sort's listing is the whole one: a
// Stop heard there is not consulted, as in the output; the flag stays set after it.
TEST(ListingRun, InputAndPaintingAreAnsweredDuringTheSortAndTheListingIsWhole) {
  const struct {
    const char* What;
    int Control;
    UINT Awaited;
    bool Stopped;
  } kRows[] = {
      {"Stop clicked", IDC_SBN_STOP, BM_CLICK, true},
      {"label painted", IDC_LBL_DIRECTORY_NAME, WM_PAINT, false},
  };
  TExampleTree tree;
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.What);
    HWND target = nullptr;
    auto owned = std::make_unique<TSlowCollation>([&target, row] {
      if (row.Awaited == BM_CLICK) PostMessageA(target, BM_CLICK, 0, 0);
      if (row.Awaited == WM_PAINT) InvalidateRect(target, nullptr, TRUE);
    });
    TSlowCollation& collation = *owned;
    TFormHarness harness({}, nullptr, std::move(owned));
    for (int id : {IDC_CBX_FILE, IDC_CBX_SIZE, IDC_CBX_DATE_TIME}) harness.Click(id);
    StartAt(harness, tree.Root());
    harness.Pump();
    target = harness.Get(row.Control);
    SetWindowSubclass(target, NoteHeard, reinterpret_cast<UINT_PTR>(&collation), row.Awaited);
    ASSERT_TRUE(harness.Form().SbnRefreshClick());
    RemoveWindowSubclass(target, NoteHeard, reinterpret_cast<UINT_PTR>(&collation));
    EXPECT_TRUE(collation.Heard);
    EXPECT_GT(collation.AfterHeard, 0);  // heard while the sort still compared
    EXPECT_EQ(harness.Form().Listing().StopRequested(), row.Stopped);
    EXPECT_EQ(ViewLines(harness.Get(IDC_RICH_EDIT)).size(), 10u);
    EXPECT_EQ(States(harness), kIdleWithListing);
  }
}

// The boxes stay live during the output: CbxFile unchecked at the first step of the
// progress bar takes the columns off every line after it, though the walk read it checked.
TEST(ListingRun, FilesBoxClickedDuringTheOutputTakesTheColumnsOff) {
  TExampleTree tree;
  TFormHarness harness;
  for (int id : {IDC_CBX_FILE, IDC_CBX_SIZE, IDC_CBX_DATE_TIME}) harness.Click(id);
  StartAt(harness, tree.Root());
  const HWND files = harness.Get(IDC_CBX_FILE);
  std::function<void()> click = [files] { PostMessageA(files, BM_CLICK, 0, 0); };
  AtFirstProgressStep(harness.Get(IDC_PROGRESS_BAR), &click);
  ASSERT_TRUE(harness.Form().SbnRefreshClick());
  EXPECT_FALSE(click);  // clicked
  std::vector<std::string> lines = ViewLines(harness.Get(IDC_RICH_EDIT));
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines[2], "\xC3\xC4 notes.txt");
  EXPECT_EQ(lines[8], "\xB3     \xC0\xC4 x.doc");
}

TEST(ListingRun, BeforeAnyFolderChangesNothing) {
  TFormHarness harness;
  std::string error;
  harness.Form().View().ReplaceSelection("ancien texte\r\n", error);
  EXPECT_TRUE(harness.Form().SbnRefreshClick());
  EXPECT_EQ(rich_edit::Text(harness.Get(IDC_RICH_EDIT)), "ancien texte\r\n");
  EXPECT_EQ(States(harness), kAtStart);
}

TEST(ListingRun, ClosingTheWindowDuringARunStopsItAndClosesAfterIt) {
  TExampleTree tree;
  TFormHarness harness;
  StartAt(harness, tree.Root());
  TProbe probe;
  HWND form = harness.Form().Handle();
  probe.Post([&] { PostMessageA(form, WM_CLOSE, 0, 0); });
  harness.Form().SbnRefreshClick();
  EXPECT_TRUE(IsWindow(form));  // the controls outlive the run
  EXPECT_EQ(rich_edit::TextLength(harness.Get(IDC_RICH_EDIT)), 0);
  harness.Pump();
  EXPECT_FALSE(IsWindow(form));
}

TEST(ListingRun, F1DuringTheRunOpensAboutAndTheRunGoesOnWhenItCloses) {
  TExampleTree tree;
  TFormHarness harness;
  StartAt(harness, tree.Root());
  std::string about;
  TDialogDriver driver({[&](HWND box) {
    about = MessageBoxText(box);
    PressButton(box, IDOK);
  }});
  TProbe probe;
  probe.Post([&] { PostMessageA(harness.Get(IDC_CBX_FILE), WM_KEYDOWN, VK_F1, 0); });
  ASSERT_TRUE(harness.Form().SbnRefreshClick());
  EXPECT_EQ(about.substr(0, 15), "        Ramilux");
  EXPECT_EQ(ViewLines(harness.Get(IDC_RICH_EDIT)).size(), 4u);
}

// A file system whose search fails in the middle of the walk.
class TFailingFileSystem : public TFileSystem {
 public:
  char Separator() const override { return real_->Separator(); }
  std::unique_ptr<TFileSearch> NewSearch() override {
    if (++searches_ > 2) throw std::runtime_error("Lecture du disque impossible");
    return real_->NewSearch();
  }
  bool IsLinkToAncestor(const std::string& path, uint32_t attr) override {
    return real_->IsLinkToAncestor(path, attr);
  }

 private:
  std::unique_ptr<TFileSystem> real_ = NewPlatformFileSystem();
  int searches_ = 0;
};

TEST(ListingRun, AnErrorInTheRunIsShownAndLeavesTheWindowUnlocked) {
  TExampleTree tree;
  TFailingFileSystem files;
  TFormHarness harness({}, &files);
  std::string shown;
  TDialogDriver driver({[&](HWND box) {
    shown = MessageBoxText(box);
    PressButton(box, IDOK);
  }});
  StartAt(harness, tree.Root());
  EXPECT_FALSE(harness.Form().SbnRefreshClick());
  EXPECT_EQ(shown, "Lecture du disque impossible");
  EXPECT_EQ(States(harness), kIdleEmptyView);
}

// The real file system, except that the search of any folder named "old" is refused, as
// Windows refuses a folder the user may not read (which Wine as root never does).
class TDeniedOldFileSystem : public TFileSystem {
  class TSearch : public TFileSearch {
   public:
    explicit TSearch(std::unique_ptr<TFileSearch> real) : real_(std::move(real)) {}
    bool FindFirst(const std::string& pattern, uint32_t attrValue) override {
      denied_ = pattern.ends_with("\\old\\*.*");
      return !denied_ && real_->FindFirst(pattern, attrValue);
    }
    bool FindNext() override { return !denied_ && real_->FindNext(); }
    void Close() override { real_->Close(); }
    std::string_view Name() const override { return real_->Name(); }
    uint32_t Attr() const override { return real_->Attr(); }
    uint32_t Time() override { return real_->Time(); }
    int64_t Size() override { return real_->Size(); }
    TSearchFailure Failure() const override {
      return denied_ ? TSearchFailure::AccessDenied : real_->Failure();
    }
    std::string FailureText() const override { return denied_ ? "Acc\xE8s refus\xE9" : ""; }

   private:
    std::unique_ptr<TFileSearch> real_;
    bool denied_ = false;
  };

 public:
  char Separator() const override { return real_->Separator(); }
  std::unique_ptr<TFileSearch> NewSearch() override {
    return std::make_unique<TSearch>(real_->NewSearch());
  }
  bool IsLinkToAncestor(const std::string& path, uint32_t attr) override {
    return real_->IsLinkToAncestor(path, attr);
  }

 private:
  std::unique_ptr<TFileSystem> real_ = NewPlatformFileSystem();
};

TEST(ListingRun, AFolderThatCannotBeReadIsMarkedInTheView) {
  TExampleTree tree;
  TDeniedOldFileSystem files;
  TFormHarness harness({}, &files);
  StartAt(harness, tree.Root());
  ASSERT_TRUE(harness.Form().SbnRefreshClick());
  const std::vector<std::string> lines = ViewLines(harness.Get(IDC_RICH_EDIT));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[2], "\xC0\xC4 docs");
  EXPECT_EQ(lines[3], "   \xC0\xC4 old  [acc\xE8s refus\xE9]");
  EXPECT_EQ(States(harness), kIdleWithListing);
}

// A run lists the tree as it is when it runs: nothing read by the one before answers it.
TEST(ListingRun, ASecondRunListsTheTreeAsItIsNow) {
  for (const bool files : {false, true}) {
    SCOPED_TRACE(files ? "with files" : "folders only");
    TTempTree tree;
    tree.AddFolder("aa");
    tree.AddFolder("zz");
    TFormHarness harness;
    if (files) harness.Click(IDC_CBX_FILE);
    harness.Form().Listing().SetRoot(tree.Root());
    ASSERT_TRUE(harness.Form().SbnRefreshClick());
    RemoveTree(tree.Root() + "zz");
    tree.AddFolder("ajout");
    ASSERT_TRUE(harness.Form().SbnRefreshClick());
    const std::vector<std::string> lines = ViewLines(harness.Get(IDC_RICH_EDIT));
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 2, lines.end()),
              (std::vector<std::string>{"\xC3\xC4 aa", "\xC0\xC4 ajout"}));
  }
}

}  // namespace
}  // namespace ramilux::test
