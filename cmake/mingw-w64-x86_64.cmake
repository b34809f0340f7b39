# Cross build for 64-bit Windows with the mingw-w64 POSIX-thread toolchain; programs run under Wine.
include(${CMAKE_CURRENT_LIST_DIR}/CrossTools.cmake)
tarvel_require_cross_tools("apt-get install g++-mingw-w64-x86-64 wine64" PROGRAMS x86_64-w64-mingw32-g++-posix
                           x86_64-w64-mingw32-gcc-posix x86_64-w64-mingw32-windres)
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
# Import library of the version-information functions, for programs that read version resources.
set(TARVEL_VERSION_LIBRARY version)
