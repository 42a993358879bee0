# Cross-build for Windows with MinGW-w64, for the processor that the including toolchain
# file names. Everything is linked statically, so the programs need no MinGW DLL beside
# them.
set(CMAKE_SYSTEM_NAME Windows)
set(pyxenMingw ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)

set(CMAKE_C_COMPILER ${pyxenMingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${pyxenMingw}-g++-posix)
set(CMAKE_RC_COMPILER ${pyxenMingw}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${pyxenMingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
