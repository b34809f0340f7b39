# Compiler settings shared by every target. The numerical results depend on each float and double
# step rounding on its own, so contraction into fused multiply-add is off and fast-math is never used.
# Square roots compile to the processor's correctly rounded instruction alone (-fno-math-errno): with
# errno kept, a negative argument would also call the C runtime's sqrt, whose NaN is that runtime's,
# and every module would import it. Nothing else of the arithmetic changes.
if(MSVC)
  # Visual Studio's cl, or clang-cl (the clang-cl cross build). Each float and double operation rounds
  # once, in its own type: x64 code does scalar arithmetic in SSE2 registers, never in the x87 unit's
  # extended precision; /fp:precise keeps the source's order of operations and its conversions (no
  # reassociation, no float arithmetic carried out in double); and cl fuses a*b+c into one
  # multiply-add only under /fp:contract (Visual Studio 2022; earlier versions only with /arch:AVX2,
  # which this build never sets: the AVX2 kernels are chosen at run time), so it keeps two roundings.
  add_compile_options(/W4 /fp:precise /utf-8)
  # The code calls the standard C functions (sscanf, getenv), not cl's non-portable _s variants.
  add_compile_definitions(_CRT_SECURE_NO_WARNINGS)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    # clang-cl reads /fp:precise as -ffp-model=precise, which allows contraction (-ffp-contract=on),
    # and takes -ffp-contract only through /clang:, placed after it. /W4 is its -Wall -Wextra.
    add_compile_options(/clang:-ffp-contract=off /clang:-fno-math-errno -Wpedantic -Wshadow)
  endif()
  if(TARVEL_WERROR)
    add_compile_options(/WX)
  endif()
else()
  add_compile_options(-Wall -Wextra -Wpedantic -Wshadow -ffp-contract=off -fno-math-errno)
  if(TARVEL_WERROR)
    add_compile_options(-Werror)
  endif()
endif()

if(MINGW)
  # Self-contained programs and module: no mingw runtime DLLs are needed beside them.
  add_link_options(-static -static-libgcc -static-libstdc++)
  # What Windows' loader expects of a current image (checked by cmake/audit_windows_image.cmake):
  # ASLR with 64-bit entropy, no execution of data, and subsystem 6.0, where ld writes 5.2.
  add_link_options(-Wl,--dynamicbase,--high-entropy-va,--nxcompat
                   -Wl,--major-subsystem-version,6,--minor-subsystem-version,0)
endif()

# Warnings that make changes of precision visible: an implicit float-to-double promotion, a narrowing
# conversion, a sign change. The library takes all of them; tests, fuzz targets and the agreement
# programs take the narrowing ones (they promote float data to double references on purpose and index
# vectors with int counters throughout); the benchmarks take all of them.
if(MSVC AND NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  # cl: /W4 already reports the narrowing conversions (C4244, C4267, C4305). It has no warning for a
  # float-to-double promotion, and its sign-change warning C4365 stays off: the standard library's
  # and the Windows SDK's own headers trip it. clang-cl takes clang's flags below.
  set(TARVEL_PRECISION_WARNINGS "")
  set(TARVEL_NARROWING_WARNINGS "")
else()
  set(TARVEL_NARROWING_WARNINGS -Wfloat-conversion -Wconversion -Wno-sign-conversion)
  set(TARVEL_PRECISION_WARNINGS -Wdouble-promotion ${TARVEL_NARROWING_WARNINGS} -Wsign-conversion)
endif()

# Address and undefined-behaviour checks on every target, in the sanitizer build (the asan preset) and
# the fuzzing build (the fuzz preset). The dynamic-type check is left out: hosts call the plugin
# through its interface without linking the module, so they have no type information of the plugin
# classes to check against.
if(TARVEL_SANITIZE OR TARVEL_FUZZ)
  set(sanitizers -fsanitize=address,undefined -fno-sanitize=vptr)
  add_compile_options(${sanitizers} -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(${sanitizers})
endif()
# The fuzzing build also carries coverage instrumentation for libFuzzer on every target; the fuzz
# targets themselves link libFuzzer's driver.
if(TARVEL_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

# Code that goes into the plugin module is built without exception support: the module throws
# nothing, no exception may cross the host boundary, and an object with cleanups that could unwind
# would link the C++ library's exception runtime, whose emergency buffer a statically linked runtime
# (mingw) leaves behind at every unload of the module.
if(MSVC)
  # Microsoft's standard library headers then leave out their own exception handling too.
  set(TARVEL_NO_EXCEPTIONS /EHs-c- /D_HAS_EXCEPTIONS=0)
else()
  set(TARVEL_NO_EXCEPTIONS -fno-exceptions)
endif()
