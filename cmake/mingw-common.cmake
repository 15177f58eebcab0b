# The part of the mingw-w64 toolchain files that does not depend on the
# target's width. The including file sets KORVO_MINGW_TRIPLE (i686-w64-mingw32
# or x86_64-w64-mingw32), CMAKE_SYSTEM_PROCESSOR and KORVO_WINE_ARCH.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${KORVO_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KORVO_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KORVO_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KORVO_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# One self-contained executable each: no libstdc++/libgcc/winpthread DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Every test executable runs through Wine (cmake/wine-run.sh sets up the
# prefix of this build tree on first use). The runner reads the prefix's
# architecture, and with it the Wine loader to use, from the cache.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
set(KORVO_WINE_ARCH ${KORVO_WINE_ARCH} CACHE INTERNAL "Wine prefix architecture of this build tree's tests")
