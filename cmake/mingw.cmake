# Cross build of the Windows programs with mingw-w64 and a static runtime,
# included by the toolchain files mingw-i686.cmake (plenwick.exe) and
# mingw-x86_64.cmake (the same sources for a 64-bit Wine), which set
# CMAKE_SYSTEM_PROCESSOR and PW_MINGW_PREFIX.
set(CMAKE_SYSTEM_NAME Windows)

# The posix thread model gives the complete C++ library; with -static the
# winpthread code is linked into the program, so no DLL is needed beside it.
set(CMAKE_C_COMPILER ${PW_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PW_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${PW_MINGW_PREFIX}-windres)
set(CMAKE_OBJDUMP ${PW_MINGW_PREFIX}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${PW_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
