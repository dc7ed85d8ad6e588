# Toolchain of plenwick.exe: 32-bit Windows.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(PW_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
