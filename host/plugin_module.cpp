// Loading a plugin module and resolving its plain exports by name.
#include "host/plugin_module.h"

namespace halvane_host {
namespace {

template <typename Function>
bool resolve(loader::Module module, const char* name, Function& target, std::string& error) {
  loader::Function found = loader::find_export(module, name);
  if (found == nullptr) {
    error = std::string("the module does not export ") + name;
    return false;
  }
  target = reinterpret_cast<Function>(found);
  return true;
}

}  // namespace

bool open_plugin_module(const std::string& path, PluginModule& module, std::string& error) {
  module = PluginModule{};
  module.handle = loader::load_module(path, error);
  if (module.handle == nullptr) return false;
  const bool complete = resolve(module.handle, "createPlugin", module.createPlugin, error) &&
                        resolve(module.handle, "getPluginName", module.getPluginName, error) &&
                        resolve(module.handle, "getPluginDescription", module.getPluginDescription, error) &&
                        resolve(module.handle, "getAuthor", module.getAuthor, error) &&
                        resolve(module.handle, "getHelpFile", module.getHelpFile, error) &&
                        resolve(module.handle, "getPluginVersion", module.getPluginVersion, error) &&
                        resolve(module.handle, "getGUIScript", module.getGUIScript, error);
  if (!complete) close_plugin_module(module);
  return complete;
}

void close_plugin_module(PluginModule& module) {
  if (module.handle != nullptr) loader::unload_module(module.handle);
  module = PluginModule{};
}

}  // namespace halvane_host
