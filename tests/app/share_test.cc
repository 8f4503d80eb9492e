// The listing as other programs get it, from a real run on a tree with a name the code
// page cannot hold: the saves "TXT Unicode", "CSV", "Markdown" and "HTML" through the real
// save dialog, "Copier" read back from the clipboard in its three formats, and a snapshot of
// the tree opened again and compared with the tree as it is later.
#include <gtest/gtest.h>
#include <richedit.h>
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "app_test_support.h"
#include "files.h"
#include "resource.h"
#include "rich_edit.h"
#include "snapshot_save.h"
#include "wide_text.h"

namespace ramilux::test {
namespace {

const std::wstring kLodz = L"\u0141\u00f3d\u017a";  // "Łódź"
constexpr char kBom[] = "\xEF\xBB\xBF";

std::string Utf8(const std::wstring& text) {
  return FromWide(text, CP_UTF8);
}

// Łódź (with sous) and zz below the root, listed by a real run.
class TSharedRun {
 public:
  explicit TSharedRun(bool run = true) {
    const std::wstring root = ToWide(tree_.Root(), CP_ACP);
    CreateDirectoryW((root + kLodz).c_str(), nullptr);
    CreateDirectoryW((root + kLodz + L"\\sous").c_str(), nullptr);
    tree_.AddFolder("zz");
    harness_.Form().Listing().SetRoot(tree_.Root());
    ran_ = run && harness_.Form().SbnRefreshClick();
  }
  bool Ran() const { return ran_; }
  TFormHarness& Harness() { return harness_; }
  HWND View() { return harness_.Get(IDC_RICH_EDIT); }
  std::string Root() const { return tree_.Root(); }
  std::string RootUtf8() const { return Utf8(ToWide(tree_.Root(), CP_ACP)); }
  // The Unicode lines the view's lines stand for.
  std::vector<std::string> Lines() const {
    return {"Arborescence a partir de: " + RootUtf8(), " ", "\u251C\u2500 " + Utf8(kLodz),
            "\u2502  \u2514\u2500 sous", "\u2514\u2500 zz"};
  }
  // Saves through the menu item `command` as `name` in the root; the file's bytes.
  std::string Save(int command, const std::string& name) {
    const std::string path = tree_.Root() + name;
    Command(command, path);
    return ReadFileBytes(path).value_or("");
  }
  // The menu item `command` with `path` given to its file dialog; the text of an error box
  // that follows, "" when none does.
  std::string Command(int command, const std::string& path, bool boxExpected = false) {
    std::string box;
    TDialogDriver driver({[&path](HWND dialog) {
                            SendMessageA(GetDlgItem(dialog, 0x47C), WM_SETTEXT, 0,
                                         reinterpret_cast<LPARAM>(path.c_str()));
                            PressButton(dialog, IDOK);
                          },
                          [&box](HWND dialog) {
                            box = MessageBoxText(dialog);
                            PressButton(dialog, IDOK);
                          }});
    SendMessageA(harness_.Form().Handle(), WM_COMMAND, command, 0);
    EXPECT_EQ(driver.Handled(), boxExpected ? 2 : 1) << path;
    EXPECT_EQ(driver.Unexpected(), 0) << path;
    return box;
  }
  const TTempTree& Tree() const { return tree_; }
  TTempTree& Tree() { return tree_; }

 private:
  TTempTree tree_;
  TFormHarness harness_;
  bool ran_ = false;
};

std::string Joined(const std::vector<std::string>& lines, size_t first = 0,
                   size_t last = SIZE_MAX) {
  std::string text;
  for (size_t i = first; i < lines.size() && i <= last; ++i) text += lines[i] + "\r\n";
  return text;
}

TEST(ShareListing, SavesUnicodeTextCsvMarkdownAndHtmlWithTheExactNames) {
  TSharedRun run;
  ASSERT_TRUE(run.Ran());
  const std::vector<std::string> view = ViewLines(run.View());
  ASSERT_EQ(view.size(), 5u);
  ASSERT_EQ(view[4], "\xC0\xC4 zz");  // the order the expected lines assume
  const std::vector<std::string> lines = run.Lines();
  const std::string root = run.RootUtf8();
  const std::string lodz = Utf8(kLodz);
  struct TRow {
    const char* Name;
    int Command;
    const char* File;
    std::string Expected;  // the whole file, or its start when `Start` is set
    bool Start = false;
  };
  const TRow rows[] = {
      {"TXT Unicode", IDM_SAVE_UNICODE_TXT, "liste.txt", kBom + Joined(lines)},
      {"CSV", IDM_SAVE_CSV, "liste.csv",
       std::string(kBom) + "path;name;type;depth;size;modified;state\r\n" + root + lodz + ";" +
           lodz + ";folder;1;;",
       true},
      {"Markdown", IDM_SAVE_MARKDOWN, "liste.md", "# Arborescence a partir de: ", true},
      {"HTML", IDM_SAVE_HTML, "liste.html", "<!DOCTYPE html>\n<html lang=\"fr\">", true},
  };
  for (const TRow& row : rows) {
    const std::string bytes = run.Save(row.Command, row.File);
    if (row.Start) {
      EXPECT_EQ(bytes.substr(0, row.Expected.size()), row.Expected) << row.Name;
    } else {
      EXPECT_EQ(bytes, row.Expected) << row.Name;
    }
  }
  // The CSV's other rows: a full path per entry, its depth, no size for a folder.
  const std::string csv = run.Save(IDM_SAVE_CSV, "liste.csv");
  EXPECT_NE(csv.find("\r\n" + root + lodz + "\\sous;sous;folder;2;;"), std::string::npos) << csv;
  EXPECT_NE(csv.find("\r\n" + root + "zz;zz;folder;1;;"), std::string::npos) << csv;
  // The Markdown: the entries' lines in a fence after the title.
  const std::string md = run.Save(IDM_SAVE_MARKDOWN, "liste.md");
  EXPECT_TRUE(md.ends_with("\r\n\r\n```\r\n" + Joined(lines, 2) + "```\r\n")) << md;
  EXPECT_EQ(md.find(kBom), std::string::npos);
  // The HTML page: the header as its title, one data line per entry with the exact name.
  const std::string html = run.Save(IDM_SAVE_HTML, "liste.html");
  EXPECT_NE(html.find("<title>" + lines[0] + "</title>"), std::string::npos) << html;
  EXPECT_NE(html.find(" hidden>0d" + lodz + "\n1dsous\n0dzz\n</pre>"), std::string::npos) << html;
  // The view is as the run left it.
  EXPECT_EQ(ViewLines(run.View()), view);
}

std::string ClipboardBytes(UINT format) {
  std::string bytes;
  if (!OpenClipboard(nullptr)) return bytes;
  if (HANDLE data = GetClipboardData(format)) {
    if (const char* text = static_cast<const char*>(GlobalLock(data))) {
      bytes.assign(text, GlobalSize(data));
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return bytes;
}

std::wstring ClipboardUnicode() {
  const std::string bytes = ClipboardBytes(CF_UNICODETEXT);
  std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
  return text.substr(0, text.find(L'\0'));
}

// The RTF as a rich edit control reads it: the control's Unicode text, its face.
struct TRtfReading {
  std::wstring Text;
  std::string Face;
};

DWORD CALLBACK ReadFrom(DWORD_PTR cookie, BYTE* buffer, LONG wanted, LONG* given) {
  auto* source = reinterpret_cast<std::string*>(cookie);
  const size_t count = std::min<size_t>(wanted, source->size());
  memcpy(buffer, source->data(), count);
  source->erase(0, count);
  *given = static_cast<LONG>(count);
  return 0;
}

DWORD CALLBACK WriteTo(DWORD_PTR cookie, BYTE* buffer, LONG count, LONG* taken) {
  reinterpret_cast<std::string*>(cookie)->append(reinterpret_cast<char*>(buffer), count);
  *taken = count;
  return 0;
}

// The view's control (rich edit 1.0) reading `rtf`; its text comes back as UTF-16, as the
// control holds it.
TRtfReading ReadInRichEdit(std::string rtf) {
  HWND edit = CreateWindowExA(0, "RICHEDIT", "", WS_CHILD | ES_MULTILINE, 0, 0, 400, 300,
                              HWND_MESSAGE, nullptr, nullptr, nullptr);
  EDITSTREAM in{reinterpret_cast<DWORD_PTR>(&rtf), 0, ReadFrom};
  SendMessageA(edit, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&in));
  std::string utf16;
  EDITSTREAM out{reinterpret_cast<DWORD_PTR>(&utf16), 0, WriteTo};
  SendMessageA(edit, EM_STREAMOUT, SF_TEXT | SF_UNICODE, reinterpret_cast<LPARAM>(&out));
  TRtfReading reading;
  reading.Text.assign(reinterpret_cast<const wchar_t*>(utf16.data()), utf16.size() / 2);
  while (reading.Text.ends_with(L"\r\n")) reading.Text.resize(reading.Text.size() - 2);
  rich_edit::Select(edit, 0, 1);
  CHARFORMATA format{};
  format.cbSize = sizeof format;
  SendMessageA(edit, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
  reading.Face = format.szFaceName;
  DestroyWindow(edit);
  return reading;
}

// The RTF as another word processor reads it: LibreOffice's text export, in UTF-8.
std::optional<std::string> ReadWithLibreOffice(const std::string& rtfPath) {
  TempFolder out;
  const std::optional<std::string> unixOut = UnixPath(out.path());
  const std::optional<std::string> unixRtf = UnixPath(rtfPath);
  if (!unixOut || !unixRtf) return std::nullopt;
  const std::string name = rtfPath.substr(rtfPath.rfind('\\') + 1);
  RunUnixProgram("/usr/bin/soffice",
                 {"--headless", "-env:UserInstallation=file://" + *unixOut + "/profile",
                  "--convert-to", "txt:Text (encoded):UTF8", "--outdir", *unixOut, *unixRtf},
                 180000);
  std::optional<std::string> text =
      ReadFileBytes(out.path() + name.substr(0, name.rfind('.')) + ".txt");
  // It reads a run of spaces as a space each with a six-per-em space before it.
  const std::string sixPerEm = "\u2006";
  for (size_t at = 0; text && (at = text->find(sixPerEm, at)) != std::string::npos;)
    text->erase(at, sixPerEm.size());
  return text;
}

// A whole listing's RTF holds the exact names, and the view's control reads them back in
// the display font; a view that holds no run keeps the control's own RTF.
TEST(ShareListing, TheRtfOfAWholeListingHasTheExactNamesInTheDisplayFont) {
  TSharedRun run;
  ASSERT_TRUE(run.Ran());
  const std::string rtf = run.Save(IDM_SAVE_RTF, "liste.rtf");
  ASSERT_EQ(rtf.rfind("{\\rtf1", 0), 0u);
  EXPECT_NE(rtf.find("{\\*\\falt Courier New}"), std::string::npos);
  const TRtfReading reading = ReadInRichEdit(rtf);
  const std::string text = Joined(run.Lines());
  EXPECT_EQ(reading.Text, ToWide(text.substr(0, text.size() - 2), CP_UTF8));
  EXPECT_EQ(reading.Face, "Ramilux");
  const std::optional<std::string> other = ReadWithLibreOffice(run.Root() + "liste.rtf");
  ASSERT_TRUE(other) << "LibreOffice could not convert the RTF";
  for (const std::string& line : run.Lines())
    EXPECT_NE(other->find(line), std::string::npos) << line;

  TSharedRun none(/*run=*/false);
  const std::string own = none.Save(IDM_SAVE_RTF, "vide.rtf");
  EXPECT_EQ(own.rfind("{\\rtf1", 0), 0u);
  EXPECT_EQ(own.find("\\falt"), std::string::npos);
}

// "Version:0.9" then byte offsets: the fragment they point at.
std::string HtmlFragment(const std::string& clip) {
  const auto number = [&](const char* key) {
    const size_t at = clip.find(key);
    return at == std::string::npos ? std::string::npos
                                   : std::stoul(clip.substr(at + strlen(key), 10));
  };
  const size_t start = number("StartFragment:"), end = number("EndFragment:");
  const size_t html = number("StartHTML:"), htmlEnd = number("EndHTML:");
  if (start > end || end > clip.size() || htmlEnd > clip.size()) return "bad offsets";
  if (clip.compare(html, 6, "<html>") != 0 || clip.compare(htmlEnd - 7, 7, "</html>") != 0) {
    return "bad page offsets";
  }
  return clip.substr(start, end - start);
}

TEST(ShareListing, CopyPutsTheLinesOnTheClipboardInThreeFormats) {
  TSharedRun run;
  ASSERT_TRUE(run.Ran());
  const std::vector<std::string> lines = run.Lines();
  struct TRow {
    const char* Name;
    int64_t FromLine, ToLine;  // the view's selection, from the start of one line to another
    size_t First, Last;        // the lines copied
    bool ByKeys;               // Ctrl+C in the view, which has a thread of its own
  };
  const TRow rows[] = {
      {"nothing selected: every line", 0, 0, 0, 4, false},
      {"two whole lines", 2, 4, 2, 3, false},
      {"a selection inside one line", -3, -3, 3, 3, false},
      {"two whole lines, by Ctrl+C", 2, 4, 2, 3, true},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.Name);
    if (row.FromLine >= 0) {
      rich_edit::Select(run.View(), rich_edit::LineIndex(run.View(), row.FromLine),
                        rich_edit::LineIndex(run.View(), row.ToLine));
    } else {
      const int64_t at = rich_edit::LineIndex(run.View(), -row.FromLine);
      rich_edit::Select(run.View(), at + 1, at + 4);
    }
    if (row.ByKeys) {
      OpenClipboard(nullptr);
      EmptyClipboard();
      CloseClipboard();
      THeldKey control(VK_CONTROL);
      PostMessageA(run.View(), WM_KEYDOWN, 'C', 0);
      run.Harness().Pump();
    } else {
      SendMessageA(run.Harness().Form().Handle(), WM_COMMAND, IDM_COPY, 0);
    }
    const std::string text = Joined(lines, row.First, row.Last);
    EXPECT_EQ(ClipboardUnicode(), ToWide(text, CP_UTF8));

    const std::string rtf = ClipboardBytes(RegisterClipboardFormatA("Rich Text Format"));
    ASSERT_EQ(rtf.rfind("{\\rtf1", 0), 0u);
    const TRtfReading reading = ReadInRichEdit(rtf);
    EXPECT_EQ(reading.Text, ToWide(text.substr(0, text.size() - 2), CP_UTF8));
    EXPECT_EQ(reading.Face, rich_edit::CharFormat(run.View()).szFaceName);

    const std::string html = ClipboardBytes(RegisterClipboardFormatA("HTML Format"));
    EXPECT_EQ(HtmlFragment(html.substr(0, html.find('\0'))), "<pre>" + text + "</pre>");
  }
}

// A snapshot taken of the tree, outside it, then the tree changed: zz removed, ajout added.
class TSnapshotRun : public TSharedRun {
 public:
  TSnapshotRun() {
    file_ = folder_.Root() + "instantan\xE9.json";
    taken_ = SaveSnapshot(ToWide(Tree().Root(), CP_ACP), file_, [] { return true; }).Ok();
    RemoveDirectoryA((Tree().Root() + "zz").c_str());
    Tree().AddFolder("ajout");
  }
  bool Taken() const { return taken_; }
  const std::string& File() const { return file_; }
  // The header's closing words: " (WHAT du dd/MM/yyyy HH:mm, fichier FILE)".
  void ExpectNote(const std::string& header, const std::string& what) const {
    const std::string start = " (" + what + " du ", end = ", fichier " + file_ + ")";
    ASSERT_TRUE(header.ends_with(end)) << header;
    const size_t at = header.size() - end.size() - std::string("07/12/2026 20:58").size();
    EXPECT_EQ(header.substr(at - start.size(), start.size()), start) << header;
    EXPECT_EQ(header[at + 2], '/') << header;
  }

 private:
  TTempTree folder_;
  std::string file_;
  bool taken_ = false;
};

TEST(SnapshotItems, OpenListsTheSnapshotAsTheDiskWasUntilAFolderIsChosen) {
  TSnapshotRun run;
  ASSERT_TRUE(run.Ran());
  ASSERT_TRUE(run.Taken());
  const std::vector<std::string> before = ViewLines(run.View());
  ASSERT_EQ(before.size(), 5u);
  EXPECT_EQ(run.Command(IDM_OPEN_SNAPSHOT, run.File()), "");
  std::vector<std::string> opened = ViewLines(run.View());
  ASSERT_EQ(opened.size(), before.size());
  run.ExpectNote(opened[0], "instantan\xE9");
  EXPECT_EQ(opened[0].substr(0, before[0].size()), before[0]);
  const std::string header = opened[0];
  opened[0] = before[0];
  EXPECT_EQ(opened, before);  // Łódź, sous and zz, as when the snapshot was taken
  // Refresh lists the snapshot again; a folder chosen lists the disk again.
  ASSERT_TRUE(run.Harness().Form().SbnRefreshClick());
  EXPECT_EQ(ViewLines(run.View()).size(), before.size());
  EXPECT_EQ(ViewLines(run.View())[0], header);
  ASSERT_TRUE(run.Harness().Form().ListFolder(ToWide(run.Tree().Root(), CP_ACP)));
  EXPECT_EQ(ViewLines(run.View())[0], before[0]);
}

TEST(SnapshotItems, CompareShowsWhatChangedAndCopiesItAsUnicode) {
  TSnapshotRun run;
  ASSERT_TRUE(run.Ran() && run.Taken());
  EXPECT_EQ(run.Command(IDM_COMPARE_SNAPSHOT, run.File()), "");
  std::vector<std::string> lines = ViewLines(run.View());
  ASSERT_EQ(lines.size(), 5u);
  run.ExpectNote(lines[0], "compar\xE9 \xE0 l'instantan\xE9");
  EXPECT_EQ(lines[1], " ");
  EXPECT_EQ(lines[2], "\xC3\xC4 + ajout");
  EXPECT_EQ(lines[3], "\xC0\xC4 - zz");
  EXPECT_EQ(lines[4], "1 ajout(s), 1 suppression(s), 0 modification(s), 2 inchang\xE9(s)");
  SendMessageA(run.Harness().Form().Handle(), WM_COMMAND, IDM_COPY, 0);
  const std::wstring copied = ClipboardUnicode();
  EXPECT_NE(copied.find(L"\r\n\u251C\u2500 + ajout\r\n\u2514\u2500 - zz\r\n1 ajout(s)"),
            std::wstring::npos);
}

// A file that is no whole snapshot gives one box and leaves the view as it was.
TEST(SnapshotItems, ABadFileGivesOneBoxAndNoListing) {
  TSharedRun run;
  ASSERT_TRUE(run.Ran());
  const std::vector<std::string> before = ViewLines(run.View());
  const std::string file = run.Tree().Root() + "mauvais.json";
  const std::string quoted = "\"" + file + "\"";
  struct TRow {
    const char* Bytes;
    std::string Box;
  };
  const TRow rows[] = {
      {R"({"format": "ramilux-snapshot", "version": 1, "root": "C:\\", "sepa)",
       "L'instantan\xE9 " + quoted + " est tronqu\xE9"},
      {R"({"name": "autre chose"})", "Le fichier " + quoted + " n'est pas un instantan\xE9"},
      {R"({"format": "ramilux-snapshot", "version": 2})", "L'instantan\xE9 " + quoted +
                                                              " est de version 2, trop r\xE9"
                                                              "cente pour ce programme"},
      {"pas du JSON", "L'instantan\xE9 " + quoted + " est invalide : "},
  };
  // Both items read the file alike: the comparison takes the first row only (each file
  // dialog costs seconds under Wine).
  for (const TRow& row : rows) {
    ASSERT_TRUE(WriteFileBytes(file, row.Bytes));
    for (int command : {IDM_OPEN_SNAPSHOT, IDM_COMPARE_SNAPSHOT}) {
      if (command == IDM_COMPARE_SNAPSHOT && &row != rows) continue;
      const std::string box = run.Command(command, file, true);
      EXPECT_EQ(box.substr(0, row.Box.size()), row.Box) << row.Bytes;
      EXPECT_EQ(ViewLines(run.View()), before) << row.Bytes;
    }
  }
}

}  // namespace
}  // namespace ramilux::test
