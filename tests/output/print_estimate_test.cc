// The print dialog's flags and the page estimate on the real printer.
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

}  // namespace
}  // namespace ramilux
