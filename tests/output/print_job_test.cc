// Printing through the print dialog onto the test printer, read back as text.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "display_font.h"
#include "print_test_support.h"
#include "printer.h"
#include "printing.h"
#include "rich_edit.h"

namespace ramilux {
namespace {

using test::PrintedJobs;

class Print : public ::testing::Test {
 protected:
  void SetUp() override { SetDefaultPrinterA(test::kTestPrinter); }

  // Presses the print button with `answer` handling the dialogs; returns the new jobs.
  std::vector<std::string> PressPrint(test::DialogDriver::Answer answer, size_t expectedJobs = 1) {
    PrintedJobs jobs;
    {
      test::DialogDriver driver(std::move(answer));
      SbnPrintClick(window.owner(), window.view(),
                    [this](bool wait) { waitCursorHeld.push_back(wait); });
      seen = driver.seen();
      EXPECT_FALSE(driver.timedOut()) << "a dialog stayed open";
    }
    return jobs.NewJobFiles(expectedJobs);
  }

  // The printed lines of a job, with the connectors as they leave the view.
  static std::vector<std::string> PrintedLines(const std::string& job) {
    return test::NonEmptyLines(PrintedJobs::ToText(job));
  }

  static std::vector<std::string> Expected(const std::vector<std::string>& lines, size_t first,
                                           size_t last, bool boxGlyphs = false) {
    std::vector<std::string> expected;
    for (size_t i = first; i < last && i < lines.size(); ++i) {
      std::string line = test::AsPrinted(lines[i], boxGlyphs);
      if (!line.empty()) expected.push_back(line);
    }
    return expected;
  }

  test::ViewWindow window;
  std::vector<test::SeenDialog> seen;
  std::vector<bool> waitCursorHeld;  // each call of the window's wait cursor, in order
};

TEST_F(Print, AllPagesPrintsEveryLineInOrder) {
  std::vector<std::string> lines = test::ListingLines(250);
  // Connectors print as lines in the display font; without it as the Latin-1 letters.
  bool boxGlyphs = window.UseRamiluxFont();
  window.SetLines(lines);
  int pages = GetPageCount(window.view()).Value();
  bool pagesOffered = false, selectionOffered = true, printToFileShown = true;
  std::string from, to;
  auto files = PressPrint([&](HWND dialog) {
    printToFileShown = IsWindowVisible(GetDlgItem(dialog, test::kPrintToFile));
    pagesOffered = IsWindowEnabled(GetDlgItem(dialog, test::kPageNums));
    selectionOffered = IsWindowEnabled(GetDlgItem(dialog, test::kSelection));
    from = std::to_string(GetDlgItemInt(dialog, test::kFromPage, nullptr, FALSE));
    to = std::to_string(GetDlgItemInt(dialog, test::kToPage, nullptr, FALSE));
    test::PressButton(dialog, IDOK);
  });
  EXPECT_TRUE(pagesOffered);
  EXPECT_FALSE(selectionOffered);
  EXPECT_FALSE(printToFileShown);
  EXPECT_EQ(from, "1");
  EXPECT_EQ(to, std::to_string(pages));
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(PrintedLines(files[0]), Expected(lines, 0, lines.size(), boxGlyphs));
  EXPECT_GE(PrintedJobs::PageCountOf(files[0]), 3);
  EXPECT_EQ(PrintedJobs::TitleOf(files[0]), "");
}

TEST_F(Print, SelectionPrintsExactlyTheSelectedLines) {
  std::vector<std::string> lines = test::ListingLines(60);
  window.SetLines(lines);
  window.SelectLines(10, 21);
  bool selectionChosen = false;
  auto files = PressPrint([&](HWND dialog) {
    selectionChosen = IsDlgButtonChecked(dialog, test::kSelection) == BST_CHECKED;
    test::PressButton(dialog, IDOK);
  });
  EXPECT_TRUE(selectionChosen);
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(PrintedLines(files[0]), Expected(lines, 10, 21));
}

TEST_F(Print, SelectionMayEndInsideALine) {
  window.SetLines({"premier", "deuxi\xE8me ligne", "troisi\xE8me"});
  int64_t start = rich_edit::LineIndex(window.view(), 1);
  rich_edit::Select(window.view(), start, start + 8);
  auto files = PressPrint([](HWND dialog) { test::PressButton(dialog, IDOK); });
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(PrintedLines(files[0]), std::vector<std::string>{test::AsPrinted("deuxi\xE8me")});
}

TEST_F(Print, PageRangePrintsTheLinesOfTheEstimatedPages) {
  int perPage = GetLinesPerPage(window.view()).Value();
  // Three and a half estimated pages; pages 2 to 4 run past the end of the text.
  std::vector<std::string> lines = test::ListingLines(perPage * 3 + perPage / 2 - 2);
  window.SetLines(lines);
  auto files = PressPrint([](HWND dialog) {
    test::ChooseRange(dialog, test::kPageNums);
    SetDlgItemInt(dialog, test::kFromPage, 2, FALSE);
    SetDlgItemInt(dialog, test::kToPage, 4, FALSE);
    test::PressButton(dialog, IDOK);
  });
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(PrintedLines(files[0]), Expected(lines, perPage, 4 * perPage));
}

TEST_F(Print, CopiesRepeatTheDocumentInOneJob) {
  std::vector<std::string> lines = test::ListingLines(20);
  window.SetLines(lines);
  auto files = PressPrint([](HWND dialog) {
    SetDlgItemInt(dialog, test::kCopies, 2, FALSE);
    test::PressButton(dialog, IDOK);
  });
  ASSERT_EQ(files.size(), 1u);
  std::vector<std::string> once = Expected(lines, 0, lines.size()), twice = once;
  twice.insert(twice.end(), once.begin(), once.end());
  EXPECT_EQ(PrintedLines(files[0]), twice);
  EXPECT_EQ(PrintedJobs::PageCountOf(files[0]), 2);
}

TEST_F(Print, CancelPrintsNothing) {
  window.SetLines(test::ListingLines(30));
  auto files = PressPrint([](HWND dialog) { test::PressButton(dialog, IDCANCEL); }, 0);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_TRUE(seen[0].printDialog);
  EXPECT_TRUE(files.empty());
}

TEST_F(Print, EmptyViewOffersNoRangeAndPrintsOneBlankPage) {
  bool pagesOffered = true, selectionOffered = true;
  auto files = PressPrint([&](HWND dialog) {
    pagesOffered = IsWindowEnabled(GetDlgItem(dialog, test::kPageNums));
    selectionOffered = IsWindowEnabled(GetDlgItem(dialog, test::kSelection));
    test::PressButton(dialog, IDOK);
  });
  EXPECT_EQ(GetPageCount(window.view()).Value(), 0);
  EXPECT_FALSE(pagesOffered);
  EXPECT_FALSE(selectionOffered);
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(PrintedJobs::PageCountOf(files[0]), 1);
  EXPECT_TRUE(PrintedLines(files[0]).empty());
}

TEST_F(Print, LineWiderThanThePageIsWrappedNotCut) {
  std::string wide;
  for (int i = 0; i < 60; ++i) wide += "mot" + std::to_string(i) + "-";
  window.SetLines({"avant", wide, "apr\xE8s"});
  auto files = PressPrint([](HWND dialog) { test::PressButton(dialog, IDOK); });
  ASSERT_EQ(files.size(), 1u);
  std::vector<std::string> printed = PrintedLines(files[0]);
  ASSERT_GE(printed.size(), 4u) << "the wide line takes several rows";
  EXPECT_EQ(printed.front(), "avant");
  EXPECT_EQ(printed.back(), test::AsPrinted("apr\xE8s"));
  std::string joined;
  for (size_t i = 1; i + 1 < printed.size(); ++i) joined += printed[i];
  EXPECT_EQ(joined, wide);
}

TEST_F(Print, LongSelectionIsCopiedWholeIntoACopyAsLargeAsTheView) {
  // Beyond the 64K characters a new rich edit holds by default.
  std::vector<std::string> lines;
  for (int i = 0; i < 700; ++i)
    lines.push_back("ligne " + std::to_string(i) + std::string(95, '.'));
  window.SetLines(lines);
  window.SelectLines(0, 700);
  CHARRANGE selection = rich_edit::Selection(window.view());
  ASSERT_GT(selection.cpMax - selection.cpMin, 65536);
  // The copy lives while its text prints: catch it then (this platform's control does not
  // hold a program's insertion to the capacity, so the output alone would not tell).
  int64_t copyLimit = -1;
  window.onPrinting = [&] {
    if (copyLimit >= 0 || !ThePrinter().Printing()) return;
    for (HWND child = GetWindow(window.owner(), GW_CHILD); child;
         child = GetWindow(child, GW_HWNDNEXT)) {
      if (child != window.view()) copyLimit = rich_edit::TextLimit(child);
    }
  };
  auto files = PressPrint([](HWND dialog) { test::PressButton(dialog, IDOK); });
  window.onPrinting = nullptr;
  EXPECT_EQ(copyLimit, rich_edit::TextLimit(window.view()));
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(PrintedLines(files[0]), Expected(lines, 0, lines.size()));
  for (const test::SeenDialog& dialog : seen) EXPECT_TRUE(dialog.printDialog) << dialog.text;
}

TEST_F(Print, SecondPressDuringAPrintIsRefusedAndTheWindowGoesOn) {
  std::vector<std::string> lines = test::ListingLines(200);
  window.SetLines(lines);
  bool pressed = false;
  HCURSOR cursorWhilePrinting = nullptr;
  std::vector<bool> heldWhilePrinting;
  window.onPrinting = [&] {
    if (pressed || !ThePrinter().Printing()) return;
    pressed = true;
    cursorWhilePrinting = GetCursor();
    heldWhilePrinting = waitCursorHeld;
    SbnPrintClick(window.owner(), window.view());
  };
  auto files = PressPrint([](HWND dialog) { test::PressButton(dialog, IDOK); });
  window.onPrinting = nullptr;
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_TRUE(seen[0].printDialog);
  EXPECT_EQ(seen[1].text, "Impression en cours");
  EXPECT_EQ(cursorWhilePrinting, LoadCursor(nullptr, IDC_WAIT));
  EXPECT_EQ(heldWhilePrinting, std::vector<bool>{true}) << "the window holds the wait cursor";
  EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_ARROW));
  EXPECT_EQ(waitCursorHeld, (std::vector<bool>{true, false}));
  ASSERT_EQ(files.size(), 1u) << "the first print goes on";
  EXPECT_EQ(PrintedLines(files[0]).size(), Expected(lines, 0, lines.size()).size());
}

TEST_F(Print, QuittingDuringAPrintDropsTheJobQuietly) {
  window.SetLines(test::ListingLines(300));
  // Once the dialog is answered: the measuring job before it is no print to quit.
  std::atomic<bool> answered = false;
  bool quit = false;
  window.onPrinting = [&] {
    if (quit || !answered || !ThePrinter().Printing()) return;
    quit = true;
    PostQuitMessage(7);
  };
  auto files = PressPrint(
      [&](HWND dialog) {
        answered = true;
        test::PressButton(dialog, IDOK);
      },
      0);
  window.onPrinting = nullptr;
  MSG message{};
  EXPECT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit is kept";
  EXPECT_EQ(message.wParam, 7u);
  ASSERT_EQ(seen.size(), 1u) << "no error box: " << seen.back().printDialog << seen.back().text;
  EXPECT_TRUE(files.empty());
}

TEST_F(Print, MeasuresOnThePrinterAndSendsItNothing) {
  window.SetLines(test::ListingLines(10));
  PrintedJobs jobs;
  // 9 points on the 300 dpi test printer: 37.5 pixels, 38 (ties to even); 3300 / 38.
  ASSERT_EQ(ScreenDpi(), 96);
  EXPECT_EQ(GetLinesPerPage(window.view()).Value(), 86);
  EXPECT_TRUE(jobs.NewJobFiles(0).empty());
}

// A listing line far wider than the page: connectors, then names, sizes and dates
// separated by blanks.
std::string WideListingLine(int words) {
  std::string line = "\xB3   \xC3\xC4\xC4 ";
  for (int i = 0; i < words; ++i) {
    line += "dossier_" + std::to_string(i) + " 12,00 Ko 05/04/2003" + (i + 1 < words ? " " : "");
  }
  return line;
}

std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  std::istringstream in(test::AsPrinted(line));
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

// Nothing printed passes the page's edges: neither a character's advance (what the
// driver places) nor any ink, at the display's size and at a larger one, including the
// last row of a full sheet.
TEST_F(Print, EveryGlyphLiesWithinThePageAtAnySize) {
  const double kNoise = 0.001;  // points; a printer pixel is 0.24
  std::vector<std::string> lines = test::ListingLines(60);
  for (int i = 0; i < 6; ++i) {
    lines.push_back(WideListingLine(8 + i));
    lines.push_back(std::string(150 + 7 * i, 'm') + "W");
  }
  window.SetLines(lines);
  struct Row {
    const char* face;
    int points;
  } rows[] = {{"Courier New", 9}, {"Courier New", 12}, {"Ramilux", 9}, {"Ramilux", 12}};
  // The program's font draws the connectors as lines that fill the whole cell.
  bool ramilux = window.UseRamiluxFont();
  for (const Row& row : rows) {
    if (!ramilux && std::string(row.face) == "Ramilux") continue;
    window.SetFont(row.face, row.points);
    auto files = PressPrint([](HWND dialog) { test::PressButton(dialog, IDOK); });
    ASSERT_EQ(files.size(), 1u) << row.face << " " << row.points;
    std::vector<PrintedJobs::Page> pages = PrintedJobs::WordsOf(files[0]);
    ASSERT_GE(pages.size(), 2u) << row.face << " " << row.points;
    for (const PrintedJobs::Page& page : pages) {
      for (const PrintedJobs::Word& word : page.words) {
        EXPECT_GE(word.xMin, -kNoise) << row.face << " " << row.points << " " << word.text;
        EXPECT_LE(word.xMax, page.width + kNoise)
            << row.face << " " << row.points << " " << word.text;
      }
    }
    for (const PrintedJobs::InkBox& ink : PrintedJobs::InkOf(files[0])) {
      std::string where = std::string(row.face) + " " + std::to_string(row.points) + " pt";
      EXPECT_GE(ink.x0, 0) << where;
      EXPECT_GE(ink.y0, 0) << where;
      EXPECT_LE(ink.x1, pages[0].width) << where;
      EXPECT_LE(ink.y1, pages[0].height) << where;
    }
  }
}

// A wrapped line breaks between words, and its continuation rows start under the first
// character of its text, so the outline's columns stay readable.
TEST_F(Print, WrappedLineBreaksAtABlankAndContinuesUnderItsText) {
  std::string wide = WideListingLine(14);
  window.SetFont("Courier New", 12);
  window.SetLines({wide});
  auto files = PressPrint([](HWND dialog) { test::PressButton(dialog, IDOK); });
  ASSERT_EQ(files.size(), 1u);
  std::vector<PrintedJobs::Page> pages = PrintedJobs::WordsOf(files[0]);
  ASSERT_EQ(pages.size(), 1u);
  std::vector<std::string> printed;
  std::map<double, double> rowStarts;  // row top -> left of its first word
  for (const PrintedJobs::Word& word : pages[0].words) {
    printed.push_back(word.text);
    auto [at, added] = rowStarts.emplace(std::round(word.yMin), word.xMin);
    if (!added) at->second = std::min(at->second, word.xMin);
  }
  EXPECT_EQ(printed, Words(wide)) << "no word is cut";
  ASSERT_GE(rowStarts.size(), 3u);
  const std::vector<PrintedJobs::Word>& words = pages[0].words;
  double textLeft = words.size() > 2 ? words[2].xMin : -1;  // after "│" and "├──"
  for (auto it = std::next(rowStarts.begin()); it != rowStarts.end(); ++it) {
    EXPECT_NEAR(it->second, textLeft, 0.5) << "row at " << it->first;
  }
}

// The dialog numbers the sheets of a print of the whole view, wrapped rows included, and
// a page range prints exactly those sheets.
TEST_F(Print, PagesAreTheSheetsOfAWholePrint) {
  std::vector<std::string> lines = test::ListingLines(220);
  for (size_t i = 10; i < lines.size(); i += 9) lines[i] = WideListingLine(6);
  window.SetFont("Courier New", 12);
  window.SetLines(lines);
  int offered = 0;
  auto whole = PressPrint([&](HWND dialog) {
    offered = static_cast<int>(GetDlgItemInt(dialog, test::kToPage, nullptr, FALSE));
    test::PressButton(dialog, IDOK);
  });
  ASSERT_EQ(whole.size(), 1u);
  std::vector<std::string> sheets = PrintedJobs::PageTexts(whole[0]);
  ASSERT_GE(sheets.size(), 4u);
  EXPECT_EQ(offered, static_cast<int>(sheets.size()));
  EXPECT_EQ(GetPageCount(window.view()).Value(), static_cast<int>(sheets.size()));
  auto range = PressPrint([](HWND dialog) {
    test::ChooseRange(dialog, test::kPageNums);
    SetDlgItemInt(dialog, test::kFromPage, 2, FALSE);
    SetDlgItemInt(dialog, test::kToPage, 3, FALSE);
    test::PressButton(dialog, IDOK);
  });
  ASSERT_EQ(range.size(), 1u);
  EXPECT_EQ(PrintedJobs::PageTexts(range[0]), (std::vector<std::string>{sheets[1], sheets[2]}));
}

}  // namespace
}  // namespace ramilux
