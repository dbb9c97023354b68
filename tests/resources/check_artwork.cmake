# Draws the artwork again and compares it with the committed bitmaps, so the
# bitmaps in the modules always come from the script as it stands: every
# size of every picture, and no committed bitmap the script no longer draws.
#   cmake -DPYTHON=<python3> -DSOURCE=<resources/art> -DOUT=<folder> -P check_artwork.cmake
file(REMOVE_RECURSE ${OUT})
execute_process(COMMAND ${PYTHON} ${SOURCE}/make_artwork.py ${OUT} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "make_artwork.py failed: ${result}")
endif()
file(GLOB drawn RELATIVE ${OUT} ${OUT}/*.bmp)
file(GLOB committed RELATIVE ${SOURCE} ${SOURCE}/*.bmp)
list(SORT drawn)
list(SORT committed)
if(NOT drawn STREQUAL committed)
  message(FATAL_ERROR "resources/art holds ${committed}, make_artwork.py draws ${drawn}: run it into resources/art")
endif()
# Each size of each picture (2826 ... 2833, then 100 on per size).
foreach(size 0 100 200 300)
  foreach(picture RANGE 2826 2833)
    math(EXPR id "${picture} + ${size}")
    if(NOT EXISTS ${OUT}/art${id}.bmp)
      message(FATAL_ERROR "make_artwork.py draws no art${id}.bmp")
    endif()
  endforeach()
endforeach()
foreach(name ${drawn})
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${SOURCE}/${name} ${OUT}/${name}
                  RESULT_VARIABLE differs)
  if(NOT differs EQUAL 0)
    message(FATAL_ERROR "${name} differs from what make_artwork.py draws: run it into resources/art")
  endif()
endforeach()
file(REMOVE_RECURSE ${OUT})
