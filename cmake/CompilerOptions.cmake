# Compiler settings shared by every target. The numerical results depend on each float and double
# step rounding on its own, so contraction into fused multiply-add is off and fast-math is never used.
if(MSVC)
  add_compile_options(/W4 /fp:precise /fp:contract- /utf-8)
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
