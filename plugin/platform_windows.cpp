// Windows platform layer: the host module is found with GetModuleHandleA (which compares file names
// without regard to case) and its exports are resolved with GetProcAddress.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "plugin/platform.h"

namespace plugin::platform {

ModuleHandle find_loaded_module(const char* file_name) noexcept {
  return reinterpret_cast<ModuleHandle>(GetModuleHandleA(file_name));
}

host_signature::UntypedFn resolve_function(ModuleHandle module, const char* name) noexcept {
  FARPROC address = GetProcAddress(static_cast<HMODULE>(module), name);
  return reinterpret_cast<host_signature::UntypedFn>(reinterpret_cast<void (*)()>(address));
}

}  // namespace plugin::platform
