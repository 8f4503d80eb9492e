// arbo --format html opened in headless Chromium: the outline drawn by the page's script
// from exact names, a folder closed by a real click, a search typed into the field.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>

#include "arbo_runner.h"
#include "temp_folder.h"

namespace ramilux {
namespace {

using test::RunArbo;
using test::TArboResult;
using test::TTempFolder;

using test::kFrench;

// Opens `page`, then clicks the folder Łódź, then searches "EMOJI"; each step prints
// "== name" and the page's text, which the test reads back into sections.
constexpr char kSteps[] = R"py(
import sys
sys.path.insert(0, sys.argv[1])
from chromium_page import Page
def show(name, text):
    print("== " + name)
    print(text.rstrip("\n"))
rows = "document.getElementById('r').innerText"
with Page(sys.argv[2]) as page:
    show("header", page.evaluate("document.getElementById('h').innerText"))
    show("title", page.evaluate("document.title"))
    show("rows", page.evaluate(rows))
    page.click_on("#r > div:nth-child(5)")
    page.next_frame()
    show("closed", page.evaluate(rows))
    page.click_on("#q")
    page.type_text("EMOJI")
    show("count", page.wait_for("document.getElementById('n').textContent"))
    show("found", page.evaluate(rows))
    show("marked", page.evaluate("[...document.querySelectorAll('#r mark')]"
                                 ".map(m => m.textContent).join('|')"))
)py";

std::map<std::string, std::string> Sections(const std::string& said) {
  std::map<std::string, std::string> sections;
  std::string* current = nullptr;
  for (size_t at = 0; at < said.size();) {
    size_t end = said.find('\n', at);
    if (end == std::string::npos) end = said.size();
    const std::string line = said.substr(at, end - at);
    if (line.starts_with("== ")) {
      current = &sections[line.substr(3)];
    } else if (current != nullptr) {
      *current += line + "\n";
    }
    at = end + 1;
  }
  return sections;
}

TEST(ArboFormats, HtmlPageOpensClosesAFolderAndSearchesInChromium) {
  TTempFolder tree;
  for (const char* folder : {"Łódź", "Αθήνα/東京", "a<&>b \"q\" 's", "locked"}) {
    tree.MakeFolder(folder);
  }
  for (const char* file :
       {"Łódź/zażółć.txt", "Αθήνα/東京/🌲 emoji", "a<&>b \"q\" 's/c<d>&e", "ctl\x01"}) {
    tree.MakeFile(file, 3);
  }
  ASSERT_EQ(chmod(tree.Path().c_str(), 0755), 0);
  ASSERT_EQ(chmod((tree / "locked").c_str(), 0), 0);
  const TArboResult html = RunArbo({"-f", "-s", "--format", "html", tree.Path()}, kFrench, "", {},
                                   test::TChildSetup{65534});
  chmod((tree / "locked").c_str(), 0755);
  ASSERT_EQ(html.Status, 1) << "the folder of mode 000 must be unread: " << html.Err;

  // Names escaped in the file; nothing fetched from elsewhere.
  EXPECT_NE(html.Out.find("a&lt;&amp;&gt;b &quot;q&quot; &#39;s"), std::string::npos);
  EXPECT_EQ(html.Out.find("a<&>b"), std::string::npos);
  for (const char* outside : {"src=", "href=", "://", "url(", "@import"}) {
    EXPECT_EQ(html.Out.find(outside), std::string::npos) << outside;
  }

  TTempFolder out;
  const std::string page = out / "listing.html";
  std::ofstream(page, std::ios::binary) << html.Out;
  setenv("SCRIPT", kSteps, 1);
  const std::string command =
      "/usr/bin/python3 -c \"$SCRIPT\" '" RAMILUX_SCRIPTS_DIR "' '" + page + "' 2>&1";
  FILE* python = popen(command.c_str(), "r");
  ASSERT_NE(python, nullptr);
  std::string said;
  for (char buffer[4096]; fgets(buffer, sizeof buffer, python);) said += buffer;
  ASSERT_EQ(pclose(python), 0) << said;

  std::map<std::string, std::string> shown = Sections(said);
  const std::string header = "Arborescence a partir de: " + tree.Path() + "\n";
  EXPECT_EQ(shown["header"], header);
  EXPECT_EQ(shown["title"], header);
  EXPECT_EQ(shown["rows"],
            "├─ ctl?  0,00 Ko\n"
            "├─ a<&>b \"q\" 's\n"
            "│  └─ c<d>&e  0,00 Ko\n"
            "├─ locked  [accès refusé]\n"
            "├─ Łódź\n"
            "│  └─ zażółć.txt  0,00 Ko\n"
            "└─ Αθήνα\n"
            "   └─ 東京\n"
            "      └─ 🌲 emoji  0,00 Ko\n");
  EXPECT_EQ(shown["closed"],
            "├─ ctl?  0,00 Ko\n"
            "├─ a<&>b \"q\" 's\n"
            "│  └─ c<d>&e  0,00 Ko\n"
            "├─ locked  [accès refusé]\n"
            "├─ Łódź\n"
            "└─ Αθήνα\n"
            "   └─ 東京\n"
            "      └─ 🌲 emoji  0,00 Ko\n");
  EXPECT_EQ(shown["count"], "1 ligne trouvée\n");
  EXPECT_EQ(shown["found"],
            "└─ Αθήνα\n"
            "   └─ 東京\n"
            "      └─ 🌲 emoji  0,00 Ko\n");
  EXPECT_EQ(shown["marked"], "emoji\n");
}

}  // namespace
}  // namespace ramilux
