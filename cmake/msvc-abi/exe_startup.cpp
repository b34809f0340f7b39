// The entry point of a Microsoft-ABI program in the cross build: the command line as argc/argv, the
// program's dynamic initialisers before main, and its exit functions when the process exits (after
// main returns or on any call of exit).
#include <corecrt_startup.h>
#include <stdlib.h>

#include "runtime.h"

int main(int argc, char** argv);

namespace {
void __cdecl run_program_exit_functions() { msvc_abi_runtime::run_exit_functions(); }
}  // namespace

extern "C" int msvc_abi_exe_startup() {
  _configure_narrow_argv(_crt_argv_unexpanded_arguments);
  msvc_abi_runtime::run_initialisers();
  _crt_atexit(run_program_exit_functions);
  exit(main(*__p___argc(), *__p___argv()));
}
