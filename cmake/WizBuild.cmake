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
