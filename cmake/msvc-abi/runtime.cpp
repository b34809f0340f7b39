// The pieces of the C++ runtime that a Microsoft-ABI image normally gets from the compiler's static
// support library, written out for the cross build: global operator new and delete, std::nothrow,
// the floating-point marker, the pure-virtual trap, the exit list and the table of dynamic initialisers.
// Each image (the module, each program) links its own copy, so each keeps its own exit list.
#include <corecrt_startup.h>
#include <stdio.h>
#include <stdlib.h>

#include <new>

#include "runtime.h"

// The compiler references this symbol from every object that uses floating point.
extern "C" int _fltused = 0;

// A call through a pure virtual slot: a fault in the caller, reported and ended like abort().
extern "C" int __cdecl _purecall() {
  fputs("pure virtual function called\n", stderr);
  abort();
}

namespace std {
const nothrow_t nothrow{};
}

void* operator new(size_t size) {
  void* block = malloc(size == 0 ? 1 : size);
  if (block == nullptr) {
    fputs("out of memory in operator new\n", stderr);
    abort();
  }
  return block;
}
void* operator new[](size_t size) { return operator new(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return malloc(size == 0 ? 1 : size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return malloc(size == 0 ? 1 : size); }
void operator delete(void* block) noexcept { free(block); }
void operator delete[](void* block) noexcept { free(block); }
void operator delete(void* block, size_t) noexcept { free(block); }
void operator delete[](void* block, size_t) noexcept { free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { free(block); }

// The compiler places a pointer to each dynamic initialiser in a section .CRT$XCU; the linker sorts
// the .CRT$XC* sections by name, so these two empty entries bound the table.
#pragma section(".CRT$XCA", read)
#pragma section(".CRT$XCZ", read)
__declspec(allocate(".CRT$XCA")) static _PVFV initialisers_begin[] = {nullptr};
__declspec(allocate(".CRT$XCZ")) static _PVFV initialisers_end[] = {nullptr};

namespace {
// Windows relocates an image (as ASLR does at every load) only when it carries a base relocation
// table, and the linker writes one only for absolute addresses stored in the image. The bounds of
// the initialiser table are kept as such addresses, read at start-up, so that every image has the
// table, even one without a dynamic initialiser or any other stored pointer.
_PVFV* const volatile initialiser_table[] = {initialisers_begin, initialisers_end};

// Exit functions of this image: static destructors and explicit atexit calls. A module's list runs
// when the module is unloaded, a program's when it exits.
_onexit_table_t exit_functions;
}  // namespace

namespace msvc_abi_runtime {

int register_exit_function(void (*function)()) {
  return _register_onexit_function(&exit_functions, reinterpret_cast<_onexit_t>(function));
}

void run_initialisers() {
  _initialize_onexit_table(&exit_functions);
  for (_PVFV* entry = initialiser_table[0]; entry < initialiser_table[1]; ++entry) {
    if (*entry != nullptr) (*entry)();
  }
}

void run_exit_functions() { _execute_onexit_table(&exit_functions); }

}  // namespace msvc_abi_runtime
