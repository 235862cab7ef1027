# Cross-building the Windows programs (x86-64) with mingw-w64 on Linux:
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# The programs are linked statically, so that each .exe runs with nothing beside it. The posix
# flavour of the compiler is used because it has the C++ thread support.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TAVIK_MINGW_PREFIX x86_64-w64-mingw32)
find_program(TAVIK_MINGW_CXX NAMES ${TAVIK_MINGW_PREFIX}-g++-posix ${TAVIK_MINGW_PREFIX}-g++ REQUIRED)
find_program(TAVIK_MINGW_CC NAMES ${TAVIK_MINGW_PREFIX}-gcc-posix ${TAVIK_MINGW_PREFIX}-gcc REQUIRED)
set(CMAKE_C_COMPILER ${TAVIK_MINGW_CC})
set(CMAKE_CXX_COMPILER ${TAVIK_MINGW_CXX})
set(CMAKE_RC_COMPILER ${TAVIK_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TAVIK_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config must not hand out the build machine's libraries.
set(ENV{PKG_CONFIG_LIBDIR} ${CMAKE_FIND_ROOT_PATH}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Programs built here run on the build machine through Wine when it is there (the self-playing
# program is made by running the Windows tavik-selfplay.exe and tavik-encode.exe).
find_program(TAVIK_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(TAVIK_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tests/wine/wine-run
      ${CMAKE_BINARY_DIR}/wine-prefix)
endif()

# Tests, benchmarks and fuzz targets need Linux-only packages; they are built natively.
set(TAVIK_TESTS OFF CACHE BOOL "Build the tests" FORCE)
set(TAVIK_BENCH OFF CACHE BOOL "Build the benchmarks" FORCE)
set(TAVIK_FUZZ OFF CACHE BOOL "Build the libFuzzer targets" FORCE)
