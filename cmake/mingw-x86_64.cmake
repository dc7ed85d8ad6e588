# Toolchain of the 64-bit build of the same sources, tested under the
# 64-bit Wine where 32-bit Linux programs cannot run.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(PW_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
