// The save commands: the real save dialog driven from a helper thread, the files read
// back byte for byte, and the RTF read by Debian's unrtf (started through Wine).
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <sstream>

#include "error_box.h"
#include "save_harness.h"
#include "saving.h"
#include "snapshot_open.h"
#include "snapshot_save.h"
#include "wide_text.h"

namespace ramilux::test {
namespace {

const std::string kCannotCreate =
    "Impossible de cr\xE9"
    "er le fichier ";
const std::string kStreamError = "Erreur \xE0 l'enregistrement du flux";

// What one save command did: the name it proposed, the filters it offered, and the text
// and caption of any error box that followed.
struct SaveRun {
  std::string proposed;
  std::vector<std::string> filters;
  std::string selectedFilter;
  std::string errorText;
  std::string errorCaption;
  bool plainTextDuringError = false;
};

std::vector<std::string> ComboItems(HWND combo) {
  std::vector<std::string> items;
  LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    char text[256] = {};
    SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    items.push_back(text);
  }
  return items;
}

using Handler = std::function<void(HWND view)>;

// A save command whose stream breaks after `bytes` bytes.
Handler BreakingAfter(const TSaveCommand& command, uint64_t bytes) {
  return [&command, bytes](HWND view) {
    TSaveFaults faults;
    faults.StreamFailsAfter = bytes;
    RunSaveCommand(view, command, &faults);
  };
}

// Runs the save handler on the view; the script types `fileName` (or cancels when it is
// empty) and answers one error box when `expectError` says one comes.
SaveRun Save(HWND view, const Handler& handler, const std::string& fileName,
             bool expectError = false) {
  SaveRun run;
  DialogScript script([&](DWORD ui) {
    HWND dialog = WaitForDialog(ui);
    ASSERT_NE(dialog, nullptr) << "no save dialog";
    run.proposed = ItemText(dialog, 0x47C);
    run.filters = ComboItems(GetDlgItem(dialog, 0x470));
    run.selectedFilter = ItemText(dialog, 0x470);
    if (fileName.empty()) {
      PressButton(dialog, IDCANCEL);
      return;
    }
    ChooseFileName(dialog, fileName);
    ASSERT_TRUE(WaitClosed(dialog)) << "the save dialog refused " << fileName;
    if (!expectError) return;
    HWND box = WaitForDialog(ui, dialog);
    ASSERT_NE(box, nullptr) << "no error box";
    run.errorText = MessageBoxText(box);
    run.errorCaption = WindowText(box);
    run.plainTextDuringError = PlainText(view);
    PressButton(box, IDOK);
  });
  handler(view);
  script.Finish();
  return run;
}

bool IsRtf(const std::optional<std::string>& bytes) {
  return bytes && bytes->rfind("{\\rtf1", 0) == 0;
}

// The document as unrtf reads it: the text lines (unrtf's text mode gives the bytes of
// code page 1252 back and, like HTML, folds runs of blanks into one), and its HTML mode
// for the font.
struct RtfReading {
  std::vector<std::string> lines;
  std::string html;
};

std::optional<RtfReading> ReadWithUnrtf(const std::string& windowsPath) {
  std::optional<std::string> unixPath = UnixPath(windowsPath);
  if (!unixPath) return std::nullopt;
  std::optional<std::string> text = RunUnixProgram("/usr/bin/unrtf", {"--text", *unixPath});
  std::optional<std::string> html = RunUnixProgram("/usr/bin/unrtf", {"--html", *unixPath});
  if (!text || !html) return std::nullopt;
  RtfReading reading{{}, *html};
  std::istringstream stream(*text);
  std::string line;
  bool body = false;
  while (std::getline(stream, line)) {
    if (body) reading.lines.push_back(line);
    if (line.rfind("-----------------", 0) == 0) body = true;
  }
  while (!reading.lines.empty() && reading.lines.back().empty()) reading.lines.pop_back();
  return reading;
}

std::string FoldBlanks(const std::string& line) {
  std::string folded;
  for (char c : line) {
    if (c != ' ' || folded.empty() || folded.back() != ' ') folded += c;
  }
  return folded;
}

std::vector<std::string> FoldBlanks(const std::vector<std::string>& lines) {
  std::vector<std::string> folded;
  for (const std::string& line : lines) folded.push_back(FoldBlanks(line));
  return folded;
}

TEST(ApplicationTitle, IsTheExecutablesNameLowerCasedAfterItsFirstLetter) {
  struct Row {
    const char* name;
    const char* path;
    const char* title;
  } rows[] = {
      {"plain", "C:\\Programmes\\Ramilux.exe", "Ramilux"},
      {"upper case", "C:\\RAMILUX.EXE", "Ramilux"},
      {"cut at the first full stop", "D:\\a.b\\Ramilux.v2.exe", "Ramilux"},
      {"first letter kept as it is", "save_tests.exe", "save_tests"},
      {"a full stop in a folder's name", "C:\\outils.v2\\ramilux.exe", "ramilux"},
      {"accented letters in the ANSI code page", "C:\\\xC9T\xC9.exe", "\xC9t\xE9"},
  };
  for (const Row& row : rows) EXPECT_EQ(ApplicationTitle(row.path), row.title) << row.name;
}

TEST(SaveDialog, OpensWithTheCommandsNameAndFilters) {
  struct Row {
    const char* name;
    Handler handler;
    const char* proposed;
    std::vector<std::string> filters;
  } rows[] = {
      {"RTF", PopMnuSaveRtfClick, "Ramilux.rtf", {"Fichiers RTF (*.rtf)", "Tous fichiers (*.*)"}},
      {"TXT", PopMnuSaveTxtClick, "Ramilux.txt", {"Fichiers TXT (*.txt)", "Tous fichiers (*.*)"}},
  };
  ViewWindow view{kSampleFace};
  for (const Row& row : rows) {
    SaveRun run = Save(view.view(), row.handler, "");  // cancelled: no file, no box
    EXPECT_EQ(run.proposed, row.proposed) << row.name;
    EXPECT_EQ(run.filters, row.filters) << row.name;
    EXPECT_EQ(run.selectedFilter, row.filters[0]) << row.name;
  }
}

TEST(SaveText, WritesTheViewsBytesExactly) {
  ViewWindow view{kSampleFace};
  view.AddLines(SampleListing());
  TempFolder folder;
  DialogScript script([&](DWORD ui) {
    HWND dialog = WaitForDialog(ui);
    ASSERT_NE(dialog, nullptr);
    ChooseFileName(dialog, folder.path() + "liste.txt");
  });
  PopMnuSaveTxtClick(view.view());
  script.Finish();
  EXPECT_EQ(ReadFileBytes(folder.path() + "liste.txt"), JoinLines(SampleListing()));
  EXPECT_FALSE(PlainText(view.view()));
}

TEST(SaveRtf, UnrtfReadsTheLinesInTheDisplayFont) {
  ViewWindow view{kSampleFace};
  view.AddLines(SampleListing());
  struct Row {
    const char* face;
    int points;
  } rows[] = {{"DejaVu Sans Mono", 9}, {"DejaVu Serif", 14}};
  TempFolder folder;
  for (const Row& row : rows) {
    view.SetFont(row.face, row.points, ANSI_CHARSET);
    std::string name = folder.path() + row.face + ".rtf";
    Save(view.view(), PopMnuSaveRtfClick, name);
    ASSERT_TRUE(IsRtf(ReadFileBytes(name))) << row.face;
    std::optional<RtfReading> reading = ReadWithUnrtf(name);
    ASSERT_TRUE(reading) << "unrtf could not be run";
    EXPECT_EQ(reading->lines, FoldBlanks(SampleListing())) << row.face;
    EXPECT_NE(reading->html.find(std::string("<font face=\"") + row.face + "\""), std::string::npos)
        << reading->html;
    // unrtf's HTML gives sizes only as steps; the size is read from the document itself,
    // in half points.
    EXPECT_NE(ReadFileBytes(name)->find("\\fs" + std::to_string(2 * row.points)), std::string::npos)
        << row.face;
  }
}

// The extension of the name plays no part in the format, and a name is kept as typed.
TEST(SaveFormat, FollowsTheCommandNotTheName) {
  struct Row {
    const char* name;
    Handler handler;
    const char* fileName;
    bool withListing;
    bool expectRtf;
  } rows[] = {
      {"text command, .rtf name", PopMnuSaveTxtClick, "texte.rtf", true, false},
      {"RTF command, .txt name", PopMnuSaveRtfClick, "riche.txt", true, true},
      {"text command, no extension", PopMnuSaveTxtClick, "sans_extension", true, false},
      {"RTF command, no extension", PopMnuSaveRtfClick, "riche_sans", true, true},
      {"empty view as text", PopMnuSaveTxtClick, "vide.txt", false, false},
      {"empty view as RTF", PopMnuSaveRtfClick, "vide.rtf", false, true},
  };
  for (const Row& row : rows) {
    ViewWindow view{kSampleFace};
    if (row.withListing) view.AddLines(SampleListing());
    TempFolder folder;
    Save(view.view(), row.handler, folder.path() + row.fileName);
    EXPECT_EQ(FilesIn(folder.path()), std::vector<std::string>{row.fileName}) << row.name;
    std::optional<std::string> bytes = ReadFileBytes(folder.path() + row.fileName);
    ASSERT_TRUE(bytes) << row.name;
    if (!row.expectRtf) {
      EXPECT_EQ(*bytes, row.withListing ? JoinLines(SampleListing()) : "") << row.name;
      continue;
    }
    EXPECT_TRUE(IsRtf(bytes)) << row.name;
    std::optional<RtfReading> reading = ReadWithUnrtf(folder.path() + row.fileName);
    ASSERT_TRUE(reading) << row.name;
    EXPECT_EQ(reading->lines,
              row.withListing ? FoldBlanks(SampleListing()) : std::vector<std::string>{})
        << row.name;
  }
}

// A listing far longer than one chunk of the stream comes out whole.
TEST(SaveText, LongListingComesOutWhole) {
  std::vector<std::string> lines;
  for (int i = 0; i < 6000; ++i) {
    lines.push_back("\xB3   \xC3\xC4\xC4\xC4 fichier num\xE9ro " + std::to_string(i) + ".txt");
  }
  ViewWindow view{kSampleFace};
  view.AddLines(lines);
  TempFolder folder;
  Save(view.view(), PopMnuSaveTxtClick, folder.path() + "longue.txt");
  EXPECT_EQ(ReadFileBytes(folder.path() + "longue.txt"), JoinLines(lines));
}

TEST(SaveText, ReplacesALongerFileWholly) {
  ViewWindow view{kSampleFace};
  view.AddLines(SampleListing());
  TempFolder folder;
  std::string name = folder.path() + "ancien.txt";
  ASSERT_TRUE(WriteFileBytes(name, std::string(5000, 'x')));
  Save(view.view(), PopMnuSaveTxtClick, name);
  EXPECT_EQ(ReadFileBytes(name), JoinLines(SampleListing()));
  EXPECT_EQ(FilesIn(folder.path()), std::vector<std::string>{"ancien.txt"});
}

TEST(SaveErrors, MissingFolderIsReportedThenAnRtfSaveWorks) {
  ViewWindow view{kSampleFace};
  view.AddLines(SampleListing());
  TempFolder folder;
  std::string missing = folder.path() + "absent\\liste.txt";
  SaveRun failed = Save(view.view(), PopMnuSaveTxtClick, missing, /*expectError=*/true);
  EXPECT_EQ(failed.errorText, kCannotCreate + missing);
  EXPECT_EQ(failed.errorCaption, ApplicationTitle());
  EXPECT_FALSE(failed.plainTextDuringError);
  EXPECT_FALSE(PlainText(view.view()));
  EXPECT_TRUE(FilesIn(folder.path()).empty());

  std::string name = folder.path() + "apres.rtf";
  Save(view.view(), PopMnuSaveRtfClick, name);
  EXPECT_TRUE(IsRtf(ReadFileBytes(name)));
}

// The text save, with `holder` taking the target (no sharing) once the stream is complete,
// as another program may do at any time.
Handler LockingBeforeReplace(const std::string& target, HANDLE* holder) {
  return [target, holder](HWND view) {
    TSaveFaults faults;
    faults.BeforeReplace = [&] {
      *holder = CreateFileA(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    };
    RunSaveCommand(view, kSaveText, &faults);
  };
}

// A target that cannot be replaced is reported by its name and keeps its content, whether
// that is known before the stream or only at the final replacement.
TEST(SaveErrors, UnreplaceableTargetKeepsItsContent) {
  const std::string old = "ancien contenu\r\n";
  enum class Obstacle { kReadOnly, kHeldOpen, kTakenWhileSaving };
  struct Row {
    const char* name;
    Obstacle obstacle;
  } rows[] = {
      {"read-only file", Obstacle::kReadOnly},
      {"file held open by another program", Obstacle::kHeldOpen},
      {"file taken by another program while the save runs", Obstacle::kTakenWhileSaving},
  };
  for (const Row& row : rows) {
    ViewWindow view{kSampleFace};
    view.AddLines(SampleListing());
    TempFolder folder;
    std::string name = folder.path() + "garde.txt";
    ASSERT_TRUE(WriteFileBytes(name, old));
    HANDLE holder = INVALID_HANDLE_VALUE;
    Handler handler = PopMnuSaveTxtClick;
    if (row.obstacle == Obstacle::kReadOnly) {
      SetFileAttributesA(name.c_str(), FILE_ATTRIBUTE_READONLY);
    } else if (row.obstacle == Obstacle::kHeldOpen) {
      holder = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    } else {
      handler = LockingBeforeReplace(name, &holder);
    }
    SaveRun run = Save(view.view(), handler, name, /*expectError=*/true);
    if (row.obstacle != Obstacle::kReadOnly) {
      EXPECT_NE(holder, INVALID_HANDLE_VALUE) << row.name;
    }
    if (holder != INVALID_HANDLE_VALUE) CloseHandle(holder);
    EXPECT_EQ(run.errorText, kCannotCreate + name) << row.name;
    EXPECT_EQ(ReadFileBytes(name), old) << row.name;
    EXPECT_EQ(FilesIn(folder.path()), std::vector<std::string>{"garde.txt"}) << row.name;
    EXPECT_FALSE(PlainText(view.view())) << row.name;
  }
}

// A stream that breaks midway is reported, leaves an existing file as it was, leaves no
// new file where there was none, and no temporary file either.
TEST(SaveErrors, StreamFailureMidwayLosesNothing) {
  const std::string old = "ancienne liste\r\n";
  struct Row {
    const char* name;
    Handler handler;
    bool existing;
  } rows[] = {
      {"text over an existing file", BreakingAfter(kSaveText, 20), true},
      {"RTF over an existing file", BreakingAfter(kSaveRtf, 20), true},
      {"text to a new name", BreakingAfter(kSaveText, 20), false},
  };
  for (const Row& row : rows) {
    ViewWindow view{kSampleFace};
    view.AddLines(SampleListing());
    TempFolder folder;
    std::string name = folder.path() + "liste.txt";
    if (row.existing) {
      ASSERT_TRUE(WriteFileBytes(name, old));
    }
    SaveRun run = Save(view.view(), row.handler, name, /*expectError=*/true);
    EXPECT_EQ(run.errorText, kStreamError) << row.name;
    EXPECT_EQ(run.errorCaption, ApplicationTitle()) << row.name;
    EXPECT_EQ(ReadFileBytes(name), row.existing ? std::optional<std::string>(old) : std::nullopt)
        << row.name;
    EXPECT_EQ(FilesIn(folder.path()).size(), row.existing ? 1u : 0u) << row.name;
    EXPECT_FALSE(PlainText(view.view())) << row.name;
  }
}

bool ThreadHasDialog() {
  bool found = false;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM flag) -> BOOL {
        char name[16] = {};
        GetClassNameA(window, name, sizeof name);
        if (lstrcmpA(name, "#32770") == 0 && IsWindowVisible(window)) {
          *reinterpret_cast<bool*>(flag) = true;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

// The dialog is modal over the window, and the save writes the view that is there when
// the dialog closes: a run that cleared a long listing has put a fresh view in its place.
// A view that is gone streams nothing, which is a failure, not an empty file.
TEST(SaveErrors, SavesTheViewOfTheMomentAndNeverAnEmptyFileForOneGone) {
  const std::string old = "ancienne liste\r\n";
  const std::vector<std::string> fresh = {"nouvelle liste", "\xC0\xC4\xC4 dossier"};
  struct Row {
    const char* name;
    bool freshView;
  } rows[] = {
      {"a fresh view in place of the old one", true},
      {"the view gone, none in its place", false},
  };
  for (const Row& row : rows) {
    ViewWindow window{kSampleFace};
    window.AddLines(SampleListing());
    TempFolder folder;
    std::string name = folder.path() + "liste.txt";
    ASSERT_TRUE(WriteFileBytes(name, old));
    std::atomic<bool> replaced{false};
    bool ownerDisabled = false;
    HWND ownerSeen = nullptr;
    window.onPrinting = [&] {
      if (!replaced && ThreadHasDialog()) {
        window.ReplaceView(fresh, row.freshView);
        replaced = true;
      }
    };
    std::string errorText;
    DialogScript script([&](DWORD ui) {
      HWND dialog = WaitForDialog(ui);
      ASSERT_NE(dialog, nullptr);
      ownerSeen = GetWindow(dialog, GW_OWNER);
      ownerDisabled = !IsWindowEnabled(window.owner());
      for (int i = 0; i < 500 && !replaced; ++i) Sleep(10);
      ChooseFileName(dialog, name);
      ASSERT_TRUE(WaitClosed(dialog));
      if (row.freshView) return;
      HWND box = WaitForDialog(ui, dialog);
      ASSERT_NE(box, nullptr) << row.name << ": no error box";
      errorText = MessageBoxText(box);
      PressButton(box, IDOK);
    });
    HWND startView = window.view();
    PopMnuSaveTxtClick(startView);
    script.Finish();
    window.onPrinting = nullptr;
    EXPECT_TRUE(replaced) << row.name;
    EXPECT_EQ(ownerSeen, window.owner()) << row.name;
    EXPECT_TRUE(ownerDisabled) << row.name;
    if (row.freshView) {
      EXPECT_EQ(ReadFileBytes(name), JoinLines(fresh)) << row.name;
    } else {
      EXPECT_EQ(errorText, kStreamError) << row.name;
      EXPECT_EQ(ReadFileBytes(name), old) << row.name;
    }
    EXPECT_EQ(FilesIn(folder.path()), std::vector<std::string>{"liste.txt"}) << row.name;
  }
}

// The window's snapshot: the exact names in UTF-8, and a stopped walk leaves the file as
// it was.
TEST(SaveSnapshot, KeepsExactNamesAndAStopChangesNothing) {
  TempFolder folder;
  const std::wstring root = ToWide(folder.path(), CP_ACP) + L"arbre";
  CreateDirectoryW(root.c_str(), nullptr);
  CreateDirectoryW((root + L"\\\u0141\u00f3d\u017a").c_str(), nullptr);
  const std::string target = folder.path() + "instantane.json";
  ASSERT_TRUE(SaveSnapshot(root, target, [] { return true; }).Ok());
  const std::optional<std::string> json = ReadFileBytes(target);
  ASSERT_TRUE(json);
  EXPECT_NE(json->find("\"format\": \"ramilux-snapshot\""), std::string::npos) << *json;
  EXPECT_NE(json->find("\xC5\x81\xC3\xB3\x64\xC5\xBA"), std::string::npos) << *json;  // Łódź

  ASSERT_TRUE(WriteFileBytes(target, "ancien"));
  EXPECT_TRUE(SaveSnapshot(root, target, [] { return false; }).Ok());
  EXPECT_EQ(ReadFileBytes(target), "ancien");
  EXPECT_EQ(FilesIn(folder.path()).size(), 2u);  // arbre and the file, no temporary left
}

// A snapshot taken on Linux, read for the window: the root with "\\", a "\\" inside a name as
// "?", a name the code page lacks in its ANSI form with the exact one after a NUL; and the
// searches of the snapshot's file system find each folder by the path the walk makes.
TEST(OpenSnapshot, NamesTakeTheWindowsFormAndTheSearchesFindTheirFolders) {
  TempFolder folder;
  const std::string file = folder.path() + "linux.json";
  const std::string lodz = "\xC5\x81\xC3\xB3\x64\xC5\xBA";  // Łódź in UTF-8
  ASSERT_TRUE(
      WriteFileBytes(file,
                     R"({"format": "ramilux-snapshot", "version": 1, "root": "/tmp/d\u00e9mo/",
"separator": "/", "taken": 1765140000, "folders": [
{"path": "", "entries": [{"name": "a\\b", "type": "folder", "attr": 16},
 {"name": ")" + lodz + R"(", "type": "folder", "attr": 16}]},
{"path": "a\\b/", "entries": []},
{"path": ")" + lodz + R"(/", "entries": [{"name": "x.txt", "type": "file", "attr": 32, "size": 3}]}
]})"));
  TResult<std::shared_ptr<TSnapshotTree>> loaded = LoadSnapshotFile(file);
  ASSERT_TRUE(loaded.Ok()) << loaded.Outcome().Text();
  TSnapshotTree& tree = *loaded.Value();
  ToWindowNames(tree);
  const std::string shownLodz = std::string(
                                    "L\xF3"
                                    "dz\0",
                                    5) +
                                lodz;
  EXPECT_EQ(tree.Root, "\\tmp\\d\xE9mo\\");
  EXPECT_EQ(tree.Separator, '\\');
  ASSERT_EQ(tree.Folders.size(), 3u);
  EXPECT_EQ(tree.Folders[1].Path, "a?b\\");
  EXPECT_EQ(tree.Folders[2].Path, shownLodz + "\\");
  EXPECT_EQ(tree.Name(tree.Items[1]), shownLodz);

  auto files = NewSnapshotFileSystem(loaded.Value());
  auto search = files->NewSearch();
  ASSERT_TRUE(
      search->FindFirst(tree.Root + shownLodz + "\\" + std::string(kAllEntries), kFilePassAttr));
  EXPECT_EQ(search->Name(), "x.txt");
  EXPECT_EQ(search->Size(), 3);

  const std::string note = SnapshotNote(tree, file, "instantan\xE9");
  EXPECT_TRUE(note.starts_with(" (instantan\xE9 du 07/12/2025 ")) << note;
  EXPECT_TRUE(note.ends_with(":40, fichier " + file + ")")) << note;
}

}  // namespace
}  // namespace ramilux::test
