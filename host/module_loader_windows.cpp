// Windows side of the host's platform layer: LoadLibraryA and GetProcAddress, and the program's own
// module file name for its place.
#define WIN32_LEAN_AND_MEAN
#include <io.h>
#include <windows.h>
// After windows.h, which it needs. Version 2 names kernel32's K32GetProcessMemoryInfo, so no
// further import library is needed.
#define PSAPI_VERSION 2
#include <psapi.h>

#include <cstdio>

#include "host/module_loader.h"

namespace halvane_host::loader {

const char* const kModuleFileName = TARVEL_MODULE_NAME ".dll";

Module load_module(const std::string& path, std::string& error) {
  HMODULE module = LoadLibraryA(path.c_str());
  if (module == nullptr) {
    char reason[64];
    std::snprintf(reason, sizeof reason, "LoadLibraryA failed with error %lu", GetLastError());
    error = reason;
  }
  return reinterpret_cast<Module>(module);
}

Function find_export(Module module, const char* name) {
  FARPROC address = GetProcAddress(static_cast<HMODULE>(module), name);
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
}

void unload_module(Module module) { FreeLibrary(static_cast<HMODULE>(module)); }

std::string executable_directory() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  const std::string full(path, length);
  const std::size_t separator = full.find_last_of("\\/");
  return separator == std::string::npos ? std::string(".\\") : full.substr(0, separator + 1);
}

bool standard_input_is_terminal() { return _isatty(_fileno(stdin)) != 0; }

long resident_memory_kib() {
  PROCESS_MEMORY_COUNTERS counters{};
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
  return static_cast<long>(counters.WorkingSetSize / 1024);
}

}  // namespace halvane_host::loader
