# 64-bit Windows: the same sources, for machines that cannot run 32-bit
# processes (tested under Wine's 64-bit loader).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
