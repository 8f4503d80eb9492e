# ramilux_test_suite(NAME SOURCES... LIBS ...) builds one GoogleTest program and records
# its name in <build>/suites.txt, so that the test runner knows every suite that must run
# and fails when one is missing.
set_property(GLOBAL PROPERTY RAMILUX_SUITES "")

function(ramilux_test_suite name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE ${RAMILUX_WARNINGS})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  set_property(GLOBAL APPEND PROPERTY RAMILUX_SUITES ${name})
endfunction()

function(ramilux_write_suite_list)
  get_property(suites GLOBAL PROPERTY RAMILUX_SUITES)
  list(JOIN suites "\n" text)
  file(WRITE ${CMAKE_BINARY_DIR}/suites.txt "${text}\n")
endfunction()
