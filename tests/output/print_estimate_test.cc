// The page estimate: lines per page from the printer's geometry, pages from lines.
#include <gtest/gtest.h>
// <windows.h> comes before the other system headers.
// clang-format off
#include <windows.h>
#include <commdlg.h>
// clang-format on

#include "printer.h"
#include "printing.h"

namespace ramilux {
namespace {

struct PageCountRow {
  const char* name;
  int64_t lines;
  int linesPerPage;
  int32_t pages;
};

TEST(PageCount, RoundsUpWithNoBlankPageAfterAFullOne) {
  const PageCountRow rows[] = {
      {"empty view", 0, 60, 0},
      {"one line", 1, 60, 1},
      {"one line short of a page", 59, 60, 1},
      {"exactly one page", 60, 60, 1},
      {"one line over", 61, 60, 2},
      {"exactly two pages", 120, 60, 2},
      {"one over two pages", 121, 60, 3},
      {"exactly three pages", 180, 60, 3},
      {"one over three pages", 181, 60, 4},
      {"one line per page", 7, 1, 7},
      {"no lines per page counts as one", 5, 0, 5},
      {"beyond 16 bits", 200000, 1, 200000},
  };
  for (const PageCountRow& row : rows) {
    EXPECT_EQ(PageCount(row.lines, row.linesPerPage), row.pages) << row.name;
  }
}

struct LinesPerPageRow {
  const char* name;
  TPrintGeometry geometry;
  int lines;
};

TEST(LinesPerPage, FontInWholePointsAtThePrinterDensity) {
  const LinesPerPageRow rows[] = {
      // 12 px at 96 dpi is 9 pt, 75 px at 600 dpi.
      {"9 points on a 600 dpi printer", {-12, 96, 600, 6400}, 85},
      {"same density keeps the pixel height", {-12, 96, 96, 1000}, 83},
      {"positive cell height too", {12, 96, 600, 6400}, 85},
      // 14 px at 96 dpi is 10.5 pt: 10 (ties to even), 83 px at 600 dpi.
      {"point size ties to even", {-14, 96, 600, 6400}, 77},
      // 9 pt at 100 dpi is 12.5 px: 12.
      {"device height ties to even", {-12, 96, 100, 1200}, 100},
      {"font taller than the page", {-200, 96, 600, 1000}, 1},
      {"no printable height", {-12, 96, 600, 0}, 1},
  };
  for (const LinesPerPageRow& row : rows) {
    EXPECT_EQ(LinesPerPage(row.geometry), row.lines) << row.name;
  }
}

TEST(PrintDialogFlags, NeverPrintToFileNorAWarning) {
  struct Row {
    const char* name;
    bool selection, pageNums;
    DWORD flags;
  } rows[] = {
      {"nothing to choose", false, false,
       PD_HIDEPRINTTOFILE | PD_NOWARNING | PD_NOSELECTION | PD_NOPAGENUMS},
      {"a selection", true, false,
       PD_HIDEPRINTTOFILE | PD_NOWARNING | PD_SELECTION | PD_NOPAGENUMS},
      {"pages", false, true, PD_HIDEPRINTTOFILE | PD_NOWARNING | PD_NOSELECTION},
      {"both", true, true, PD_HIDEPRINTTOFILE | PD_NOWARNING | PD_SELECTION},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(PrintDialogFlags(row.selection, row.pageNums), row.flags) << row.name;
  }
}

TEST(DeviceFontHeight, NeverZero) {
  EXPECT_EQ(DeviceFontHeight(-1, 96, 20), -1);
}

}  // namespace
}  // namespace ramilux
