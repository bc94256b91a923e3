# 64-bit Windows, by MinGW-w64.
set(TREVANIL_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
