// The host's platform layer: loading and unloading a plugin module, finding its exports, and the
// few facts about the running program that the stand-in host needs.
#pragma once

#include <string>

namespace halvane_host::loader {

using Module = void*;
using Function = void (*)();

// The platform's file name of the plugin module (the build names the module: TARVEL_MODULE_NAME).
extern const char* const kModuleFileName;

// Loads the module at `path`; null on failure, with the platform's reason in `error`.
Module load_module(const std::string& path, std::string& error);
// The module's export `name`, or null.
Function find_export(Module module, const char* name);
void unload_module(Module module);

// The directory of the running executable, with a trailing separator.
std::string executable_directory();
bool standard_input_is_terminal();
// The process's resident memory in KiB (0 when it cannot be read). Measured without allocating, so
// that the measurement does not move what it measures.
long resident_memory_kib();

}  // namespace halvane_host::loader
