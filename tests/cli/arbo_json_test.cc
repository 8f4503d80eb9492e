// arbo --json on names that a JSON writer can get wrong, and on local times on either side
// of a change to summer time.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "arbo_runner.h"
#include "json_reader.h"
#include "temp_folder.h"

namespace ramilux {
namespace {

using test::RunArbo;
using test::TArboResult;
using test::TListedEntry;
using test::TTempFolder;

using test::kFrench;

// A name as the text listing shows it, for finding its JSON form: control characters as
// "?" (both mark each byte that is not UTF-8 with one U+FFFD).
std::string Shown(std::string name) {
  for (char& c : name) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  }
  return name;
}

TEST(ArboJson, NamesComeBackExactAndAsTheTextListingHasThem) {
  struct TName {
    const char* Case;
    std::string OnDisk, InJson;
  };
  const TName names[] = {
      {"accents", "Été à l'œil.txt", "Été à l'œil.txt"},
      {"quotes", "a \"quoted\" name", "a \"quoted\" name"},
      {"backslash", "back\\slash", "back\\slash"},
      {"tab", "tab\there", "tab\there"},
      {"control characters", "ctl\x01\x1f", "ctl\x01\x1f"},
      {"delete", "del\x7f", "del\x7f"},
      {"stray byte", "bad\xff byte", "bad\uFFFD byte"},
      {"cut sequence, a mark a byte", "cut \xe2\x82", "cut \uFFFD\uFFFD"},
      {"surrogate, a mark a byte", "half \xed\xa0\x80", "half \uFFFD\uFFFD\uFFFD"},
      {"overlong slash", "long \xc0\xaf", "long \uFFFD\uFFFD"},
      {"four bytes", "emoji \xf0\x9f\x8c\xb2", "emoji \U0001F332"},
  };
  TTempFolder tree;
  tree.MakeFolder("Dossier \"q\\\"");
  std::map<std::string, std::string> inJson = {{"Dossier \"q\\\"", "Dossier \"q\\\""}};
  for (const TName& name : names) {
    tree.MakeFile("Dossier \"q\\\"/" + name.OnDisk, 1);
    inJson[Shown(name.InJson)] = name.InJson;
  }
  const TArboResult text = RunArbo({"-f", tree.Path()}, kFrench);
  const TArboResult json = RunArbo({"-f", "--json", tree.Path()}, kFrench);
  ASSERT_EQ(json.Status, 0) << json.Err;
  const test::TJsonDocument document = test::ReadJson(json.Out);
  ASSERT_TRUE(document.Parsed) << document.Output << json.Out;

  std::vector<TListedEntry> expected = test::TextEntries(text.Out);
  ASSERT_EQ(expected.size(), std::size(names) + 1) << text.Out;
  for (TListedEntry& entry : expected) entry.Name = inJson.at(Shown(entry.Name));
  EXPECT_EQ(document.Listed(), expected);
  for (const test::TJsonEntry& e : document.Entries) {
    if (e.Entry.Depth == 2) {
      EXPECT_EQ(e.Path, "Dossier \"q\\\"/" + e.Entry.Name);
    }
  }
}

// The CSV and Markdown outputs on the names a writer gets wrong: the CSV read by Python's
// own reader equals the JSON document, with either separator; the Markdown's fence outruns
// the backticks of the names.
TEST(ArboFormats, CsvReadByPythonEqualsTheJsonAndMarkdownKeepsItsFence) {
  TTempFolder tree;
  for (const char* folder : {"Łódź", "Αθήνα", "Αθήνα/東京", "q\"uo,te;semi", "a<&>b ```"}) {
    tree.MakeFolder(folder);
  }
  for (const char* file : {"Łódź/zażółć.txt", "Αθήνα/東京/🌲 emoji", "q\"uo,te;semi/c,d;e\"f",
                           "a<&>b ```/tab\there", "a<&>b ```/line\nbreak", "ctl\x01"}) {
    tree.MakeFile(file, 3);
  }
  TTempFolder out;
  const std::string json = out.Path() + "/l.json";
  ASSERT_EQ(RunArbo({"-f", "--json", "-o", json, tree.Path()}, kFrench).Status, 0);
  for (const char* separator : {",", ";"}) {
    const std::string csv = out.Path() + "/l.csv";
    const TArboResult written = RunArbo(
        {"-f", "--format", "csv", "--csv-separator", separator, "-o", csv, tree.Path()}, kFrench);
    ASSERT_EQ(written.Status, 0) << written.Err;
    const std::string script =
        "import csv, json, sys\n"
        "d = json.load(open(sys.argv[1], encoding='utf-8'))\n"
        "raw = open(sys.argv[2], 'rb').read()\n"
        "assert raw.startswith(b'\\xef\\xbb\\xbf'), 'no BOM'\n"
        "rows = list(csv.DictReader(open(sys.argv[2], newline='', encoding='utf-8-sig'),"
        " delimiter=sys.argv[3]))\n"
        "want = [{'path': d['root'] + e['path'], 'name': e['name'], 'type': e['type'],"
        " 'depth': str(e['depth']), 'size': str(e.get('size', '')),"
        " 'modified': e.get('modified', ''), 'state': e.get('reason', '')}"
        " for e in d['entries']]\n"
        "assert rows == want, (rows, want)\n"
        "print(len(rows))\n";
    const std::string command =
        "python3 -c \"$SCRIPT\" '" + json + "' '" + csv + "' '" + separator + "' 2>&1";
    setenv("SCRIPT", script.c_str(), 1);
    FILE* python = popen(command.c_str(), "r");
    ASSERT_NE(python, nullptr);
    std::string said;
    for (char buffer[4096]; fgets(buffer, sizeof buffer, python);) said += buffer;
    EXPECT_EQ(pclose(python), 0) << said;
    EXPECT_EQ(said, "11\n") << separator;
  }
  const TArboResult markdown = RunArbo({"-f", "--format", "md", tree.Path()}, kFrench);
  ASSERT_EQ(markdown.Status, 0) << markdown.Err;
  EXPECT_TRUE(markdown.Out.starts_with("# Arborescence a partir de: ")) << markdown.Out;
  EXPECT_NE(markdown.Out.find("\n\n````\n"), std::string::npos) << markdown.Out;
  EXPECT_NE(markdown.Out.find("├─ a<&>b ```\n"), std::string::npos) << markdown.Out;
  EXPECT_NE(markdown.Out.find("│  └─ zażółć.txt\n"), std::string::npos) << markdown.Out;
  EXPECT_NE(markdown.Out.find("      └─ 🌲 emoji\n````\n"), std::string::npos) << markdown.Out;
  EXPECT_NE(markdown.Out.find("├─ ctl?\n"), std::string::npos) << markdown.Out;
}

// The offset is the one of each date, not today's: winter and summer differ by an hour.
TEST(ArboJson, TimesCarryTheOffsetOfTheirOwnDate) {
  const char* zone = "CET-1CEST,M3.5.0,M10.5.0/3";  // needs no time zone database
  test::TScopedEnv scoped("TZ", zone);
  tzset();
  TTempFolder tree;
  tree.MakeFile("winter");
  tree.MakeFile("summer");
  ASSERT_TRUE(test::SetLocalTime(tree / "winter", 2003, 1, 10, 11, 0, 4));
  ASSERT_TRUE(test::SetLocalTime(tree / "summer", 2003, 7, 1, 23, 59, 58));
  const TArboResult json = RunArbo({"-f", "--json", tree.Path()}, {{"TZ", zone}});
  const test::TJsonDocument document = test::ReadJson(json.Out);
  ASSERT_TRUE(document.Parsed) << document.Output << json.Out;
  ASSERT_EQ(document.Entries.size(), 2u);
  EXPECT_EQ(document.Entries[0].Modified, "2003-07-01T23:59:58+02:00");
  EXPECT_EQ(document.Entries[1].Modified, "2003-01-10T11:00:04+01:00");
  tzset();
}

// Names that are not UTF-8 show U+FFFD for display, and their exact bytes, in hexadecimal,
// only where the display form loses them: two such names stay apart, and so do the paths
// below them.
TEST(ArboJson, NamesThatAreNotUtf8CarryTheirExactBytes) {
  TTempFolder tree;
  for (const std::string folder : {"bad\xfe", "bad\xff"}) {
    tree.MakeFolder(folder);
    tree.MakeFile(folder + "/x");
  }
  tree.MakeFile("ok");
  const TArboResult json = RunArbo({"-f", "--json", tree.Path()}, kFrench);
  const test::TJsonDocument document = test::ReadJson(json.Out);
  ASSERT_TRUE(document.Parsed) << document.Output << json.Out;
  EXPECT_EQ(document.RootBytes, "");
  struct TRow {
    std::string Name, Path, NameBytes, PathBytes;
  };
  const TRow rows[] = {
      {"bad\uFFFD", "bad\uFFFD", "bad\xfe", "bad\xfe"},
      {"x", "bad\uFFFD/x", "", "bad\xfe/x"},
      {"bad\uFFFD", "bad\uFFFD", "bad\xff", "bad\xff"},
      {"x", "bad\uFFFD/x", "", "bad\xff/x"},
      {"ok", "ok", "", ""},
  };
  ASSERT_EQ(document.Entries.size(), std::size(rows)) << json.Out;
  for (size_t i = 0; i < std::size(rows); ++i) {
    const test::TJsonEntry& e = document.Entries[i];
    EXPECT_EQ(e.Entry.Name, rows[i].Name) << i;
    EXPECT_EQ(e.Path, rows[i].Path) << i;
    EXPECT_EQ(e.NameBytes, rows[i].NameBytes) << i;
    EXPECT_EQ(e.PathBytes, rows[i].PathBytes) << i;
  }
}

// Every time the file system holds, each with the offset of its own instant: the hour
// repeated when summer time ends holds two instants an hour apart, and the years the
// listing's packed dates cannot hold are times all the same.
TEST(ArboJson, TimesOfTheRepeatedHourAndOutsideThePackedYears) {
  // The zone's rules as the database has them, or as a rule where it is not installed.
  const char* zone = access("/usr/share/zoneinfo/Europe/Paris", R_OK) == 0
                         ? "Europe/Paris"
                         : "CET-1CEST,M3.5.0,M10.5.0/3";
  struct TRow {
    const char* Name;
    time_t Utc;
    const char* Modified;
  };
  const TRow rows[] = {
      {"a summer", 1761438600, "2025-10-26T02:30:00+02:00"},  // 00:30 UTC
      {"b winter", 1761442200, "2025-10-26T02:30:00+01:00"},  // 01:30 UTC
      {"c after", 1761445800, "2025-10-26T03:30:00+01:00"},   // 02:30 UTC
      {"d epoch", 3, "1970-01-01T01:00:02+01:00"},
      {"e before", -315619200, "1960-01-01T01:00:00+01:00"},
      {"f after 2107", 7258161600, "2200-01-01T13:00:00+01:00"},
  };
  TTempFolder tree;
  for (const TRow& row : rows) {
    tree.MakeFile(row.Name);
    const struct timespec times[2] = {{row.Utc, 0}, {row.Utc, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, (tree / row.Name).c_str(), times, 0), 0);
  }
  const TArboResult json = RunArbo({"-f", "--json", tree.Path()}, {{"TZ", zone}});
  const test::TJsonDocument document = test::ReadJson(json.Out);
  ASSERT_TRUE(document.Parsed) << document.Output << json.Out;
  ASSERT_EQ(document.Entries.size(), std::size(rows));
  for (size_t i = 0; i < std::size(rows); ++i) {
    EXPECT_EQ(document.Entries[i].Modified, rows[i].Modified) << rows[i].Name;
  }
}

// Each folder's totals in `arbo -t --json` against the sums Python makes from the entries
// of the full listing (`-f --json`) under the same file rules.
TEST(ArboJson, TotalsAreTheSumsOfTheFullListing) {
  TTempFolder tree;
  for (const char* folder : {"a/b/c", "a/b/nothing", "node_modules", "z"}) tree.MakeFolder(folder);
  tree.MakeFile("top.txt", 10);
  tree.MakeFile(".hidden.txt", 3000);
  tree.MakeFile("a/one.txt", 2048);
  tree.MakeFile("a/two.bin", 700);
  tree.MakeFile("a/b/c/deep.txt", 5000);
  tree.MakeFile("a/b/c/empty.txt", 0);
  tree.MakeFolder("a/b/nothing");
  tree.MakeFile("node_modules/x.txt", 99);
  tree.MakeFile("z/last.txt", 1);
  TTempFolder work;
  std::ofstream(work / "sums.py") << R"(
import json, sys
full = json.load(open(sys.argv[1], encoding='utf-8'))['entries']
totals = json.load(open(sys.argv[2], encoding='utf-8'))['entries']
assert all('total_size' not in e for e in full)
folders = [e for e in totals if e['type'] == 'folder']
assert folders and all(e['type'] == 'folder' for e in totals)
for f in folders:
    below = [e for e in full if e['path'].startswith(f['path'] + '/')]
    files = [e for e in below if e['type'] == 'file']
    want = (sum(e['size'] for e in files), len(files),
            len(below) - len(files), True)
    got = (f['total_size'], f['total_files'], f['total_folders'], f['complete'])
    assert want == got, (f['path'], want, got)
print('OK', len(folders))
)";
  const std::vector<std::vector<std::string>> rules = {
      {}, {"-m", "*.txt", "--min-size", "1", "-x", "node_modules"}};
  for (const std::vector<std::string>& rule : rules) {
    std::vector<std::string> full = {"-f", "--json", "-o", work / "full.json"};
    std::vector<std::string> totals = {"-t", "--json", "-o", work / "totals.json"};
    for (const std::string& option : rule) {
      full.push_back(option);
      totals.push_back(option);
    }
    full.push_back(tree.Path());
    totals.push_back(tree.Path());
    ASSERT_EQ(RunArbo(full, kFrench).Status, 0);
    ASSERT_EQ(RunArbo(totals, kFrench).Status, 0);
    const std::string command = "/usr/bin/python3 " + work / "sums.py" + " " + work / "full.json" +
                                " " + work / "totals.json" + " 2>&1";
    std::string output;
    if (std::FILE* pipe = popen(command.c_str(), "r")) {
      char chunk[4096];
      for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) output.append(chunk, n);
      pclose(pipe);
    }
    EXPECT_EQ(output, rule.empty() ? "OK 6\n" : "OK 5\n") << rule.size();
  }
  // The other formats take the same lines, and the root's totals close their header too.
  const TArboResult markdown = RunArbo({"-t", "--format", "md", tree.Path()}, kFrench);
  EXPECT_TRUE(markdown.Out.starts_with("# Arborescence a partir de: " + tree.Path() +
                                       "  10,60 Ko  8 fichiers  6 dossiers\n"))
      << markdown.Out;
  EXPECT_NE(markdown.Out.find("├─ a  7,57 Ko  4 fichiers  3 dossiers\n"), std::string::npos)
      << markdown.Out;
}

}  // namespace
}  // namespace ramilux
