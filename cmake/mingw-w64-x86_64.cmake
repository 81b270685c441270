# Cross-builds Tavro for 64-bit Windows with Debian's mingw-w64 (posix thread model):
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# scripts/test-windows uses it. Libraries built for Windows (GoogleTest, the nlohmann-json
# headers) are looked up in TAVRO_WINDOWS_PREFIX, never in the host's /usr.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TAVRO_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TAVRO_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAVRO_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TAVRO_MINGW_TRIPLE}-windres)

# Passed on to try_compile projects, which read this file again.
set(CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TAVRO_WINDOWS_PREFIX)
set(CMAKE_FIND_ROOT_PATH /usr/${TAVRO_MINGW_TRIPLE})
if(TAVRO_WINDOWS_PREFIX)
  list(APPEND CMAKE_FIND_ROOT_PATH ${TAVRO_WINDOWS_PREFIX})
  list(APPEND CMAKE_PREFIX_PATH ${TAVRO_WINDOWS_PREFIX})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# libgcc, libstdc++ and winpthread linked in, so the programs run (under Wine too) without
# their DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Test programs run under Wine where it is there; test discovery waits until the tests run
# rather than starting Windows programs in the middle of the build.
find_program(TAVRO_WINE NAMES wine64 wine)
if(TAVRO_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TAVRO_WINE})
endif()
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
