# Cross build for 64-bit Windows with clang-cl, the Microsoft command-line driver of clang: CMake
# treats it as MSVC, so the project's MSVC branch compiles here and is checked under Wine. Links with
# lld-link against the same Wine C runtime and libc++ headers as the clang++ build (cmake/msvc-abi-cross.cmake).
include(${CMAKE_CURRENT_LIST_DIR}/CrossTools.cmake)
tarvel_require_cross_tools("apt-get install clang-tools-14 lld llvm libc++-14-dev libwine-dev wine64"
                           PROGRAMS clang-cl|clang-cl-14 lld-link llvm-rc llvm-mt FOLDERS ${TARVEL_MSVC_ABI_FOLDERS})
find_program(TARVEL_CLANG_CL NAMES clang-cl clang-cl-14 REQUIRED)
set(CMAKE_C_COMPILER ${TARVEL_CLANG_CL})
set(CMAKE_CXX_COMPILER ${TARVEL_CLANG_CL})
set(TARVEL_CLANG_OPTION "/clang:")
set(TARVEL_LINKER_OPTION "")
# CMake's MSVC link step embeds each program's manifest with the manifest tool, as Visual Studio does.
set(CMAKE_MT llvm-mt)
include(${CMAKE_CURRENT_LIST_DIR}/msvc-abi-cross.cmake)
# No stack cookies: their checking functions come with the Microsoft C runtime's static part, which
# this build does not have (clang-cl turns them on by default, the clang++ driver does not).
string(APPEND CMAKE_C_FLAGS_INIT " /GS-")
string(APPEND CMAKE_CXX_FLAGS_INIT " /GS-")
# CMake's MSVC rules start C++ flags with type information and exceptions on; these rules take them
# out again (libc++ is used header-only, with no vcruntime behind it).
set(CMAKE_USER_MAKE_RULES_OVERRIDE_CXX ${CMAKE_CURRENT_LIST_DIR}/clang-cl-rules.cmake)
