# Cross-builds Tabulon for 64-bit Windows with Debian's MinGW-w64 (package
# g++-mingw-w64-x86-64-posix): cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake ...
# The posix-threads variant of the compiler is the one whose standard library
# has std::mutex and std::thread. Executables are linked statically, so they
# run without the compiler's DLLs. Tests run under Wine where it is installed.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TABULON_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TABULON_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TABULON_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TABULON_MINGW_PREFIX}-windres)

# Libraries and headers come from the MinGW tree (and from prefixes given on
# the command line, such as a GoogleTest built for it); programs from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${TABULON_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# ctest (and GoogleTest's discovery of test cases) runs the programs under Wine.
find_program(TABULON_WINE NAMES wine wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(TABULON_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TABULON_WINE})
endif()
