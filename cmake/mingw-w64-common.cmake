# Shared part of the MinGW-w64 cross toolchains (included by mingw-w64-x86_64.cmake and
# mingw-w64-i686.cmake, which set VORTA_MINGW_TRIPLE first).
#
# The compilers are Debian's: apt-get install g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix.
# The posix-threads variant is preferred (a full C++ thread library); the win32 variant works as
# well for this engine, which starts no threads. The runtime is linked statically into the DLL, so
# the DLL needs nothing but system DLLs.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_VERSION 6.1)

find_program(VORTA_MINGW_CXX NAMES ${VORTA_MINGW_TRIPLE}-g++-posix ${VORTA_MINGW_TRIPLE}-g++
             ${VORTA_MINGW_TRIPLE}-g++-win32 REQUIRED)
find_program(VORTA_MINGW_CC NAMES ${VORTA_MINGW_TRIPLE}-gcc-posix ${VORTA_MINGW_TRIPLE}-gcc
             ${VORTA_MINGW_TRIPLE}-gcc-win32)
find_program(VORTA_MINGW_WINDRES NAMES ${VORTA_MINGW_TRIPLE}-windres)

set(CMAKE_CXX_COMPILER ${VORTA_MINGW_CXX})
if(VORTA_MINGW_CC)
  set(CMAKE_C_COMPILER ${VORTA_MINGW_CC})
endif()
if(VORTA_MINGW_WINDRES)
  set(CMAKE_RC_COMPILER ${VORTA_MINGW_WINDRES})
endif()

set(CMAKE_FIND_ROOT_PATH /usr/${VORTA_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Conforming printf/strtod (the default for C++ with libstdc++ already; stated here so that no
# source can fall back to the C runtime's own number conversion).
set(CMAKE_CXX_FLAGS_INIT "-D__USE_MINGW_ANSI_STDIO=1 ${VORTA_MINGW_ARCH_FLAGS}")
set(CMAKE_C_FLAGS_INIT "-D__USE_MINGW_ANSI_STDIO=1 ${VORTA_MINGW_ARCH_FLAGS}")
