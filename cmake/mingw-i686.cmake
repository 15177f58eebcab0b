# Cross-compiles for 32-bit Windows with mingw-w64 (posix thread model) and
# runs the resulting programs under Wine's 32-bit loader in a win32 prefix.
# These are the programs we ship.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(KORVO_MINGW_TRIPLE i686-w64-mingw32)
set(KORVO_WINE_ARCH win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
