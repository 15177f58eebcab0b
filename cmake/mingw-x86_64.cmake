# Cross-compiles for 64-bit Windows with mingw-w64 (posix thread model) and
# runs the resulting programs under Wine's 64-bit loader in a win64 prefix.
# A test vehicle for machines that cannot execute 32-bit code, not a product.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KORVO_MINGW_TRIPLE x86_64-w64-mingw32)
set(KORVO_WINE_ARCH win64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
