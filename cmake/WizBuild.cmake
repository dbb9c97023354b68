# Build helpers shared by the subsystems.

# wiz_add_resource_module(<target> <output name> <rc files...>)
# A resource-only DLL: no code, no entry point, no runtime.
function(wiz_add_resource_module target output)
  add_library(${target} MODULE ${ARGN})
  set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME ${output} LINKER_LANGUAGE C)
  target_link_options(${target} PRIVATE -nostdlib -Wl,--entry=0)
endfunction()

# The product's version, from the product information file: WIZ_VERSION_TEXT
# as written there (A.06.02.03), WIZ_VERSION its numbers (6.2.3), and
# WIZ_VERSION_LETTER, WIZ_VERSION_MAJOR, _MINOR, _PATCH.
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/../product/prodinfo.ini wiz_version_line REGEX "^Version=")
if(NOT wiz_version_line MATCHES "^Version=([A-Z]+)\\.([0-9]+)\\.([0-9]+)\\.([0-9]+)$")
  message(FATAL_ERROR "product/prodinfo.ini: no Version=X.nn.nn.nn line")
endif()
set(WIZ_VERSION_TEXT "${CMAKE_MATCH_1}.${CMAKE_MATCH_2}.${CMAKE_MATCH_3}.${CMAKE_MATCH_4}")
set(WIZ_VERSION_LETTER ${CMAKE_MATCH_1})
math(EXPR WIZ_VERSION_MAJOR "${CMAKE_MATCH_2}")
math(EXPR WIZ_VERSION_MINOR "${CMAKE_MATCH_3}")
math(EXPR WIZ_VERSION_PATCH "${CMAKE_MATCH_4}")
set(WIZ_VERSION "${WIZ_VERSION_MAJOR}.${WIZ_VERSION_MINOR}.${WIZ_VERSION_PATCH}")

# The build number, the fourth field of every file's version: a release build
# gives it (-DWIZ_BUILD_NUMBER=n or the environment's WIZ_BUILD_NUMBER); any
# other build takes the number of commits, so builds of different commits
# never share a version (the build folder configures anew after each commit).
set(WIZ_BUILD_NUMBER "" CACHE STRING "Build number, the 4th field of the files' version (default: the commit count)")
set(wiz_build "${WIZ_BUILD_NUMBER}")
if("${wiz_build}" STREQUAL "" AND NOT "$ENV{WIZ_BUILD_NUMBER}" STREQUAL "")
  set(wiz_build $ENV{WIZ_BUILD_NUMBER})
endif()
if("${wiz_build}" STREQUAL "")
  find_package(Git QUIET)
  if(GIT_FOUND)
    execute_process(COMMAND ${GIT_EXECUTABLE} rev-list --count HEAD
                    WORKING_DIRECTORY ${CMAKE_CURRENT_LIST_DIR}/.. OUTPUT_VARIABLE wiz_build
                    OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --path-format=absolute --git-path logs/HEAD
                    WORKING_DIRECTORY ${CMAKE_CURRENT_LIST_DIR}/.. OUTPUT_VARIABLE wiz_head_log
                    OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(EXISTS "${wiz_head_log}")
      set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${wiz_head_log})
    endif()
  endif()
  if("${wiz_build}" STREQUAL "")
    message(FATAL_ERROR "No build number: not a git checkout; give -DWIZ_BUILD_NUMBER=<n> or WIZ_BUILD_NUMBER")
  endif()
endif()
if(NOT wiz_build MATCHES "^[0-9]+$" OR wiz_build GREATER 65535)
  message(FATAL_ERROR "The build number must be a whole number from 0 to 65535, not '${wiz_build}'")
endif()
set(WIZ_BUILD ${wiz_build})
set(WIZ_FILE_VERSION ${WIZ_VERSION}.${WIZ_BUILD})
string(TIMESTAMP WIZ_COPYRIGHT_YEAR "%Y")

# wiz_version_resource(<target> <description> [LANGUAGE <id>] [CODEPAGE <n>]
#                      [VERSION <a.b.c.d>] [FOR <target>])
# Gives the program or library <target> (or FOR another one linked from the
# same objects) its version information: VERSION (default WIZ_FILE_VERSION),
# the language id and code page of its texts (default 1033, 1252). The
# resource is an object library of its own, so a copy of the target can be
# linked with another version.
function(wiz_version_resource target description)
  cmake_parse_arguments(arg "" "LANGUAGE;CODEPAGE;VERSION;FOR" "" ${ARGN})
  foreach(default "LANGUAGE 1033" "CODEPAGE 1252" "VERSION ${WIZ_FILE_VERSION}" "FOR ${target}")
    string(REPLACE " " ";" default "${default}")
    list(GET default 0 name)
    list(GET default 1 value)
    if(NOT arg_${name})
      set(arg_${name} ${value})
    endif()
  endforeach()
  set(wiz_rc_file ${arg_FOR})
  set(wiz_rc_version ${arg_VERSION})
  string(REPLACE "." "," wiz_rc_commas ${arg_VERSION})
  set(wiz_rc_description "${description}")
  math(EXPR wiz_rc_primary "${arg_LANGUAGE} & 0x3FF")
  math(EXPR wiz_rc_sub "${arg_LANGUAGE} >> 10")
  math(EXPR wiz_rc_language "${arg_LANGUAGE}" OUTPUT_FORMAT HEXADECIMAL)
  set(wiz_rc_codepage ${arg_CODEPAGE})
  math(EXPR block "(${arg_LANGUAGE} << 16) | ${arg_CODEPAGE}" OUTPUT_FORMAT HEXADECIMAL)
  string(REGEX REPLACE "^0x" "" block ${block})
  string(LENGTH ${block} length)
  while(length LESS 8)
    set(block 0${block})
    math(EXPR length "${length} + 1")
  endwhile()
  string(TOUPPER ${block} wiz_rc_block)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    set(wiz_rc_type VFT_APP)
  else()
    set(wiz_rc_type VFT_DLL)
  endif()
  set(dir ${CMAKE_BINARY_DIR}/version)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${dir}/${arg_FOR}.rc.in @ONLY)
  file(GENERATE OUTPUT ${dir}/${arg_FOR}.rc INPUT ${dir}/${arg_FOR}.rc.in)
  add_library(${arg_FOR}_version OBJECT ${dir}/${arg_FOR}.rc)
  target_sources(${arg_FOR} PRIVATE $<TARGET_OBJECTS:${arg_FOR}_version>)
  set_target_properties(${target} PROPERTIES WIZ_DESCRIPTION "${description}"
                        WIZ_LANGUAGE ${arg_LANGUAGE} WIZ_CODEPAGE ${arg_CODEPAGE})
endfunction()

# wiz_relinked(<target> <copy> <version> <folder>): <copy> is <target> linked
# again from the same objects into <folder>, with <version> in its version
# information (other bytes, the same program), for the upgrade tests.
function(wiz_relinked target copy version folder)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    add_executable(${copy} $<TARGET_OBJECTS:${target}>)
  elseif(type STREQUAL "SHARED_LIBRARY")
    add_library(${copy} SHARED $<TARGET_OBJECTS:${target}>)
  else()
    add_library(${copy} MODULE $<TARGET_OBJECTS:${target}>)
  endif()
  set_target_properties(${copy} PROPERTIES OUTPUT_NAME ${target} LINKER_LANGUAGE CXX
    RUNTIME_OUTPUT_DIRECTORY ${folder} LIBRARY_OUTPUT_DIRECTORY ${folder} ARCHIVE_OUTPUT_DIRECTORY ${folder}/lib)
  foreach(property OUTPUT_NAME PREFIX SUFFIX WIN32_EXECUTABLE LINK_OPTIONS LINKER_LANGUAGE)
    get_target_property(value ${target} ${property})
    if(NOT value STREQUAL "value-NOTFOUND")  # an empty PREFIX counts
      set_target_properties(${copy} PROPERTIES ${property} "${value}")
    endif()
  endforeach()
  get_target_property(libraries ${target} LINK_LIBRARIES)
  if(libraries)
    target_link_libraries(${copy} PRIVATE ${libraries})
  endif()
  get_target_property(description ${target} WIZ_DESCRIPTION)
  get_target_property(language ${target} WIZ_LANGUAGE)
  get_target_property(codepage ${target} WIZ_CODEPAGE)
  wiz_version_resource(${target} "${description}" LANGUAGE ${language} CODEPAGE ${codepage}
                       VERSION ${version} FOR ${copy})
endfunction()
