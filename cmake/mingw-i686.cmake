# 32-bit Windows (the shipped build), by MinGW-w64.
set(TREVANIL_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
