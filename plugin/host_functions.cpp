// Binding of the host function table: the host module is found by file name and each function is
// resolved by name in list order. Function pointers are stored through the untyped pointer type,
// which every function-pointer type converts to and from without loss.
#include "plugin/host_functions.h"

#include "plugin/platform.h"

namespace plugin {

HostFunctionTable host;

namespace {

template <typename Function>
void store(Function& entry, host_signature::UntypedFn resolved) noexcept {
  entry = reinterpret_cast<Function>(resolved);
}

}  // namespace

bool bind_host_functions() noexcept {
  platform::ModuleHandle module = platform::find_loaded_module(kHostModuleName);
  if (module == nullptr) return false;

  host_signature::UntypedFn version = platform::resolve_function(module, "hvGetVersionOfHalvane");
  if (version == nullptr) return false;
  store(host.hvGetVersionOfHalvane, version);

#define PLUGIN_BIND_UNTYPED(name) store(host.name, platform::resolve_function(module, #name));
#define PLUGIN_BIND_TYPED(name, type) PLUGIN_BIND_UNTYPED(name)
  HALVANE_HOST_OTHER_FUNCTIONS(PLUGIN_BIND_TYPED, PLUGIN_BIND_UNTYPED)
#undef PLUGIN_BIND_TYPED
#undef PLUGIN_BIND_UNTYPED
  return true;
}

}  // namespace plugin
