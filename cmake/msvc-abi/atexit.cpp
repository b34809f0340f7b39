// atexit for the Microsoft-ABI cross build, where the compiler registers static destructors with it.
// The C runtime's headers declare atexit as imported, and defining it after that declaration would
// export it from the image; this file therefore includes no runtime header.
#include "runtime.h"

extern "C" int __cdecl atexit(void (*function)()) {
  return msvc_abi_runtime::register_exit_function(function);
}
