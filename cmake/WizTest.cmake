# Test support: GoogleTest built with the cross compiler, one ctest entry per
# test binary, all of them run under Wine in the build folder's prefix.

set(WIZ_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(${WIZ_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# Creates the Wine prefix once (with the null display driver) before any test.
add_test(NAME wineprefix_setup
         COMMAND ${CMAKE_SOURCE_DIR}/scripts/wineprefix.sh ${WIZ_WINEPREFIX} null)
set_tests_properties(wineprefix_setup PROPERTIES FIXTURES_SETUP wineprefix TIMEOUT 300)

# wiz_add_test(<name> SOURCES ... [LIBS ...] [ARGS ...] [ENV VAR=value ...]
#              [TIMEOUT s] [LABELS ...] [RESOURCE_LOCK ...])
# Builds one GoogleTest binary and runs it under Wine.
function(wiz_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;ARGS;ENV;LABELS;RESOURCE_LOCK" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} wiz_test_support gmock gtest_main gtest)
  wiz_add_test_run(${name} ${name} ARGS ${T_ARGS} ENV ${T_ENV} TIMEOUT ${T_TIMEOUT}
                   LABELS ${T_LABELS} RESOURCE_LOCK ${T_RESOURCE_LOCK})
endfunction()

# wiz_add_test_run(<test name> <binary target> [ARGS ...] [ENV ...] ...)
# Runs an existing test binary once more, for example in another locale.
function(wiz_add_test_run testname target)
  cmake_parse_arguments(T "" "TIMEOUT" "ARGS;ENV;LABELS;RESOURCE_LOCK" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 180)
  endif()
  add_test(NAME ${testname} COMMAND ${target} ${T_ARGS})
  set_tests_properties(${testname} PROPERTIES
    FIXTURES_REQUIRED wineprefix
    TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "WINEPREFIX=${WIZ_WINEPREFIX};WINEDEBUG=-all;WINEARCH=win32;WIZ_SOURCE_DIR=${CMAKE_SOURCE_DIR};WIZ_BINARY_DIR=${CMAKE_BINARY_DIR};${T_ENV}")
  if(T_LABELS)
    set_tests_properties(${testname} PROPERTIES LABELS "${T_LABELS}")
  endif()
  if(T_RESOURCE_LOCK)
    set_tests_properties(${testname} PROPERTIES RESOURCE_LOCK "${T_RESOURCE_LOCK}")
  endif()
endfunction()
