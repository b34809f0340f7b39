// The platform layer of the plugin: finding a module that is already loaded in this process by its
// file name, and resolving an exported function in it. One implementation file per platform.
#pragma once

#include "plugin/host_function_list.h"

namespace plugin::platform {

using ModuleHandle = void*;

// The loaded module whose file name (without directory) is `file_name`, or null when there is none.
// The handle stays valid while that module stays loaded; the caller does not release it.
ModuleHandle find_loaded_module(const char* file_name) noexcept;

// The function that `module` exports under `name`, or null when it exports none.
host_signature::UntypedFn resolve_function(ModuleHandle module, const char* name) noexcept;

}  // namespace plugin::platform
