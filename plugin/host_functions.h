// The module-wide table of host functions and the step that binds it to the running host. This is
// the only code that knows the host's function names; every other part of the plugin calls through it.
#pragma once

#include "plugin/host_function_list.h"

namespace plugin {

// The executable module whose exports are the host's functions.
inline constexpr const char kHostModuleName[] = "Halvane.exe";

// One entry per host function, null until bound. Shared by every plugin object; never cleared.
struct HostFunctionTable {
#define PLUGIN_TYPED_ENTRY(name, type) type name = nullptr;
#define PLUGIN_UNTYPED_ENTRY(name) host_signature::UntypedFn name = nullptr;
  HALVANE_HOST_FUNCTIONS(PLUGIN_TYPED_ENTRY, PLUGIN_UNTYPED_ENTRY)
#undef PLUGIN_TYPED_ENTRY
#undef PLUGIN_UNTYPED_ENTRY
};

// Zero when the module is loaded; written by bind_host_functions, read by the plugin's operations.
extern HostFunctionTable host;

// Finds the host module in this process and resolves every name of the list into `host`.
// Returns false, touching no entry, when the module is missing or lacks hvGetVersionOfHalvane.
// A missing other name is no error: its entry is left null. Called by initPlugin, one call at a time.
bool bind_host_functions() noexcept;

}  // namespace plugin
