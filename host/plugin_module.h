// A loaded plugin module as the host sees it: the module handle and its seven plain exports.
#pragma once

#include <string>

#include "host/module_loader.h"
#include "plugin/halvane_plugin_interface.h"

namespace halvane_host {

struct PluginModule {
  using Text = const char* (*)();
  loader::Module handle = nullptr;
  HalvanePluginInterface* (*createPlugin)() = nullptr;
  Text getPluginName = nullptr;
  Text getPluginDescription = nullptr;
  Text getAuthor = nullptr;
  Text getHelpFile = nullptr;
  Text getPluginVersion = nullptr;
  Text getGUIScript = nullptr;
};

// Loads the module and resolves its exports; false with a reason when it cannot be loaded or an
// export is missing (the module is then unloaded again).
bool open_plugin_module(const std::string& path, PluginModule& module, std::string& error);
void close_plugin_module(PluginModule& module);

}  // namespace halvane_host
