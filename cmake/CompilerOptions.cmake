# Compiler settings shared by every target. The numerical results depend on each float and double
# step rounding on its own, so contraction into fused multiply-add is off and fast-math is never used.
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
    add_compile_options(/clang:-ffp-contract=off -Wpedantic -Wshadow)
  endif()
  if(TARVEL_WERROR)
    add_compile_options(/WX)
  endif()
else()
  add_compile_options(-Wall -Wextra -Wpedantic -Wshadow -ffp-contract=off)
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

# Sanitizer build (the asan preset): address and undefined-behaviour checks on every target. The
# dynamic-type check is left out: hosts call the plugin through its interface without linking the
# module, so they have no type information of the plugin classes to check against.
option(TARVEL_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(TARVEL_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined -fno-sanitize=vptr)
  add_link_options(-fsanitize=address,undefined -fno-sanitize=vptr)
endif()

# Fuzzing build (the fuzz preset): every target carries coverage instrumentation for libFuzzer and the
# address and undefined-behaviour checks; the fuzz targets themselves link libFuzzer's driver.
option(TARVEL_FUZZ "Build the libFuzzer targets (clang only)" OFF)
if(TARVEL_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize=vptr
                      -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined -fno-sanitize=vptr)
endif()
