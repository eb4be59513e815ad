# 64-bit Windows cross build with mingw-w64; tests run under Wine's 64-bit loader.
# It runs the Windows tests on machines whose kernel does not execute 32-bit programs;
# the 32-bit build stays the one that ships.
set(MINGW_ARCHITECTURE x86_64)
# Debian puts no wine64 on the PATH; the loader lives beside the 32-bit one.
set(WINE_LOADER /usr/lib/wine/wine64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-toolchain.cmake)
