// arbo end to end on real temporary trees: the lines it writes, its options, its error
// exits and Ctrl-C during a walk. The same tests run arbo.exe under Wine, but for those
// that need what only POSIX has (links, preloading, names that are no text).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "arbo_runner.h"
#include "json_reader.h"
#include "temp_folder.h"

namespace ramilux {
namespace {

using test::kMessageEnd;
using test::kUnderWine;
using test::Listed;
using test::RunArbo;
using test::TArboResult;
using test::TTempFolder;

using test::kFrench;

std::string Header(const std::string& root) {
  return "Arborescence a partir de: " + Listed(root) + "\n \n";
}

// The names of the entries in a listing of either encoding, in order, without prefixes
// and columns.
std::vector<std::string> Names(const std::string& listing) {
  std::vector<std::string> names;
  size_t start = listing.find("\n \n");
  if (start == std::string::npos) start = listing.find("\n \r\n");
  if (start == std::string::npos) return names;
  start = listing.find('\n', start + 1) + 1;
  while (start < listing.size()) {
    const size_t end = listing.find('\n', start);
    std::string line = listing.substr(start, end - start);
    start = end + 1;
    if (line.ends_with('\r')) line.pop_back();
    const size_t utf8 = line.find("\u2500 ");
    line = utf8 != std::string::npos ? line.substr(utf8 + 4) : line.substr(line.find("\xC4 ") + 2);
    names.push_back(line.substr(0, line.find("  ")));
  }
  return names;
}

// The tree of the rendering example: readme.txt, Docs (a.doc, Old (b.doc)), Src (main.c).
class ExampleTree : public ::testing::Test {
 protected:
  void SetUp() override {
    tree_.MakeFile("readme.txt", 1500);
    tree_.MakeFolder("Docs/Old");
    tree_.MakeFile("Docs/a.doc", 2048);
    tree_.MakeFile("Docs/Old/b.doc", 10);
    tree_.MakeFolder("Src");
    tree_.MakeFile("Src/main.c", 300);
    struct TTime {
      const char* Path;
      int Year, Month, Day, Hour, Minute, Second;
    };
    const TTime times[] = {
        {"readme.txt", 2003, 3, 14, 9, 5, 12},     {"Docs", 2003, 1, 2, 0, 0, 0},
        {"Docs/a.doc", 2003, 2, 20, 17, 30, 0},    {"Docs/Old", 2003, 1, 10, 11, 0, 4},
        {"Docs/Old/b.doc", 2003, 1, 10, 11, 0, 4}, {"Src", 2003, 3, 5, 8, 15, 40},
        {"Src/main.c", 2003, 3, 5, 8, 15, 40},
    };
    for (const TTime& t : times) {
      ASSERT_TRUE(
          test::SetLocalTime(tree_ / t.Path, t.Year, t.Month, t.Day, t.Hour, t.Minute, t.Second));
    }
  }
  TTempFolder tree_;
};

TEST_F(ExampleTree, ListsWithUtf8ConnectorsAndFrenchColumns) {
  const TArboResult result =
      RunArbo({"--encoding", "utf8", "-f", "-s", "-d", tree_.Path()}, kFrench);
  EXPECT_EQ(result.Status, 0) << result.Err;
  EXPECT_EQ(result.Out, Header(tree_.Path()) +
                            "├─ readme.txt  1,46 Ko  14/03/2003 09:05:12\n"
                            "├─ Docs  02/01/2003\n"
                            "│  ├─ a.doc  2,00 Ko  20/02/2003 17:30:00\n"
                            "│  └─ Old  10/01/2003 11:00:04\n"
                            "│     └─ b.doc  0,01 Ko  10/01/2003 11:00:04\n"
                            "└─ Src  05/03/2003 08:15:40\n"
                            "   └─ main.c  0,29 Ko  05/03/2003 08:15:40\n");
  EXPECT_EQ(result.Err, "");
}

TEST_F(ExampleTree, AnsiWritesTheViewsBytesWithCrLf) {
  const TArboResult result = RunArbo({"--encoding", "ansi", tree_.Path()});
  EXPECT_EQ(result.Status, 0) << result.Err;
  EXPECT_EQ(result.Out, "Arborescence a partir de: " + Listed(tree_.Path()) +
                            "\r\n \r\n"
                            "\xC3\xC4 Docs\r\n"
                            "\xB3  \xC0\xC4 Old\r\n"
                            "\xC0\xC4 Src\r\n");
}

// UTF-8 where names are UTF-8 (POSIX), the ANSI code page's bytes on Windows.
TEST_F(ExampleTree, DefaultEncodingIsTheSystems) {
  const std::string encoding = kUnderWine ? "ansi" : "utf8";
  const TArboResult chosen = RunArbo({"--encoding", encoding, "-f", tree_.Path()});
  const TArboResult byDefault = RunArbo({"-f", tree_.Path()});
  EXPECT_EQ(byDefault.Status, 0) << byDefault.Err;
  EXPECT_EQ(byDefault.Out, chosen.Out);
}

TEST_F(ExampleTree, OutputFileHoldsTheListingAndNothingIsLeftBeside) {
  TTempFolder out;
  out.MakeFile("listing.txt", 7);  // replaced
  const TArboResult direct = RunArbo({"-f", tree_.Path()});
  const TArboResult toFile = RunArbo({"-f", "-o", out / "listing.txt", tree_.Path()});
  EXPECT_EQ(toFile.Status, 0) << toFile.Err;
  EXPECT_EQ(toFile.Out, "");
  EXPECT_EQ(test::ReadFile(out / "listing.txt"), direct.Out);
  const auto entries = std::distance(std::filesystem::directory_iterator(out.Path()), {});
  EXPECT_EQ(entries, 1);
}

// "arbo -f -o listing.txt ." must not list a temporary file of its own.
TEST_F(ExampleTree, OutputFileInsideTheListedTreeIsNotListed) {
  const TArboResult result = RunArbo({"-f", "-o", "listing.txt", "."}, {}, tree_ / "Src");
  EXPECT_EQ(result.Status, 0) << result.Err;
  const std::string listing = test::ReadFile(tree_ / "Src/listing.txt");
  EXPECT_EQ(Names(listing), std::vector<std::string>{"main.c"}) << listing;
}

TEST_F(ExampleTree, HeaderShowsTheFolderAbsoluteWithLinksKept) {
  ASSERT_EQ(symlink(tree_.Path().c_str(), (tree_ / "Src/back").c_str()), 0);
  ASSERT_EQ(symlink((tree_ / "Docs/Old").c_str(), (tree_ / "Src/old").c_str()), 0);
  struct TRow {
    const char* Case;
    std::string Folder, Argument, Root;
  };
  const TRow rows[] = {
      {"dot", tree_ / "Docs", ".", tree_ / "Docs/"},
      {"relative", tree_.Path(), "Docs/Old", tree_ / "Docs/Old/"},
      {"dot-dot by the text", tree_ / "Docs/Old", "../../Src/./", tree_ / "Src/"},
      {"link kept", tree_ / "Src", "back", tree_ / "Src/back/"},
      {"dot-dot after a link", tree_ / "Src", "back/Docs/..", tree_ / "Src/back/"},
      // Src/old/.. is Docs, not Src: the text cannot be shortened without lying. Windows
      // reads ".." on the text alone, so there it is Src.
      {"dot-dot that leaves a link", tree_ / "Src", "old/..",
       kUnderWine ? tree_ / "Src/" : tree_ / "Src/old/../"},
  };
  for (const TRow& row : rows) {
    const TArboResult result = RunArbo({"--encoding", "utf8", row.Argument}, {}, row.Folder);
    EXPECT_EQ(result.Out.substr(0, result.Out.find('\n') + 1),
              "Arborescence a partir de: " + Listed(row.Root) + "\n")
        << row.Case;
  }
}

#ifndef RAMILUX_ARBO_UNDER_WINE
// Every combination gives the same entries three ways: the text lines, the JSON document
// (read by Python), and the expected list; --summary only adds its line.
TEST_F(ExampleTree, JsonDepthExclusionsAndSummaryAgreeWithTheTextListing) {
  using test::TListedEntry;
  const std::map<std::string, long long> sizes = {
      {"readme.txt", 1500}, {"a.doc", 2048}, {"b.doc", 10}, {"main.c", 300}};
  const std::map<std::string, std::string> times = {
      {"readme.txt", "2003-03-14T09:05:12"}, {"Docs", "2003-01-02T00:00:00"},
      {"a.doc", "2003-02-20T17:30:00"},      {"Old", "2003-01-10T11:00:04"},
      {"b.doc", "2003-01-10T11:00:04"},      {"Src", "2003-03-05T08:15:40"},
      {"main.c", "2003-03-05T08:15:40"}};
  struct TRow {
    const char* Case;
    std::vector<std::string> Arguments;
    std::vector<TListedEntry> Expected;
    std::string Summary;
  };
  const TRow rows[] = {
      {"folders only", {}, {{1, "Docs"}, {2, "Old"}, {1, "Src"}}, "3 dossiers, 0 fichier, 0,00 Ko"},
      {"files",
       {"-f"},
       {{1, "readme.txt"},
        {1, "Docs"},
        {2, "a.doc"},
        {2, "Old"},
        {3, "b.doc"},
        {1, "Src"},
        {2, "main.c"}},
       "3 dossiers, 4 fichiers, 3,77 Ko"},
      {"one level",
       {"-f", "-L", "1"},
       {{1, "readme.txt"}, {1, "Docs"}, {1, "Src"}},
       "2 dossiers, 1 fichier, 1,46 Ko"},
      {"two levels, grouped",
       {"-fL2"},
       {{1, "readme.txt"}, {1, "Docs"}, {2, "a.doc"}, {2, "Old"}, {1, "Src"}, {2, "main.c"}},
       "3 dossiers, 3 fichiers, 3,76 Ko"},
      {"folder excluded and not walked",
       {"-f", "-x", "docs"},
       {{1, "readme.txt"}, {1, "Src"}, {2, "main.c"}},
       "1 dossier, 2 fichiers, 1,76 Ko"},
      {"exclusions add up",
       {"-f", "--exclude=*.doc", "-x", "src"},
       {{1, "readme.txt"}, {1, "Docs"}, {2, "Old"}},
       "2 dossiers, 1 fichier, 1,46 Ko"},
      {"with a mask, size order and columns",
       {"-f", "-s", "-d", "--sort", "size", "-m", "*.doc;*.c", "-x", "a*"},
       {{1, "Docs"}, {2, "Old"}, {3, "b.doc"}, {1, "Src"}, {2, "main.c"}},
       "3 dossiers, 2 fichiers, 0,30 Ko"},
      {"everything excluded", {"-f", "-x", "*"}, {}, "0 dossier, 0 fichier, 0,00 Ko"},
  };
  for (const TRow& row : rows) {
    std::vector<std::string> arguments = row.Arguments;
    arguments.push_back(tree_.Path());
    const TArboResult text = RunArbo(arguments, kFrench);
    EXPECT_EQ(text.Status, 0) << row.Case << ": " << text.Err;
    EXPECT_EQ(test::TextEntries(text.Out), row.Expected) << row.Case;

    arguments.insert(arguments.begin(), "--summary");
    const TArboResult summary = RunArbo(arguments, kFrench);
    EXPECT_EQ(summary.Out, text.Out + row.Summary + "\n") << row.Case;

    arguments.insert(arguments.begin(), "--json");
    const TArboResult json = RunArbo(arguments, kFrench);
    EXPECT_EQ(json.Status, 0) << row.Case << ": " << json.Err;
    const test::TJsonDocument document = test::ReadJson(json.Out);
    ASSERT_TRUE(document.Parsed) << row.Case << ": " << document.Output << json.Out;
    EXPECT_EQ(document.Root, tree_.Path()) << row.Case;
    EXPECT_EQ(document.Listed(), row.Expected) << row.Case;
    // Paths follow from the outline: each entry's folder is the last one a level up.
    std::vector<std::string> folders = {""};
    long long files = 0, bytes = 0;
    for (const test::TJsonEntry& e : document.Entries) {
      const std::string& name = e.Entry.Name;
      folders.resize(size_t(e.Entry.Depth));
      EXPECT_EQ(e.Path, folders.back() + name) << row.Case;
      folders.push_back(e.Path + "/");
      const bool isFile = sizes.count(name) != 0;
      EXPECT_EQ(e.Type, isFile ? "file" : "folder") << row.Case << ": " << name;
      EXPECT_EQ(e.Size, isFile ? sizes.at(name) : -1) << row.Case << ": " << name;
      EXPECT_EQ(e.Modified.substr(0, 19), times.at(name)) << row.Case << ": " << name;
      files += isFile;
      bytes += isFile ? e.Size : 0;
    }
    ASSERT_TRUE(document.HasSummary) << row.Case;
    EXPECT_EQ(document.Folders, (long long)document.Entries.size() - files) << row.Case;
    EXPECT_EQ(document.Files, files) << row.Case;
    EXPECT_EQ(document.Bytes, bytes) << row.Case;
  }
}

TEST(ArboNames, KeepTheirBytesAndHiddenFilesShowButNotHiddenFolders) {
  TTempFolder tree;
  tree.MakeFolder("Été");
  // Bytes that look like a connector group but are no UTF-8: each shows as U+FFFD.
  tree.MakeFile("Été/\xC3\xC4 x");
  tree.MakeFile(".profile");
  tree.MakeFolder(".git/objects");
  const TArboResult result = RunArbo({"-f", tree.Path()}, kFrench);
  EXPECT_EQ(result.Out, Header(tree.Path()) +
                            "├─ .profile\n"
                            "└─ Été\n"
                            "   └─ \uFFFD\uFFFD x\n");
}

// A name may hold any byte but "/" and NUL: the outline keeps one line per entry, and a
// mask matches such names with or without "?".
TEST(ArboNames, ControlCharactersAndInvalidUtf8NeverBreakALine) {
  TTempFolder tree;
  tree.MakeFolder("two\nlines");
  tree.MakeFile("two\nlines/tab\there.txt");
  tree.MakeFile("two\nlines/bad\xFF.txt");
  const TArboResult all = RunArbo({"-f", tree.Path()}, kFrench);
  EXPECT_EQ(all.Status, 0) << all.Err;
  EXPECT_EQ(all.Out, Header(tree.Path()) +
                         "└─ two?lines\n"
                         "   ├─ bad\uFFFD.txt\n"
                         "   └─ tab?here.txt\n");
  for (const char* mask : {"bad\xFF.txt", "ba?\xFF.txt", "bad?.txt", "*\xFF.txt"}) {
    const TArboResult masked = RunArbo({"-f", "-m", mask, tree.Path()}, kFrench);
    EXPECT_EQ(Names(masked.Out), (std::vector<std::string>{"two?lines", "bad\uFFFD.txt"})) << mask;
  }
}

// Run as a user that may not read what root may: a folder of mode 000 cannot be searched,
// one of mode 444 can be listed but not searched.
TEST(ArboUnread, FoldersThatCannotBeReadAreMarkedAndTheExitIsOne) {
  TTempFolder tree;
  for (const char* folder : {"open", "locked", "listonly/sub"}) tree.MakeFolder(folder);
  tree.MakeFile("open/a.txt", 10);
  tree.MakeFile("locked/secret", 1);
  tree.MakeFile("listonly/f.txt", 5);
  ASSERT_EQ(chmod(tree.Path().c_str(), 0755), 0);
  ASSERT_EQ(chmod((tree / "locked").c_str(), 0), 0);
  ASSERT_EQ(chmod((tree / "listonly").c_str(), 0444), 0);
  const TArboResult result =
      RunArbo({"-f", "-s", tree.Path()}, kFrench, "", {}, test::TChildSetup{65534});
  const TArboResult json =
      RunArbo({"--json", "-f", tree.Path()}, kFrench, "", {}, test::TChildSetup{65534});
  chmod((tree / "locked").c_str(), 0755);
  chmod((tree / "listonly").c_str(), 0755);
  if (result.Status == 0) GTEST_SKIP() << "these rights read folders of mode 000";
  EXPECT_EQ(result.Status, 1) << result.Err;
  EXPECT_EQ(result.Out, Header(tree.Path()) +
                            "├─ listonly\n"
                            "│  ├─ f.txt\n"
                            "│  └─ sub  [accès refusé]\n"
                            "├─ locked  [accès refusé]\n"
                            "└─ open\n"
                            "   └─ a.txt  0,01 Ko\n");
  EXPECT_NE(result.Err.find("arbo: " + tree.Path() + "listonly/sub/: "), std::string::npos)
      << result.Err;
  EXPECT_NE(result.Err.find("arbo: " + tree.Path() + "locked/: "), std::string::npos);
  EXPECT_NE(result.Err.find("arbo: 2 dossier(s) non lu(s), liste incomplète\n"), std::string::npos);
  EXPECT_EQ(std::count(result.Err.begin(), result.Err.end(), '\n'), 3) << result.Err;
  // The document says why, on the entry of each folder it lacks.
  EXPECT_EQ(json.Status, 1) << json.Err;
  EXPECT_NE(json.Out.find("\"name\": \"locked\", \"type\": \"folder\", \"depth\": 1"),
            std::string::npos)
      << json.Out;
  EXPECT_EQ(test::ReadJson(json.Out).Parsed, true) << json.Out;
  size_t reasons = 0;
  for (size_t at = 0; (at = json.Out.find("\"reason\": \"accès refusé\"", at)) != std::string::npos;
       ++at) {
    ++reasons;
  }
  EXPECT_EQ(reasons, 2u) << json.Out;
}

// Deeper than any path the system takes (4,096 bytes) and than the open files allowed: the
// walk neither builds whole paths nor keeps a folder open per level.
TEST(ArboDepth, ChainOfTenThousandFoldersIsListedWhole) {
  constexpr int kDepth = 10000;
  TTempFolder tree;
  int folder = open(tree.Path().c_str(), O_RDONLY | O_DIRECTORY);
  for (int level = 0; level < kDepth && folder >= 0; ++level) {
    ASSERT_EQ(mkdirat(folder, "d", 0755), 0);
    const int inner = openat(folder, "d", O_RDONLY | O_DIRECTORY);
    close(folder);
    folder = inner;
  }
  ASSERT_GE(folder, 0);
  close(openat(folder, "end.txt", O_WRONLY | O_CREAT, 0644));
  close(folder);
  // 64: the readers, idle once the walk is deeper than they read, hold nothing it needs.
  for (const rlim_t openFiles : {1024, 64}) {
    const TArboResult result =
        RunArbo({"-f", tree.Path()}, kFrench, "", {}, test::TChildSetup{0, openFiles});
    EXPECT_EQ(result.Status, 0) << openFiles << ": " << result.Err.substr(0, 200);
    EXPECT_EQ(std::count(result.Out.begin(), result.Out.end(), '\n'), kDepth + 3) << openFiles;
    EXPECT_TRUE(result.Out.ends_with(std::string(3 * kDepth, ' ') + "└─ end.txt\n")) << openFiles;
  }
  // No path reaches the deep end: the chain is taken apart from the top, each inner
  // folder moved up before its parent goes.
  const int top = open(tree.Path().c_str(), O_RDONLY | O_DIRECTORY);
  for (int level = 0; level < kDepth; ++level) {
    const int d = openat(top, "d", O_RDONLY | O_DIRECTORY);
    ASSERT_GE(d, 0);
    const bool inner = renameat(d, "d", top, "x") == 0;
    if (!inner) {
      unlinkat(d, "end.txt", 0);
    }
    close(d);
    ASSERT_EQ(unlinkat(top, "d", AT_REMOVEDIR), 0);
    if (inner) {
      ASSERT_EQ(renameat(top, "x", top, "d"), 0);
    }
  }
  close(top);
}
#endif

#ifdef RAMILUX_ARBO_UNDER_WINE
// A name outside the ANSI code page: its best fit in ansi, exact in utf8, and what it
// holds listed in both.
TEST(ArboNames, OutsideTheCodePageAsBestFitInAnsiAndExactInUtf8) {
  TTempFolder tree;
  tree.MakeFolder("Łódź");
  tree.MakeFile("Łódź/plan.txt", 1);
  const struct {
    const char* Encoding;
    std::string Expected;
  } rows[] = {
      {"ansi",
       "\xC0\xC4 L\xF3"
       "dz\r\n   \xC0\xC4 plan.txt\r\n"},
      {"utf8", "└─ Łódź\n   └─ plan.txt\n"},
  };
  for (const auto& row : rows) {
    const TArboResult result = RunArbo({"-f", "--encoding", row.Encoding, tree.Path()}, kFrench);
    EXPECT_EQ(result.Status, 0) << row.Encoding << ": " << result.Err;
    EXPECT_TRUE(result.Out.ends_with(row.Expected)) << row.Encoding << ": " << result.Out;
  }
}
#endif

// Arguments reach arbo exact, whatever the ANSI code page can hold: the root, the output
// file, the masks and the exclusions. (Under Wine the command line is read as the UTF-8 of
// the French locale, so these characters do reach the program.)
TEST(ArboArguments, NamesOutsideTheCodePageStayExact) {
  TTempFolder tree;
  for (const char* folder :
       {"L\u00f3dz", "\u0141\u00f3d\u017a", "\u6771\u4eac", "ab", "xy", "out"}) {
    tree.MakeFolder(folder);
  }
  tree.MakeFile("\u0141\u00f3d\u017a/exact.txt");
  tree.MakeFile("L\u00f3dz/lookalike.txt");
  tree.MakeFile("\u6771\u4eac/in_\u6771x");
  tree.MakeFile("\u6771\u4eac/in_abc");
  std::ofstream(tree / "out/L\u00f3dz.txt") << "unrelated";
  struct TRow {
    const char* Case;
    std::vector<std::string> Arguments;
    std::vector<std::string> Names;
  };
  const TRow rows[] = {
      {"root", {"-f", tree / "\u0141\u00f3d\u017a"}, {"exact.txt"}},
      {"root no code page holds",
       {"-f", "--encoding", "utf8", tree / "\u6771\u4eac"},
       {"in_abc", "in_\u6771x"}},
      {"mask",
       {"-f", "--encoding", "utf8", "-m", "in_\u6771*", tree / "\u6771\u4eac"},
       {"in_\u6771x"}},
      {"exclusion",
       {"--encoding", "utf8", "-x", "\u6771\u4eac;out", tree.Path()},
       {"ab", "L\u00f3dz", "\u0141\u00f3d\u017a", "xy"}},
  };
  for (const TRow& row : rows) {
    const TArboResult result = RunArbo(row.Arguments, kFrench);
    EXPECT_EQ(result.Status, 0) << row.Case << ": " << result.Err;
    EXPECT_EQ(Names(result.Out), row.Names) << row.Case << ": " << result.Out;
  }
  const std::string output = tree / "out/\u0141\u00f3d\u017a.txt";
  const TArboResult written = RunArbo({"-o", output, tree / "ab"}, kFrench);
  EXPECT_EQ(written.Status, 0) << written.Err;
  EXPECT_EQ(test::ReadFile(tree / "out/L\u00f3dz.txt"), "unrelated");
  EXPECT_NE(test::ReadFile(output).find("Arborescence"), std::string::npos);
}

// -o never writes through a link, to a file, to a folder or to nothing: whoever could
// plant the link would choose what arbo overwrites. The link and what it leads to stay as
// they were. (Wine 8 shows a Unix link to a file as a plain file, which it then replaces
// without touching the target; only a link to a folder shows as a link there.)
TEST(ArboErrors, OutputThroughALinkIsRefused) {
  TTempFolder tree;
  std::ofstream(tree / "target.txt") << "kept";
  tree.MakeFolder("folder");
  ASSERT_EQ(symlink((tree / "folder").c_str(), (tree / "folder-link").c_str()), 0);
  ASSERT_EQ(symlink((tree / "target.txt").c_str(), (tree / "link.txt").c_str()), 0);
  ASSERT_EQ(symlink((tree / "absent.txt").c_str(), (tree / "dangling.txt").c_str()), 0);
  std::vector<std::string> links = {"folder-link"};
  if (!kUnderWine) links.insert(links.end(), {"link.txt", "dangling.txt"});
  for (const std::string& link : links) {
    const TArboResult result = RunArbo({"-o", tree / link, tree / "folder"}, kFrench);
    EXPECT_EQ(result.Status, 2) << link;
    EXPECT_NE(result.Err.find("lien"), std::string::npos) << link << ": " << result.Err;
    struct stat status;
    EXPECT_TRUE(lstat((tree / link).c_str(), &status) == 0 && S_ISLNK(status.st_mode)) << link;
  }
  EXPECT_EQ(test::ReadFile(tree / "target.txt"), "kept");
  EXPECT_NE(access((tree / "absent.txt").c_str(), F_OK), 0);
}

TEST(ArboNames, ThreeGibFileShowsItsWholeSize) {
  TTempFolder tree;
  tree.MakeFile("big", off_t(3) << 30);
  const TArboResult result = RunArbo({"--encoding", "utf8", "-f", "-s", tree.Path()}, kFrench);
  EXPECT_EQ(result.Out, Header(tree.Path()) + "└─ big  3145728,00 Ko\n");
}

TEST(ArboOptions, MasksSizesAndOrdersChooseTheFiles) {
  // The order example: notes.txt 50 B, readme.txt 40 B, zero.txt empty, docs/plan.doc
  // 300 B, docs/empty.txt empty, docs/old/x.doc 10 B; readme.txt is the older file.
  TTempFolder tree;
  tree.MakeFolder("docs/old");
  tree.MakeFile("notes.txt", 50);
  tree.MakeFile("readme.txt", 40);
  tree.MakeFile("zero.txt", 0);
  tree.MakeFile("docs/plan.doc", 300);
  tree.MakeFile("docs/empty.txt", 0);
  tree.MakeFile("docs/old/x.doc", 10);
  tree.MakeFile("big.bin", 5000);
  ASSERT_TRUE(test::SetLocalTime(tree / "readme.txt", 2001, 1, 1, 12, 0, 0));
  ASSERT_TRUE(test::SetLocalTime(tree / "notes.txt", 2002, 1, 1, 12, 0, 0));
  using TNames = std::vector<std::string>;
  struct TRow {
    const char* Case;
    std::vector<std::string> Arguments;
    TNames Expected;
  };
  const TRow rows[] = {
      {"folders only", {}, {"docs", "old"}},
      {"alpha",
       {"-f", "-m", "*.txt;*.doc"},
       {"notes.txt", "readme.txt", "docs", "plan.doc", "empty.txt", "old", "x.doc", "zero.txt"}},
      {"size",
       {"-f", "--sort", "size", "-m", "*.txt;*.doc"},
       {"readme.txt", "notes.txt", "docs", "plan.doc", "empty.txt", "old", "x.doc", "zero.txt"}},
      {"date",
       {"-f", "--sort=date", "--mask=*.txt"},
       {"readme.txt", "notes.txt", "docs", "empty.txt", "old", "zero.txt"}},
      {"mask ignored without -f", {"-m", "*.doc"}, {"docs", "old"}},
      {"mask of blanks", {"-f", "-m", "   "}, {"docs", "old"}},
      {"at least 1 KB", {"-f", "--min-size", "1"}, {"big.bin", "docs", "old"}},
      {"at most 0 KB", {"-f", "--max-size=0"}, {"docs", "empty.txt", "old", "zero.txt"}},
  };
  for (const TRow& row : rows) {
    std::vector<std::string> arguments = row.Arguments;
    arguments.push_back(tree.Path());
    const TArboResult result = RunArbo(arguments, kFrench);
    EXPECT_EQ(result.Status, 0) << row.Case << ": " << result.Err;
    EXPECT_EQ(Names(result.Out), row.Expected) << row.Case;
  }
}

TEST(ArboErrors, ExitWithStatusTwoAndOneLineOnStderr) {
  TTempFolder tree;
  tree.MakeFile("file.txt", 1);
  tree.MakeFolder("out");
  struct TRow {
    const char* Case;
    std::vector<std::string> Arguments;
    std::string Message;  // what the line must hold
    std::string NoFileAt;
  };
  const TRow rows[] = {
      {"unknown option", {"-q", tree.Path()}, "-q", ""},
      {"unknown long option", {"--colour", tree.Path()}, "--colour", ""},
      {"no folder", {"-f"}, "dossier", ""},
      {"two folders", {tree.Path(), tree.Path()}, "dossier", ""},
      {"missing folder", {tree / "nowhere"}, "nowhere: dossier introuvable", ""},
      {"file as folder", {tree / "file.txt"}, "file.txt: n'est pas un dossier", ""},
      {"bad sort", {"--sort", "big", tree.Path()}, "big", ""},
      {"bad encoding", {"--encoding=latin1", tree.Path()}, "latin1", ""},
      {"size not a number", {"-f", "--min-size", "1.5", tree.Path()}, "1.5", ""},
      {"both directions", {"--min-size", "1", "--max-size", "2", tree.Path()}, "--max-size", ""},
      {"value missing", {tree.Path(), "-o"}, "-o", ""},
      {"output folder missing",
       {"-o", tree / "none/list.txt", tree.Path()},
       "none/list.txt",
       tree / "none/list.txt"},
      {"output is a folder", {"-o", tree / "out", tree.Path()}, "est un dossier", ""},
      {"output device full", {"-f", "-o", "/dev/full", tree.Path()}, "/dev/full", ""},
      {"json to a full device", {"--json", "-o", "/dev/full", tree.Path()}, "/dev/full", ""},
      {"negative depth", {"-L", "-1", tree.Path()}, "-1", ""},
      {"depth not a number", {"-L", "x", tree.Path()}, "profondeur invalide", ""},
      {"depth zero", {"--max-depth=0", tree.Path()}, "profondeur invalide", ""},
      {"depth with a unit", {"-L2k", tree.Path()}, "2k", ""},
      {"empty exclusion", {"-x", "", tree.Path()}, "exclusion vide", ""},
      {"exclusion of blanks and semicolons", {"--exclude= ; ", tree.Path()}, "exclusion vide", ""},
  };
  for (const TRow& row : rows) {
    const TArboResult result = RunArbo(row.Arguments, kFrench);
    EXPECT_EQ(result.Status, 2) << row.Case;
    EXPECT_EQ(result.Out, "") << row.Case;
    EXPECT_TRUE(result.Err.starts_with("arbo: ")) << row.Case << ": " << result.Err;
    EXPECT_EQ(std::count(result.Err.begin(), result.Err.end(), '\n'), 1) << row.Case;
    EXPECT_NE(result.Err.find(row.Message), std::string::npos) << row.Case << ": " << result.Err;
    if (!row.NoFileAt.empty()) {
      EXPECT_NE(access(row.NoFileAt.c_str(), F_OK), 0) << row.Case;
    }
  }
}

#ifndef RAMILUX_ARBO_UNDER_WINE
// A file the user may not write is refused as a shell's redirection refuses it, and a
// bad size is refused even when files are not listed.
TEST(ArboErrors, ReadOnlyOutputAndBadSizeWithoutFiles) {
  TTempFolder tree;
  ASSERT_EQ(chmod(tree.Path().c_str(), 0777), 0);
  tree.MakeFile("listing.txt", 3);
  ASSERT_EQ(chmod((tree / "listing.txt").c_str(), 0444), 0);
  const TArboResult readOnly =
      RunArbo({"-o", tree / "listing.txt", tree.Path()}, kFrench, "", {}, test::TChildSetup{65534});
  EXPECT_EQ(readOnly.Status, 2) << readOnly.Err;
  EXPECT_NE(readOnly.Err.find("listing.txt"), std::string::npos) << readOnly.Err;
  EXPECT_EQ(test::ReadFile(tree / "listing.txt"), std::string(3, '\0'));
  const TArboResult badSize = RunArbo({"--max-size", "x", tree.Path()}, kFrench);
  EXPECT_EQ(badSize.Status, 2);
  EXPECT_EQ(badSize.Out, "");
}
#endif

TEST(ArboHelp, PrintsTheUsageAndSucceeds) {
  const TArboResult result = RunArbo({"--help"}, {{"LC_ALL", "en_US.UTF-8"}});
  EXPECT_EQ(result.Status, 0);
  EXPECT_TRUE(result.Out.starts_with("Usage: arbo [options] FOLDER" + kMessageEnd)) << result.Out;
}

#ifndef RAMILUX_ARBO_UNDER_WINE
// Ctrl-C while the walk is inside the folder "pause-here": the preloaded shim holds the
// walk there until the signal has been sent.
TEST(ArboInterrupt, DuringTheWalkWritesNothingAndExits130) {
  TTempFolder tree, out, flags;
  for (const char* folder : {"a/one", "z/last"}) tree.MakeFolder(folder);
  for (int i = 0; i < 5; ++i) tree.MakeFolder("pause-here/inner" + std::to_string(i));
  tree.MakeFile("pause-here/file.txt", 5);
  out.MakeFile("listing.txt", 3);  // must keep its old text
  const std::string ready = flags / "ready", resume = flags / "resume", log = flags / "opened";
  for (bool toFile : {false, true}) {
    for (const std::string& file : {ready, resume, log}) std::remove(file.c_str());
    std::vector<std::string> arguments = {"-f", tree.Path()};
    if (toFile) arguments.insert(arguments.begin(), {"-o", out / "listing.txt"});
    bool paused = false;
    const test::TEnvironment shim = {{"LD_PRELOAD", test::BinFolder() + "libarbo_pause_shim.so"},
                                     {"ARBO_PAUSE_AT", "/pause-here/"},
                                     {"ARBO_PAUSE_READY", ready},
                                     {"ARBO_PAUSE_RESUME", resume},
                                     {"ARBO_PAUSE_LOG", log}};
    const TArboResult result = RunArbo(arguments, shim, "", [&](pid_t pid) {
      paused = test::WaitForFile(ready, 20);
      kill(pid, paused ? SIGINT : SIGKILL);
      flags.MakeFile("resume");
    });
    ASSERT_TRUE(paused) << "the walk never reached pause-here: " << result.Err;
    EXPECT_EQ(result.Status, 130) << result.Err;
    EXPECT_EQ(result.Out, "");
    // The walk itself stopped: of pause-here's sub-folders, only the one its search
    // found first may still be entered (the flag is polled after find-next only).
    const std::string opened = test::ReadFile(log);
    int inner = 0;
    for (size_t at = opened.find("/inner"); at != std::string::npos;
         at = opened.find("/inner", at + 1)) {
      ++inner;
    }
    EXPECT_LE(inner, 1) << opened;
  }
  EXPECT_EQ(test::ReadFile(out / "listing.txt"), std::string(3, '\0'));
  const auto entries = std::distance(std::filesystem::directory_iterator(out.Path()), {});
  EXPECT_EQ(entries, 1);  // no temporary file left
}
#endif

}  // namespace
}  // namespace ramilux
