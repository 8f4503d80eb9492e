# ramilux_test_suite(NAME [UNDER_WINE | PACKAGE] SOURCES... LIBS ...) builds one GoogleTest
# program and records its name in a list of the build, so that the test runner knows every
# suite that must run and fails when one is missing:
#   <build>/suites.txt          the ordinary suites;
#   <build>/wine-suites.txt     UNDER_WINE: native programs that run Windows programs
#                               through wine, run with the Windows suites in their prefix;
#   <build>/package-suites.txt  PACKAGE: run where the zip for users has been unpacked.
set_property(GLOBAL PROPERTY RAMILUX_SUITES "")
set_property(GLOBAL PROPERTY RAMILUX_WINE_SUITES "")
set_property(GLOBAL PROPERTY RAMILUX_PACKAGE_SUITES "")

function(ramilux_test_suite name)
  cmake_parse_arguments(ARG "UNDER_WINE;PACKAGE" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE ${RAMILUX_WARNINGS})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  if(ARG_UNDER_WINE)
    set_property(GLOBAL APPEND PROPERTY RAMILUX_WINE_SUITES ${name})
  elseif(ARG_PACKAGE)
    set_property(GLOBAL APPEND PROPERTY RAMILUX_PACKAGE_SUITES ${name})
  else()
    set_property(GLOBAL APPEND PROPERTY RAMILUX_SUITES ${name})
  endif()
endfunction()

function(ramilux_write_suite_list)
  foreach(kind "" "wine-" "package-")
    if(kind STREQUAL "")
      get_property(suites GLOBAL PROPERTY RAMILUX_SUITES)
    elseif(kind STREQUAL "wine-")
      get_property(suites GLOBAL PROPERTY RAMILUX_WINE_SUITES)
    else()
      get_property(suites GLOBAL PROPERTY RAMILUX_PACKAGE_SUITES)
    endif()
    list(JOIN suites "\n" text)
    file(WRITE ${CMAKE_BINARY_DIR}/${kind}suites.txt "${text}\n")
  endforeach()
endfunction()
