# The Microsoft-ABI cross build links no compiler support library, so the project builds the few
# pieces it needs (cmake/msvc-abi/) and links them into every program and module, each of which
# starts through the matching entry point.
add_library(msvc_abi_runtime STATIC
  ${CMAKE_CURRENT_LIST_DIR}/msvc-abi/runtime.cpp
  ${CMAKE_CURRENT_LIST_DIR}/msvc-abi/atexit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/msvc-abi/chkstk.cpp
  ${CMAKE_CURRENT_LIST_DIR}/msvc-abi/dll_startup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/msvc-abi/exe_startup.cpp)
link_libraries(msvc_abi_runtime)
# The clang++ driver hands linker options on through -Xlinker; with clang-cl CMake runs lld-link itself.
string(APPEND CMAKE_EXE_LINKER_FLAGS " ${TARVEL_LINKER_OPTION}/entry:msvc_abi_exe_startup")
string(APPEND CMAKE_SHARED_LINKER_FLAGS " ${TARVEL_LINKER_OPTION}/entry:msvc_abi_dll_startup")
string(APPEND CMAKE_MODULE_LINKER_FLAGS " ${TARVEL_LINKER_OPTION}/entry:msvc_abi_dll_startup")
# The program entry calls main, which ISO C++ reserves to the implementation: here it is the implementation.
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/msvc-abi/exe_startup.cpp PROPERTIES COMPILE_OPTIONS -Wno-main)
