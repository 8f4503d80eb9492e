// arbo --json on names that a JSON writer can get wrong, and on local times on either side
// of a change to summer time.
#include <gtest/gtest.h>

#include <ctime>
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

const test::TEnvironment kFrench = {{"LC_ALL", "fr_FR.UTF-8"}, {"LANG", "fr_FR.UTF-8"}};

// A name as the text listing shows it, for finding its JSON form: control characters as
// "?", and a run of U+FFFD as one (the text marks each stray byte, JSON each bad sequence).
std::string Shown(std::string name) {
  for (char& c : name) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  }
  const std::string mark = "\uFFFD";
  for (size_t at = name.find(mark + mark); at != std::string::npos; at = name.find(mark + mark)) {
    name.erase(at, mark.size());
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
      {"cut sequence, one mark", "cut \xe2\x82", "cut \uFFFD"},
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

}  // namespace
}  // namespace ramilux
