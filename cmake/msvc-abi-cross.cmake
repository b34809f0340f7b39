# What the two Microsoft-ABI cross toolchains share (clang-msvc-x86_64.cmake drives clang++,
# clang-cl-x86_64.cmake drives clang-cl): the target, Wine's C runtime headers and import libraries,
# libc++'s headers used header-only, the project-built runtime pieces and Wine to run the programs.
# The including file names its compilers and sets TARVEL_CLANG_OPTION and TARVEL_LINKER_OPTION, the
# prefixes through which its driver passes a clang driver option and a linker option.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(CMAKE_C_COMPILER_TARGET x86_64-pc-windows-msvc)
set(CMAKE_CXX_COMPILER_TARGET x86_64-pc-windows-msvc)
set(CMAKE_RC_COMPILER llvm-rc)
set(CMAKE_LINKER lld-link)
# The compiler checks cannot link before the project's own start-up code exists.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)

# The including file has checked its tools and the folders with cmake/CrossTools.cmake, which names them.
execute_process(COMMAND ${CMAKE_CXX_COMPILER} ${TARVEL_CLANG_OPTION}-print-resource-dir
                OUTPUT_VARIABLE _clang_resource_dir OUTPUT_STRIP_TRAILING_WHITESPACE)

# Header search order: libc++, the compatibility headers, clang's own, then the C runtime and Windows.
set(_includes "${TARVEL_CLANG_OPTION}-nostdinc")
foreach(dir ${TARVEL_LIBCXX_INCLUDE} ${CMAKE_CURRENT_LIST_DIR}/msvc-abi ${_clang_resource_dir}/include
            ${TARVEL_WINE_INCLUDE}/msvcrt ${TARVEL_WINE_INCLUDE}/windows)
  string(APPEND _includes " ${TARVEL_CLANG_OPTION}-isystem${dir}")
endforeach()
# Wine's winnt.h defines a function that clang treats as a builtin, so it is renamed out of the way.
# The link steps of the clang++ driver see the compile flags too, where the include options have
# nothing to do.
set(CMAKE_C_FLAGS_INIT "${_includes} -D_InterlockedCompareExchange128=wine_InterlockedCompareExchange128 \
-Wno-unused-command-line-argument")
# libc++ is used without its compiled library: no vcruntime, no threads, no import annotations on its
# declarations and no extern templates (the including file also turns off exceptions, type information
# and thread-safe statics, each in its driver's spelling).
set(CMAKE_CXX_FLAGS_INIT "${CMAKE_C_FLAGS_INIT} -D_LIBCPP_NO_VCRUNTIME -D_LIBCPP_HAS_NO_THREADS \
-D_LIBCPP_DISABLE_VISIBILITY_ANNOTATIONS -D_LIBCPP_DISABLE_EXTERN_TEMPLATE")

# Only the C runtime and kernel32; the directives for the Microsoft runtime libraries that the
# compiler writes into objects name libraries that do not exist here.
set(CMAKE_C_STANDARD_LIBRARIES "${TARVEL_WINE_LIBRARIES}/libucrtbase.a ${TARVEL_WINE_LIBRARIES}/libkernel32.a")
set(CMAKE_CXX_STANDARD_LIBRARIES "${CMAKE_C_STANDARD_LIBRARIES}")
foreach(kind EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS_INIT "${TARVEL_LINKER_OPTION}/nodefaultlib")
endforeach()
# Import library of the version-information functions, for programs that read version resources.
set(TARVEL_VERSION_LIBRARY ${TARVEL_WINE_LIBRARIES}/libversion.a)

# Start-up code and runtime pieces of cmake/msvc-abi/ are built by the project (cmake/MsvcAbiRuntime.cmake).
set(TARVEL_MSVC_ABI_RUNTIME ON)

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
