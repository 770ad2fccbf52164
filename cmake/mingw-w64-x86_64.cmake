# Cross-building for 64-bit Windows with Debian's mingw-w64 (the POSIX-threads flavour, which
# std::thread and std::mutex need). The C and C++ runtimes are linked statically, so
# pinwright-cli.exe and the test programs run without any DLL beside them. Programs built
# here run on this machine under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(PINWRIGHT_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${PINWRIGHT_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PINWRIGHT_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${PINWRIGHT_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${PINWRIGHT_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# CTest runs the programs through Wine.
find_program(PINWRIGHT_WINE NAMES wine wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(PINWRIGHT_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${PINWRIGHT_WINE})
endif()
