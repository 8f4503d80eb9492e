# ramilux_test_suite(NAME [UNDER_WINE] SOURCES... LIBS ...) builds one GoogleTest program
# and records its name in <build>/suites.txt, so that the test runner knows every suite
# that must run and fails when one is missing. UNDER_WINE: a native program that runs
# Windows programs through wine; it is listed in <build>/wine-suites.txt instead, which the
# runner runs with the Windows suites, in their Wine prefix.
set_property(GLOBAL PROPERTY RAMILUX_SUITES "")
set_property(GLOBAL PROPERTY RAMILUX_WINE_SUITES "")

function(ramilux_test_suite name)
  cmake_parse_arguments(ARG "UNDER_WINE" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE ${RAMILUX_WARNINGS})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  if(ARG_UNDER_WINE)
    set_property(GLOBAL APPEND PROPERTY RAMILUX_WINE_SUITES ${name})
  else()
    set_property(GLOBAL APPEND PROPERTY RAMILUX_SUITES ${name})
  endif()
endfunction()

function(ramilux_write_suite_list)
  foreach(list RAMILUX_SUITES RAMILUX_WINE_SUITES)
    get_property(suites GLOBAL PROPERTY ${list})
    list(JOIN suites "\n" text)
    if(list STREQUAL RAMILUX_SUITES)
      file(WRITE ${CMAKE_BINARY_DIR}/suites.txt "${text}\n")
    else()
      file(WRITE ${CMAKE_BINARY_DIR}/wine-suites.txt "${text}\n")
    endif()
  endforeach()
endfunction()
