# Cross build for 64-bit Windows in the Microsoft C++ ABI (the ABI of the real host): the clang++
# driver and lld-link against the C runtime (ucrtbase) and kernel32 import libraries and headers of
# Wine's development package, with libc++'s headers used header-only (cmake/msvc-abi-cross.cmake).
# Programs run under Wine. What the Microsoft toolchain would otherwise supply lives in cmake/msvc-abi/.
include(${CMAKE_CURRENT_LIST_DIR}/CrossTools.cmake)
tarvel_require_cross_tools("apt-get install clang lld llvm libc++-14-dev libwine-dev wine64"
                           PROGRAMS clang clang++ lld-link llvm-rc FOLDERS ${TARVEL_MSVC_ABI_FOLDERS})
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(TARVEL_CLANG_OPTION "")
set(TARVEL_LINKER_OPTION "-Xlinker ")
include(${CMAKE_CURRENT_LIST_DIR}/msvc-abi-cross.cmake)
string(APPEND CMAKE_CXX_FLAGS_INIT " -fno-exceptions -fno-rtti -fno-threadsafe-statics")
