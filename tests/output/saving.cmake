# save_tests: the save commands and the font dialog, driven through the real dialogs
# under Wine; saved files read back (the RTF by Debian's unrtf, started through Wine).
ramilux_test_suite(save_tests
  SOURCES save_harness.cc save_test.cc font_printer.cc font_test.cc view_window.cc
  LIBS ramilux_output ramilux_win_test_support comdlg32 winspool gdi32 user32)
