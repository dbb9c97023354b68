# Test support: GoogleTest built with the cross compiler, one ctest entry per
# test binary, all of them run under Wine in the build folder's prefix.

set(WIZ_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(${WIZ_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# Test binaries run under Wine, for the architecture built, in a prefix of
# the build folder, never ~/.wine.
set(WIZ_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix" CACHE PATH "Wine prefix used by the tests")
# The Wine services that the first test program starts stay until the last
# one ends and hold that program's output open: --detached gives ctest the
# program's end, not theirs.
set(WIZ_WINE_ENV WIZ_ARCH=${WIZ_ARCH} WINEPREFIX=${WIZ_WINEPREFIX} WINEDEBUG=-all)
set(CMAKE_CROSSCOMPILING_EMULATOR
    /usr/bin/env ${WIZ_WINE_ENV} ${CMAKE_SOURCE_DIR}/scripts/wine.sh --detached)

# Creates the Wine prefix once (with the null display driver) before any test.
add_test(NAME wineprefix_setup
         COMMAND /usr/bin/env ${WIZ_WINE_ENV}
                 ${CMAKE_SOURCE_DIR}/scripts/wineprefix.sh ${WIZ_WINEPREFIX} null)
set_tests_properties(wineprefix_setup PROPERTIES FIXTURES_SETUP wineprefix TIMEOUT 300)

# Linked into every test binary: a locale run fails without its code page.
add_library(wiz_codepage_check OBJECT ${CMAKE_SOURCE_DIR}/tests/support/codepage_check.cpp)
target_link_libraries(wiz_codepage_check PRIVATE gtest)

# wiz_add_test(<name> SOURCES ... [LIBS ...] [ARGS ...] [ENV VAR=value ...]
#              [TIMEOUT s] [LABELS ...] [RESOURCE_LOCK ...])
# Builds one GoogleTest binary and runs it under Wine.
function(wiz_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;ARGS;ENV;LABELS;RESOURCE_LOCK" ${ARGN})
  add_executable(${name} ${T_SOURCES} $<TARGET_OBJECTS:wiz_codepage_check>)
  target_link_libraries(${name} PRIVATE ${T_LIBS} wiz_test_support gmock gtest_main gtest)
  wiz_add_test_run(${name} ${name} ARGS ${T_ARGS} ENV ${T_ENV} TIMEOUT ${T_TIMEOUT}
                   LABELS ${T_LABELS} RESOURCE_LOCK ${T_RESOURCE_LOCK})
endfunction()

# wiz_add_test_run(<test name> <binary target> [ARGS ...] [ENV ...]
#                  [CODEPAGE 932] ...)
# Runs an existing test binary once more, for example in another locale.
# CODEPAGE runs it under the user locale of that ANSI code page; the run fails
# when the process does not get it, since its cases would test nothing.
function(wiz_add_test_run testname target)
  cmake_parse_arguments(T "" "TIMEOUT;CODEPAGE" "ARGS;ENV;LABELS;RESOURCE_LOCK" ${ARGN})
  if(T_CODEPAGE STREQUAL "932")
    list(APPEND T_ENV LC_ALL=ja_JP.UTF-8 WIZ_EXPECT_ACP=932)
  elseif(T_CODEPAGE)
    message(FATAL_ERROR "${testname}: no locale known for code page ${T_CODEPAGE}")
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 180)
  endif()
  add_test(NAME ${testname} COMMAND ${target} ${T_ARGS})
  set_tests_properties(${testname} PROPERTIES
    FIXTURES_REQUIRED wineprefix
    TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "WIZ_ARCH=${WIZ_ARCH};WINEPREFIX=${WIZ_WINEPREFIX};WINEDEBUG=-all;WIZ_SOURCE_DIR=${CMAKE_SOURCE_DIR};WIZ_BINARY_DIR=${CMAKE_BINARY_DIR};${T_ENV}")
  if(T_LABELS)
    set_tests_properties(${testname} PROPERTIES LABELS "${T_LABELS}")
  endif()
  if(T_RESOURCE_LOCK)
    set_tests_properties(${testname} PROPERTIES RESOURCE_LOCK "${T_RESOURCE_LOCK}")
  endif()
endfunction()
