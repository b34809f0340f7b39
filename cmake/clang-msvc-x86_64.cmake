# Cross build for 64-bit Windows in the Microsoft C++ ABI (the ABI of the real host): clang and
# lld-link against the C runtime (ucrtbase) and kernel32 import libraries and headers of Wine's
# development package, with libc++'s headers used header-only. Programs run under Wine. What the
# Microsoft toolchain would otherwise supply lives in cmake/msvc-abi/ (see its files).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET x86_64-pc-windows-msvc)
set(CMAKE_CXX_COMPILER_TARGET x86_64-pc-windows-msvc)
set(CMAKE_RC_COMPILER llvm-rc)
set(CMAKE_LINKER lld-link)
# The compiler checks cannot link before the project's own start-up code exists.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)

set(TARVEL_WINE_INCLUDE /usr/include/wine/wine CACHE PATH "Wine's Windows and C runtime headers")
set(TARVEL_WINE_LIBRARIES /usr/lib/x86_64-linux-gnu/wine/x86_64-windows CACHE PATH "Wine's import libraries")
set(TARVEL_LIBCXX_INCLUDE /usr/lib/llvm-14/include/c++/v1 CACHE PATH "libc++'s headers")
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-resource-dir OUTPUT_VARIABLE _clang_resource_dir
                OUTPUT_STRIP_TRAILING_WHITESPACE)

# Header search order: libc++, the compatibility headers, clang's own, then the C runtime and Windows.
# libc++ is used without its compiled library: no exceptions, no threads, no type information, no
# vcruntime, and no import annotations on its declarations. Wine's winnt.h defines a function that
# clang treats as a builtin, so it is renamed out of the way.
set(_includes "-nostdinc -isystem ${TARVEL_LIBCXX_INCLUDE} -isystem ${CMAKE_CURRENT_LIST_DIR}/msvc-abi \
-isystem ${_clang_resource_dir}/include -isystem ${TARVEL_WINE_INCLUDE}/msvcrt -isystem ${TARVEL_WINE_INCLUDE}/windows")
set(_libcxx "-D_LIBCPP_NO_VCRUNTIME -D_LIBCPP_HAS_NO_THREADS -D_LIBCPP_DISABLE_VISIBILITY_ANNOTATIONS \
-D_LIBCPP_DISABLE_EXTERN_TEMPLATE \
-fno-exceptions -fno-rtti -fno-threadsafe-statics")
# The link steps see the compile flags too, where the include options have nothing to do.
set(CMAKE_C_FLAGS_INIT "${_includes} -D_InterlockedCompareExchange128=wine_InterlockedCompareExchange128 \
-Wno-unused-command-line-argument")
set(CMAKE_CXX_FLAGS_INIT "${CMAKE_C_FLAGS_INIT} ${_libcxx}")

# Only the C runtime and kernel32; the directives for the Microsoft runtime libraries that the
# compiler writes into objects name libraries that do not exist here.
set(CMAKE_C_STANDARD_LIBRARIES "${TARVEL_WINE_LIBRARIES}/libucrtbase.a ${TARVEL_WINE_LIBRARIES}/libkernel32.a")
set(CMAKE_CXX_STANDARD_LIBRARIES "${CMAKE_C_STANDARD_LIBRARIES}")
foreach(kind EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS_INIT "-Xlinker /nodefaultlib")
endforeach()
# Import library of the version-information functions, for programs that read version resources.
set(TARVEL_VERSION_LIBRARY ${TARVEL_WINE_LIBRARIES}/libversion.a)

# Start-up code and runtime pieces of cmake/msvc-abi/ are built by the project (cmake/MsvcAbiRuntime.cmake).
set(TARVEL_MSVC_ABI_RUNTIME ON)

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
