# C++ flag defaults of the clang-cl cross build, read after CMake's MSVC platform rules: no type
# information, no exceptions and no thread-safe statics, for libc++ used header-only without vcruntime
# (the clang++ build passes the same as -fno-rtti -fno-exceptions -fno-threadsafe-statics).
string(REGEX REPLACE " /(GR|EHsc)( |$)" " " CMAKE_CXX_FLAGS_INIT "${CMAKE_CXX_FLAGS_INIT}")
string(APPEND CMAKE_CXX_FLAGS_INIT " /GR- /EHs-c- /Zc:threadSafeInit-")
