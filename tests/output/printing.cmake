# The print suite (under Wine, with the printer of scripts/test-printer) and the program
# that sets that printer up.
add_executable(print_test_printer print_test_printer.cc)
target_compile_options(print_test_printer PRIVATE ${RAMILUX_WARNINGS})
target_link_libraries(print_test_printer PRIVATE ramilux_win_test_support winspool gdi32)

ramilux_test_suite(print_tests
  SOURCES page_arithmetic_test.cc print_estimate_test.cc print_job_test.cc print_no_printer_test.cc
          print_test_support.cc view_window.cc
  LIBS ramilux_output ramilux_win_test_support user32 gdi32 winspool comdlg32)
add_dependencies(print_tests print_test_printer)
