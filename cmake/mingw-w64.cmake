# Cross build of the Windows executables (x86-64) with MinGW-w64 on a Linux
# host, linked statically so that the .exe files need no DLLs beside them.
#
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
#
# The posix thread model of the compiler is preferred (std::thread and
# friends); the win32 one works as well. Tests run under Wine when it is
# installed: ctest starts every test program through it, with a Wine prefix
# of its own inside the build folder and Wine's debug chatter off.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MEVLO_MINGW_TRIPLE x86_64-w64-mingw32)
find_program(CMAKE_CXX_COMPILER NAMES ${MEVLO_MINGW_TRIPLE}-g++-posix ${MEVLO_MINGW_TRIPLE}-g++ REQUIRED)
find_program(CMAKE_C_COMPILER NAMES ${MEVLO_MINGW_TRIPLE}-gcc-posix ${MEVLO_MINGW_TRIPLE}-gcc REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${MEVLO_MINGW_TRIPLE}-windres REQUIRED)

# Headers and libraries come from the target's sysroot only, programs from
# the host.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Debian installs the 64-bit loader outside PATH when the 32-bit one is
# absent; the wine wrapper script in PATH picks whichever exists.
find_program(MEVLO_WINE NAMES wine64 wine PATHS /usr/lib/wine
             DOC "Wine loader that runs the cross-built tests")
if(MEVLO_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR
      env "WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix" WINEDEBUG=-all "WINEDLLOVERRIDES=mscoree,mshtml="
      ${MEVLO_WINE})
endif()
