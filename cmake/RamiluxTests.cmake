# ramilux_test_suite(NAME [PACKAGE] SOURCES... LIBS ...) builds one GoogleTest program and
# records its name in <build>/suites.txt, so that the test runner knows every suite that
# must run and fails when one is missing. A PACKAGE suite goes into
# <build>/package-suites.txt instead: it runs where the zip for users has been unpacked.
set_property(GLOBAL PROPERTY RAMILUX_SUITES "")
set_property(GLOBAL PROPERTY RAMILUX_PACKAGE_SUITES "")

function(ramilux_test_suite name)
  cmake_parse_arguments(ARG "PACKAGE" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE ${RAMILUX_WARNINGS})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  if(ARG_PACKAGE)
    set_property(GLOBAL APPEND PROPERTY RAMILUX_PACKAGE_SUITES ${name})
  else()
    set_property(GLOBAL APPEND PROPERTY RAMILUX_SUITES ${name})
  endif()
endfunction()

function(ramilux_write_suite_list)
  get_property(suites GLOBAL PROPERTY RAMILUX_SUITES)
  list(JOIN suites "\n" text)
  file(WRITE ${CMAKE_BINARY_DIR}/suites.txt "${text}\n")
  get_property(suites GLOBAL PROPERTY RAMILUX_PACKAGE_SUITES)
  list(JOIN suites "\n" text)
  file(WRITE ${CMAKE_BINARY_DIR}/package-suites.txt "${text}\n")
endfunction()
