// The run: the window's states around it, the options it reads, a stop during the walk
// or the output, a line the view refuses, and any other error inside it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
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

namespace ramilux {
namespace {

// root: a.txt, .hid (hidden), docs\ (plan.htm, old\ (x.htm, deep\ unreadable)), empty\,
// src\ (big.jpg, unknown.htm of unknown size), sys\ (system: the walk passes it by)
void MakeTotalsTree(TFakeListing& f) {
  f.Files.AddFile("a.txt", 1024);
  f.Files.AddFile(".hid", 2048, 0, kAttrHidden | kAttrArchive);
  f.Files.AddFile("docs\\plan.htm", 512);
  f.Files.AddFile("docs\\old\\x.htm", 100);
  f.Files.AddFolder("docs\\old\\deep").Unsearchable = true;
  f.Files.AddFile("docs\\old\\deep\\y.htm", 9);
  f.Files.AddFolder("empty");
  f.Files.AddFile("src\\big.jpg", 4096);
  f.Files.AddFile("src\\unknown.htm", kUnknownSize);
  f.Files.AddFolder("sys", 0, kAttrDirectory | kAttrSystem);
  f.Files.AddFile("sys\\inside.htm", 1);
}

// Totals count what the file rules let through, listed or not, below any depth limit;
// an unread folder or an unknown size makes every total above it a lower bound.
TEST(Run, FolderTotals) {
  using TLines = std::vector<std::string>;
  const std::string head = "Arborescence a partir de: C:\\root\\  ";
  const std::string docs = "\xC3\xC4 docs  au moins 0,60 Ko  2 fichiers  2 dossiers";
  const std::string old = "\xB3  \xC0\xC4 old  au moins 0,10 Ko  1 fichier  1 dossier";
  const std::string deep =
      "\xB3     \xC0\xC4 deep  au moins 0,00 Ko  0 fichier  0 dossier  [acc\xE8s refus\xE9]";
  const std::string empty = "\xC3\xC4 empty  0,00 Ko  0 fichier  0 dossier";
  const std::string src = "\xC0\xC4 src  au moins 4,00 Ko  2 fichiers  0 dossier";
  struct TRow {
    const char* Case;
    std::function<void(TFakeListing&)> Set;
    TLines Expected;
  };
  const TRow rows[] = {
      {"files listed with their sizes",
       [](TFakeListing& f) { f.Window.Files = f.Window.Size = true; },
       {head + "au moins 7,60 Ko  6 fichiers  5 dossiers", " ", "\xC3\xC4 .hid  2,00 Ko",
        "\xC3\xC4 a.txt  1,00 Ko", docs, "\xB3  \xC3\xC4 plan.htm  0,50 Ko",
        "\xB3  \xC0\xC4 old  au moins 0,10 Ko  1 fichier  1 dossier",
        "\xB3     \xC3\xC4 x.htm  0,10 Ko", deep, empty, src, "   \xC3\xC4 unknown.htm",
        "   \xC0\xC4 big.jpg  4,00 Ko"}},
      {"files counted but not listed",
       [](TFakeListing&) {},
       {head + "au moins 7,60 Ko  6 fichiers  5 dossiers", " ", docs, old, deep, empty, src}},
      {"masks",
       [](TFakeListing& f) {
         f.Window.MaskShown = true;
         f.Window.Mask = "*.htm";
       },
       {head + "au moins 0,60 Ko  3 fichiers  5 dossiers", " ", docs, old, deep, empty,
        "\xC0\xC4 src  au moins 0,00 Ko  1 fichier  0 dossier"}},
      {"threshold: at least 1 Ko",
       [](TFakeListing& f) {
         f.Window.MinSizeShown = true;
         f.Window.MinSize = "1";
       },
       {head + "au moins 7,00 Ko  4 fichiers  5 dossiers", " ",
        "\xC3\xC4 docs  au moins 0,00 Ko  0 fichier  2 dossiers",
        "\xB3  \xC0\xC4 old  au moins 0,00 Ko  0 fichier  1 dossier", deep, empty, src}},
      {"one level listed, every level counted",
       [](TFakeListing& f) { f.Listing.SetMaxDepth(1); },
       {head + "au moins 7,60 Ko  6 fichiers  5 dossiers", " ", docs, empty, src}},
      {"an excluded folder is not counted",
       [](TFakeListing& f) { f.Listing.SetExcludeMasks("old"); },
       {head + "au moins 7,50 Ko  5 fichiers  3 dossiers", " ",
        "\xC3\xC4 docs  0,50 Ko  1 fichier  0 dossier", empty, src}},
      {"an unread root",
       [](TFakeListing& f) { f.Files.Resolve(f.Files.Root(), true)->Unsearchable = true; },
       {head + "au moins 0,00 Ko  0 fichier  0 dossier", " "}},
      {"by size, folders by their totals",
       [](TFakeListing& f) { f.Window.Sort = 1; },
       {head + "au moins 7,60 Ko  6 fichiers  5 dossiers", " ", empty, docs, old, deep, src}},
  };
  for (const TRow& row : rows) {
    TFakeListing f;
    MakeTotalsTree(f);
    f.Window.Totals = true;
    row.Set(f);
    EXPECT_TRUE(f.Listing.Run()) << row.Case;
    EXPECT_EQ(f.Window.ViewLines(), row.Expected) << row.Case;
  }
  // Off, nothing of it shows and the depth limit stops the walk as before.
  TFakeListing f;
  MakeTotalsTree(f);
  f.Listing.SetMaxDepth(1);
  f.Listing.Run();
  EXPECT_THAT(f.Window.ViewLines(), ElementsAre("Arborescence a partir de: C:\\root\\", " ",
                                                "\xC3\xC4 docs", "\xC3\xC4 empty", "\xC0\xC4 src"));
  EXPECT_TRUE(f.Listing.Unread().empty());
}

}  // namespace
}  // namespace ramilux
