# Build helpers shared by the subsystems.

# wiz_add_resource_module(<target> <output name> <rc files...>)
# A resource-only DLL: no code, no entry point, no runtime.
function(wiz_add_resource_module target output)
  add_library(${target} MODULE ${ARGN})
  set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME ${output} LINKER_LANGUAGE C)
  target_link_options(${target} PRIVATE -nostdlib -Wl,--entry=0)
endfunction()
