// The run: the window's states around it, the options it reads, a stop during the walk
// or the output, a line the view refuses, and any other error inside it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "fake_listing.h"

namespace ramilux {
namespace {

using test::TFakeListing;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

const std::vector<std::string> kLocking = {
    "Cursor wait",   "Enable SelectDirectory 0", "Enable Print 0", "Enable Refresh 0",
    "Enable Font 0", "Show Refresh 0",           "Enable Stop 1",  "Show Stop 1"};

std::vector<std::string> Closing(bool print) {
  return {"Enable SelectDirectory 1",
          std::string("Enable Print ") + (print ? "1" : "0"),
          "Enable Refresh 1",
          "Enable Font 1",
          "Enable Stop 0",
          "Show Stop 0",
          "Show Refresh 1",
          "Cursor default"};
}

std::vector<std::string> Head(const std::vector<std::string>& calls, size_t n) {
  return {calls.begin(), calls.begin() + std::min(n, calls.size())};
}
std::vector<std::string> Tail(const std::vector<std::string>& calls, size_t n) {
  return {calls.end() - std::min(n, calls.size()), calls.end()};
}

TEST(Run, DoesNothingBeforeAFolderIsChosen) {
  TFakeListing f;
  f.Listing.SetRoot("");
  f.Window.View = "old text\r\n";
  EXPECT_TRUE(f.Listing.Run());
  EXPECT_TRUE(f.Window.Calls.empty());
  EXPECT_EQ(f.Window.View, "old text\r\n");
}

TEST(Run, RootWithoutFoldersGivesTheTwoHeaderLines) {
  TFakeListing f;
  f.Files.AddFile("ignored.txt", 5);
  EXPECT_TRUE(f.Listing.Run());
  EXPECT_THAT(f.Window.ViewLines(), ElementsAre("Arborescence a partir de: C:\\root\\", " "));
  EXPECT_THAT(Head(f.Window.Calls, 8), ElementsAreArray(kLocking));
  EXPECT_THAT(Tail(f.Window.Calls, 8), ElementsAreArray(Closing(true)));
  EXPECT_EQ(f.Window.Caret, 0);
  EXPECT_TRUE(f.Window.Redraw);
  EXPECT_EQ(f.Window.Labels.back(), "C:\\root\\");
}

TEST(Run, PhasesInTheirOrder) {
  TFakeListing f;
  f.Files.AddFolder("a");
  f.Listing.Run();
  std::vector<std::string> middle(f.Window.Calls.begin() + 8, f.Window.Calls.end() - 8);
  EXPECT_THAT(middle, ElementsAre("ClearView", "RepaintNow", "FocusView", "Redraw 0", "Caret 0",
                                  "ProgressMax 1", "Progress shown", "Progress hidden", "Caret 0",
                                  "ScrollCaret", "Redraw 1"));
  // The root, each folder as the walk enters it, the root again.
  EXPECT_THAT(f.Window.Labels,
              ElementsAre("C:\\root\\", "C:\\root\\", "C:\\root\\a\\", "C:\\root\\"));
}

TEST(Run, ReadsTheOptionsOfTheWindow) {
  TFakeListing f;
  f.Files.AddFile("a.htm", 2000);
  f.Files.AddFile("b.jpg", 10);
  f.Files.AddFile("c.txt", 10);
  f.Window.Files = true;
  f.Window.Sort = 1;
  // Mask and size edits hidden: every file, whatever the direction.
  f.Window.Higher = false;
  f.Listing.Run();
  EXPECT_EQ(f.Listing.Masks(), std::vector<std::string>{"*"});
  EXPECT_EQ(f.Window.ViewLines().size(), 5u);
  // Shown: the masks and the threshold apply; by size the smaller file goes first.
  f.Window.MaskShown = f.Window.MinSizeShown = true;
  f.Window.Higher = true;
  f.Window.MinSize = "abc";
  f.Listing.Run();
  EXPECT_EQ(f.Window.MinSize, "0");
  EXPECT_THAT(f.Window.ViewLines(),
              ElementsAre(::testing::_, " ", "\xC3\xC4 b.jpg", "\xC0\xC4 a.htm"));
}

TEST(Run, StopDuringTheWalkLeavesTheViewEmpty) {
  TFakeListing f;
  for (const char* name : {"c", "a", "b"}) f.Files.AddFile(name, 1);
  f.Files.AddFile("z\\deep\\file", 1);
  f.Files.AddFolder("y");
  f.Window.Files = true;
  f.Window.View = "previous listing\r\n";
  f.Window.OnProcessMessages = [&](int n) {
    if (n == 3) f.Listing.RequestStop();  // as the walk enters "z"
  };
  EXPECT_TRUE(f.Listing.Run());
  EXPECT_EQ(f.Window.View, "");
  EXPECT_THAT(Tail(f.Window.Calls, 8), ElementsAreArray(Closing(false)));
  // What the walk found is sorted; the connectors are left in their base form.
  std::vector<std::string> names;
  for (const TFileObject& e : f.Listing.Entries().Items) names.emplace_back(e.Name);
  EXPECT_THAT(names, ElementsAre("a", "b", "c", "z"));
  for (const TFileObject& e : f.Listing.Entries().Items) EXPECT_EQ(e.PrefixText(), "\xC0\xC4 ");
  EXPECT_EQ(f.Files.OpenSearches, 0);
}

TEST(Run, StopDuringTheOutputDoesNotShortenTheListing) {
  TFakeListing f;
  for (const char* name : {"a", "b", "c", "d"}) f.Files.AddFolder(name);
  f.Window.Files = true;
  int walkCalls = 2 + 4 * 2;  // root and four folders, two each
  f.Window.OnProcessMessages = [&](int n) {
    if (n == walkCalls + 2) f.Listing.RequestStop();  // before the second line
  };
  f.Listing.Run();
  EXPECT_EQ(f.Window.ViewLines().size(), 6u);
  EXPECT_TRUE(f.Listing.StopRequested());
  EXPECT_EQ(f.Window.Enabled[TButton::Print], true);
  // The next run starts with the flag cleared.
  f.Window.OnProcessMessages = nullptr;
  f.Listing.Run();
  EXPECT_FALSE(f.Listing.StopRequested());
  EXPECT_EQ(f.Window.ViewLines().size(), 6u);
}

// An error on line k of the listing leaves the header and the k - 1 lines before it, one
// error box, the progress bar hidden, and the window unlocked; also past the first block.
TEST(Run, LineThatCannotBeAppendedEndsTheOutput) {
  for (int k : {1, 5, 2500}) {
    TFakeListing f;
    // Long names: about 1150 lines to a block of the output.
    auto name = [](int i) { return std::string(40, 'f') + std::to_string(10000 + i); };
    for (int i = 0; i < 3000; ++i) f.Files.AddFile(name(i), 1);
    f.Window.Files = true;
    f.Window.FailAtLine = 2 + k;
    EXPECT_FALSE(f.Listing.Run());
    std::vector<std::string> lines = f.Window.ViewLines();
    ASSERT_EQ(lines.size(), static_cast<size_t>(2 + k - 1)) << "k = " << k;
    if (k > 1) {
      EXPECT_EQ(lines.back(), "\xC3\xC4 " + name(k - 2));
    }
    ASSERT_EQ(f.Window.ErrorBoxes.size(), 1u);
    EXPECT_EQ(f.Window.ErrorBoxes[0].first, "Erreur");
    EXPECT_EQ(f.Window.ErrorBoxes[0].second, "Memoire insuffisante");
    EXPECT_FALSE(f.Window.ProgressShown);
    EXPECT_TRUE(f.Window.Redraw);
    EXPECT_EQ(f.Window.Caret, 0);
    EXPECT_THAT(Tail(f.Window.Calls, 8), ElementsAreArray(Closing(true)));
  }
}

TEST(Run, ErrorInsideTheRunIsShownAndTheWindowUnlocked) {
  TFakeListing f;
  f.Files.AddFile("a\\b", 1);
  f.Window.Files = true;
  f.Window.OnProcessMessages = [&](int n) {
    if (n == 3) throw std::runtime_error("Disque retire");
  };
  EXPECT_FALSE(f.Listing.Run());
  EXPECT_THAT(f.Window.ErrorBoxes,
              ElementsAre(std::pair<std::string, std::string>("Erreur", "Disque retire")));
  EXPECT_THAT(Tail(f.Window.Calls, 8), ElementsAreArray(Closing(false)));
  EXPECT_EQ(f.Files.OpenSearches, 0);
}

TEST(Run, HeaderThatCannotBeAppendedIsShownAndRedrawResumes) {
  TFakeListing f;
  f.Window.FailAtLine = 1;
  EXPECT_FALSE(f.Listing.Run());
  EXPECT_EQ(f.Window.ErrorBoxes.size(), 1u);
  EXPECT_TRUE(f.Window.Redraw);
  EXPECT_THAT(Tail(f.Window.Calls, 8), ElementsAreArray(Closing(false)));
}

TEST(Run, NoSortItemSortsByName) {
  TFakeListing f;
  f.Files.AddFile("b", 1, 1);
  f.Files.AddFile("a", 2, 2);
  f.Window.Files = true;
  f.Window.Sort = -1;
  f.Listing.Run();
  EXPECT_THAT(f.Window.ViewLines(), ElementsAre(::testing::_, " ", "\xC3\xC4 a", "\xC0\xC4 b"));
}

// A front end with no screen (an output stream) has only what every front end must have:
// it gets the same lines, its polls and errors, and nothing else.
class TStreamFrontEnd : public TListingView, public TRunIndicators {
 public:
  std::string Text, Error;
  std::vector<std::string> Labels;
  int Polls = 0;
  size_t RefuseFrom = std::string::npos;  // an insertion that reaches this offset fails

  void ClearView() override { Text.clear(); }
  int64_t ViewTextLength() override { return static_cast<int64_t>(Text.size()); }
  int64_t LineIndex(int64_t line) override { return line == 0 ? 0 : -1; }
  int64_t ViewLineCount() override { return std::count(Text.begin(), Text.end(), '\n'); }
  bool ReplaceSelection(std::string_view text, std::string& error) override {
    if (Text.size() + text.size() > RefuseFrom) {
      error = "Disque plein";
      return false;
    }
    Text += text;
    return true;
  }
  void SetDirectoryLabel(const std::string& text) override { Labels.push_back(text); }
  void ProcessMessages() override { ++Polls; }
  void ShowErrorBox(const std::string&, const std::string& message) override { Error = message; }
};

TEST(Run, AFrontEndWithoutAScreenGetsTheSameLines) {
  for (bool refused : {false, true}) {
    SCOPED_TRACE(refused ? "a line refused" : "all lines");
    TFakeListing f;
    f.Files.AddFile("b\\c.txt", 3000);
    f.Files.AddFile("a.txt", 5);
    f.Window.Files = true;
    f.Window.Size = true;
    if (refused) f.Window.FailAtLine = 4;
    f.Listing.Run();

    TStreamFrontEnd stream;
    if (refused) stream.RefuseFrom = f.Window.View.size() + 1;
    TListing listing(TListingPorts{f.Files, f.Text, f.Window, stream, stream});
    listing.SetRoot(f.Files.Root());
    EXPECT_EQ(listing.Run(), !refused);
    EXPECT_EQ(stream.Text, f.Window.View);
    EXPECT_EQ(stream.Labels, f.Window.Labels);
    EXPECT_EQ(stream.Polls, f.Window.ProcessMessagesCalls);
    EXPECT_EQ(stream.Error, refused ? "Disque plein" : "");
  }
}

}  // namespace
}  // namespace ramilux
