# 32-bit Windows cross build with mingw-w64, the build that ships; tests run under
# Wine's 32-bit loader.
set(MINGW_ARCHITECTURE i686)
set(WINE_LOADER /usr/lib/wine/wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-toolchain.cmake)
