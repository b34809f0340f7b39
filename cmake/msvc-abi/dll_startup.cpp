// The entry point of a Microsoft-ABI module in the cross build: runs the module's dynamic
// initialisers when it is loaded and its exit functions (static destructors) when it is unloaded,
// while the module's code is still mapped.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "runtime.h"

extern "C" BOOL WINAPI msvc_abi_dll_startup(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) msvc_abi_runtime::run_initialisers();
  if (reason == DLL_PROCESS_DETACH) msvc_abi_runtime::run_exit_functions();
  return TRUE;
}
