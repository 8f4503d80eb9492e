// arbo --snapshot, --from and --compare end to end: a snapshot lists as the disk did, a
// comparison finds exactly what changed, and a damaged file never gives a listing.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "arbo_runner.h"
#include "json_reader.h"
#include "temp_folder.h"

namespace ramilux {
namespace {

using test::RunArbo;
using test::TArboResult;
using test::TTempFolder;

using test::kFrench;

// Python's reading of a JSON file: `expression` of the document `d`, or its complaint.
std::string PythonReads(const std::string& path, const std::string& expression) {
  const std::string command =
      "/usr/bin/python3 -c \"import json, sys; d = json.load(open("
      "sys.argv[1], encoding='utf-8')); print(" +
      expression + ")\" " + path + " 2>&1";
  std::string output;
  if (std::FILE* pipe = popen(command.c_str(), "r")) {
    char chunk[4096];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) output.append(chunk, n);
    pclose(pipe);
  }
  return output;
}

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// A tree with what a listing can meet: hidden files and folders, a name that is not
// UTF-8, empty files, files of several sizes and dates, and a symbolic link.
void MakeMixedTree(const TTempFolder& tree) {
  tree.MakeFolder("docs/old");
  tree.MakeFolder(".cache/deep");
  tree.MakeFile(".cache/deep/hidden.bin", 10);
  tree.MakeFile(".profile", 3);
  tree.MakeFile("docs/plan.doc", 3000);
  tree.MakeFile("docs/empty.txt", 0);
  tree.MakeFile("docs/old/x.doc", 10);
  tree.MakeFile("notes.txt", 50);
  tree.MakeFile("bad\xfe", 7);
  ASSERT_TRUE(test::SetLocalTime(tree / "notes.txt", 2002, 1, 1, 12, 0, 0));
  ASSERT_TRUE(test::SetLocalTime(tree / "docs/plan.doc", 1975, 6, 1, 8, 0, 0));
  ASSERT_EQ(symlink("docs", (tree / "link").c_str()), 0);
}

TEST(ArboSnapshot, ReopenedSnapshotListsAsTheDisk) {
  TTempFolder tree, files;
  MakeMixedTree(tree);
  const std::string snapshot = files / "s.json";
  const TArboResult taken = RunArbo({"--snapshot", snapshot, tree.Path()}, kFrench);
  ASSERT_EQ(taken.Status, 0) << taken.Err;
  EXPECT_EQ(taken.Out, "");
  // Python reads it: the format, every entry (the hidden folder's contents are none the
  // walk sees), the exact bytes of the name that is not UTF-8.
  EXPECT_EQ(PythonReads(snapshot,
                        "d['format'], d['version'], sum(len(f['entries']) for f in "
                        "d['folders']), [e['name_bytes'] for f in d['folders'] for e "
                        "in f['entries'] if 'name_bytes' in e]"),
            "ramilux-snapshot 1 10 ['626164fe']\n");
  const std::vector<std::vector<std::string>> optionSets = {
      {},
      {"-f"},
      {"-f", "-s", "-d"},
      {"-f", "--sort", "size", "-s"},
      {"-f", "--sort=date", "-d"},
      {"-f", "-m", "*.doc;*.txt"},
      {"-f", "--min-size", "1"},
      {"-f", "--max-size=0"},
      {"-f", "-L", "1"},
      {"-f", "-x", "old;*.txt"},
      {"-f", "--summary"},
      {"-f", "--json", "--summary"},
      {"-f", "--encoding", "ansi", "-s"},
  };
  for (const std::vector<std::string>& options : optionSets) {
    std::vector<std::string> live = options, reopened = options;
    live.push_back(tree.Path());
    reopened.insert(reopened.end(), {"--from", snapshot});
    const TArboResult disk = RunArbo(live, kFrench), from = RunArbo(reopened, kFrench);
    const std::string name = ::testing::PrintToString(options);
    EXPECT_EQ(from.Status, disk.Status) << name << from.Err;
    EXPECT_EQ(from.Out, disk.Out) << name;
    EXPECT_NE(from.Err.find("instantané " + snapshot + " de " + tree.Path() + ", du "),
              std::string::npos)
        << from.Err;
  }
}

TEST(ArboSnapshot, KeepsTheTimeToTheNanosecond) {
  TTempFolder tree, files;
  tree.MakeFile("f", 1);
  const struct timespec times[2] = {{1700000000, 123456789}, {1700000000, 123456789}};
  ASSERT_EQ(utimensat(AT_FDCWD, (tree / "f").c_str(), times, 0), 0);
  ASSERT_EQ(RunArbo({"--snapshot", files / "s.json", tree.Path()}).Status, 0);
  EXPECT_NE(test::ReadFile(files / "s.json").find("\"modified\": [1700000000, 123456789]"),
            std::string::npos);
}

// Every kind of change between two snapshots of one tree, and the folder as it is now.
TEST(ArboCompare, FindsExactlyWhatChanged) {
  TTempFolder tree, files;
  tree.MakeFolder("gone/inner");
  tree.MakeFile("gone/inner/g.txt", 4);
  tree.MakeFolder("keep/locked");
  tree.MakeFile("keep/grown.txt", 10);
  tree.MakeFile("keep/touched.txt", 10);
  tree.MakeFile("keep/same.txt", 10);
  tree.MakeFile("keep/locked/s", 1);
  tree.MakeFile("readme", 5);
  tree.MakeFolder(".hidden");
  ASSERT_EQ(chmod(tree.Path().c_str(), 0755), 0);
  ASSERT_EQ(chmod(files.Path().c_str(), 0777), 0);
  ASSERT_TRUE(test::SetLocalTime(tree / "keep/touched.txt", 2010, 1, 1, 0, 0, 0));
  const test::TChildSetup nobody{65534};
  const std::string before = files / "before.json", after = files / "after.json";
  ASSERT_EQ(RunArbo({"--snapshot", before, tree.Path()}, kFrench, "", {}, nobody).Status, 0);
  const TArboResult same = RunArbo({"--compare", before, "-f"}, kFrench, "", {}, nobody);
  EXPECT_EQ(same.Status, 0) << same.Err;
  EXPECT_EQ(same.Out, "Arborescence a partir de: " + tree.Path() +
                          "\n \n0 ajout(s), 0 suppression(s), 0 modification(s), 10 inchangé(s)\n");

  std::filesystem::remove_all(tree / "gone");
  tree.MakeFolder("new/sub");
  tree.MakeFile("new/sub/n.txt", 2);
  tree.MakeFile("keep/grown.txt", 25);
  ASSERT_TRUE(test::SetLocalTime(tree / "keep/touched.txt", 2011, 1, 1, 0, 0, 0));
  tree.MakeFile("README", 5);          // differs from readme only in case
  tree.MakeFile(".hidden/inside", 1);  // in a folder no walk enters
  ASSERT_EQ(chmod((tree / "keep/locked").c_str(), 0), 0);
  const TArboResult taken = RunArbo({"--snapshot", after, tree.Path()}, kFrench, "", {}, nobody);
  const TArboResult live = RunArbo({"--compare", before, "-f"}, kFrench, "", {}, nobody);
  const TArboResult pair = RunArbo({"--compare", before, after, "-f"}, kFrench, "", {}, nobody);
  const TArboResult json =
      RunArbo({"--compare", before, after, "-f", "--json"}, kFrench, "", {}, nobody);
  const TArboResult all = RunArbo({"--compare", before, after, "--all"}, kFrench, "", {}, nobody);
  chmod((tree / "keep/locked").c_str(), 0755);
  ASSERT_EQ(taken.Status, 0) << taken.Err;
  const std::string expected = "Arborescence a partir de: " + tree.Path() +
                               "\n \n"
                               "├─ + README\n"
                               "├─ - gone\n"
                               "│  └─ - inner\n"
                               "│     └─ - g.txt\n"
                               "├─   keep\n"
                               "│  ├─ ~ grown.txt  (+15 octets)\n"
                               "│  ├─ ~ touched.txt\n"
                               "│  └─ ~ locked  [accès refusé]\n"
                               "│     └─ - s\n"
                               "└─ + new\n"
                               "   └─ + sub\n"
                               "      └─ + n.txt\n"
                               "4 ajout(s), 4 suppression(s), 3 modification(s), 3 inchangé(s)\n";
  if (getuid() == 0 && pair.Out.find("refusé") == std::string::npos) {
    GTEST_SKIP() << "these rights read folders of mode 000";
  }
  EXPECT_EQ(pair.Status, 1) << pair.Err;
  EXPECT_EQ(pair.Out, expected);
  EXPECT_EQ(live.Status, 1) << live.Err;
  EXPECT_EQ(live.Out, expected);
  WriteText(files / "compare.json", json.Out);
  EXPECT_EQ(PythonReads(files / "compare.json", "len(d['entries']), d['summary']['changed']"),
            "12 3\n");
  EXPECT_NE(json.Out.find("{\"path\": \"keep/grown.txt\", \"type\": \"file\", \"change\": "
                          "\"changed\", \"old_size\": 10,"),
            std::string::npos)
      << json.Out;
  EXPECT_NE(json.Out.find("\"summary\": {\"added\": 4, \"removed\": 4, \"changed\": 3, "
                          "\"unchanged\": 3}"),
            std::string::npos);
  // --all: the unchanged folders too; without -f, files are neither listed nor counted.
  EXPECT_EQ(all.Status, 1);
  EXPECT_NE(all.Out.find("├─   keep\n"), std::string::npos) << all.Out;
  EXPECT_NE(all.Out.find("2 ajout(s), 2 suppression(s), 1 modification(s), 1 inchangé(s)\n"),
            std::string::npos)
      << all.Out;
}

// A file that is not a whole snapshot of this version is refused before anything is
// listed, with one line and status 2.
TEST(ArboSnapshot, DamagedFilesAreRefusedWithOneLine) {
  TTempFolder tree, files;
  MakeMixedTree(tree);
  const std::string good = files / "good.json";
  ASSERT_EQ(RunArbo({"--snapshot", good, tree.Path()}).Status, 0);
  const std::string text = test::ReadFile(good);
  const std::string head =
      "{\"format\": \"ramilux-snapshot\", \"version\": 1,\n\"root\": \"/t/\", "
      "\"separator\": \"/\", \"taken\": 0,\n\"folders\": [";
  struct TRow {
    const char* Case;
    std::string Content;
    const char* Message;
  };
  const TRow rows[] = {
      {"empty", "", "instantané tronqué"},
      {"cut in the middle", text.substr(0, text.size() / 2), "instantané tronqué"},
      {"cut before the last brace", text.substr(0, text.rfind('}')), "instantané tronqué"},
      {"no JSON", "tree listing\n", "instantané invalide"},
      {"another JSON document", "{\"root\": \"/t/\", \"entries\": []}", "pas un instantané"},
      {"another format", "{\"format\": \"other\", \"version\": 1}", "pas un instantané"},
      {"newer version", "{\"format\": \"ramilux-snapshot\", \"version\": 2, \"x\": [",
       "version 2, trop récente"},
      {"text after the document", text + "{}", "instantané invalide"},
      {"trailing comma", head + "{\"path\": \"\", \"entries\": [],}]}", "instantané invalide"},
      {"no root folder", head + "]}", "instantané invalide"},
      {"folder out of order",
       head + "{\"path\": \"\", \"entries\": []}, {\"path\": \"x/\", \"entries\": []}]}",
       "instantané invalide"},
      {"folder never recorded",
       head + "{\"path\": \"\", \"entries\": [{\"name\": \"d\", \"type\": \"folder\", "
              "\"attr\": 16}]}]}",
       "instantané invalide"},
      {"name with a separator",
       head + "{\"path\": \"\", \"entries\": [{\"name\": \"a/b\", \"type\": \"file\", "
              "\"attr\": 0}]}]}",
       "instantané invalide"},
      {"name longer than any file system gives",
       head + "{\"path\": \"\", \"entries\": [{\"name\": \"" + std::string(4097, 'a') +
           "\", \"type\": \"file\", \"attr\": 0}]}]}",
       "instantané invalide"},
      {"type against attr",
       head + "{\"path\": \"\", \"entries\": [{\"name\": \"a\", \"type\": \"file\", "
              "\"attr\": 16}]}]}",
       "instantané invalide"},
      {"huge size",
       head + "{\"path\": \"\", \"entries\": [{\"name\": \"a\", \"type\": \"file\", "
              "\"attr\": 0, \"size\": 99999999999999999999}]}]}",
       "instantané invalide"},
      {"lone surrogate",
       head + "{\"path\": \"\", \"entries\": [{\"name\": \"\\ud800\", \"type\": \"file\", "
              "\"attr\": 0}]}]}",
       "instantané invalide"},
      {"raw bytes that are not UTF-8",
       head + "{\"path\": \"\", \"entries\": [{\"name\": \"a\xfe\", \"type\": \"file\", "
              "\"attr\": 0}]}]}",
       "instantané invalide"},
      {"bytes that are not the name",
       head + "{\"path\": \"\", \"entries\": [{\"name\": \"a\", \"name_bytes\": \"62\", "
              "\"type\": \"file\", \"attr\": 0}]}]}",
       "instantané invalide"},
      {"unknown member",
       head + "{\"path\": \"\", \"entries\": [{\"name\": \"a\", \"type\": \"file\", "
              "\"attr\": 0, \"colour\": 1}]}]}",
       "instantané invalide"},
  };
  const std::string bad = files / "bad.json";
  for (const TRow& row : rows) {
    WriteText(bad, row.Content);
    for (const char* command : {"--from", "--compare"}) {
      const TArboResult result = RunArbo({command, bad, "-f"}, kFrench);
      EXPECT_EQ(result.Status, 2) << row.Case << " " << command;
      EXPECT_EQ(result.Out, "") << row.Case << " " << command;
      EXPECT_EQ(result.Err.find("arbo: " + bad + ": "), 0u) << row.Case << ": " << result.Err;
      EXPECT_NE(result.Err.find(row.Message), std::string::npos) << row.Case << ": " << result.Err;
      EXPECT_EQ(std::count(result.Err.begin(), result.Err.end(), '\n'), 1) << row.Case;
    }
  }
  // The same in English where the messages are.
  WriteText(bad, "");
  const TArboResult english = RunArbo({"--from", bad}, {{"LC_ALL", "C"}, {"LANG", "C"}});
  EXPECT_EQ(english.Err, "arbo: " + bad + ": truncated snapshot\n");
}

}  // namespace
}  // namespace ramilux
