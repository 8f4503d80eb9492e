// The arithmetic of printed pages: lines per page from the printer's geometry, sheets
// from rows. Portable: it runs natively and under Wine.
#include "page_arithmetic.h"

#include <gtest/gtest.h>

namespace ramilux {
namespace {

struct TPageCountRow {
  const char* name;
  int64_t lines;
  int linesPerPage;
  int32_t pages;
};

TEST(PageCount, RoundsUpWithNoBlankPageAfterAFullOne) {
  const TPageCountRow rows[] = {
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
  for (const TPageCountRow& row : rows) {
    EXPECT_EQ(PageCount(row.lines, row.linesPerPage), row.pages) << row.name;
  }
}

struct TLinesPerPageRow {
  const char* name;
  TPrintGeometry geometry;
  int lines;
};

TEST(LinesPerPage, FontInWholePointsAtThePrinterDensity) {
  const TLinesPerPageRow rows[] = {
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
  for (const TLinesPerPageRow& row : rows) {
    EXPECT_EQ(LinesPerPage(row.geometry), row.lines) << row.name;
  }
}

TEST(DeviceFontHeight, NeverZero) {
  EXPECT_EQ(DeviceFontHeight(-1, 96, 20), -1);
}

}  // namespace
}  // namespace ramilux
