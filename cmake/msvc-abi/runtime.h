// The start-up and shut-down steps that the Microsoft-ABI cross build performs itself, because the C
// runtime import library it links has no static start-up code of its own for C++ programs.
#pragma once

namespace msvc_abi_runtime {

// Runs every dynamic initialiser of this image (the compiler's .CRT$XCU table), in link order.
void run_initialisers();
// Adds `function` to this image's exit list; 0 on success, as atexit answers.
int register_exit_function(void (*function)());
// Runs, in reverse order of registration, what atexit registered in this image, then empties the list.
void run_exit_functions();

}  // namespace msvc_abi_runtime
