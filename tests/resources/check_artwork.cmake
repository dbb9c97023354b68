# Draws the artwork again and compares it with the committed bitmaps, so the
# bitmaps in the modules always come from the script as it stands.
#   cmake -DPYTHON=<python3> -DSOURCE=<resources/art> -DOUT=<folder> -P check_artwork.cmake
file(REMOVE_RECURSE ${OUT})
execute_process(COMMAND ${PYTHON} ${SOURCE}/make_artwork.py ${OUT} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "make_artwork.py failed: ${result}")
endif()
foreach(id RANGE 2826 2833)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${SOURCE}/art${id}.bmp ${OUT}/art${id}.bmp
                  RESULT_VARIABLE differs)
  if(NOT differs EQUAL 0)
    message(FATAL_ERROR "art${id}.bmp differs from what make_artwork.py draws: run it into resources/art")
  endif()
endforeach()
file(REMOVE_RECURSE ${OUT})
