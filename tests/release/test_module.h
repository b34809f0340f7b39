// What the test modules of the release checks share: the export marker of the plain functions and
// the factory with the metadata texts of the host contract (host/contract.h), each module naming its
// plugin class and the plugin name it reports.
#pragma once

#include "host/contract.h"
#include "plugin/halvane_plugin_interface.h"

#if defined(_WIN32)
#define TEST_MODULE_EXPORT extern "C" __declspec(dllexport)
#else
#define TEST_MODULE_EXPORT extern "C" __attribute__((visibility("default")))
#endif

// createPlugin for PluginClass and the six metadata exports, the name being `plugin_name`.
#define TEST_MODULE_EXPORTS(PluginClass, plugin_name)                                                  \
  TEST_MODULE_EXPORT HalvanePluginInterface* createPlugin() { return new PluginClass(); }              \
  TEST_MODULE_EXPORT const char* getPluginName() { return plugin_name; }                               \
  TEST_MODULE_EXPORT const char* getPluginDescription() {                                              \
    return halvane_host::contract::kPluginDescription;                                                 \
  }                                                                                                    \
  TEST_MODULE_EXPORT const char* getAuthor() { return "<i>Someone</i>, Somewhere"; }                   \
  TEST_MODULE_EXPORT const char* getHelpFile() { return halvane_host::contract::kHelpFile; }           \
  TEST_MODULE_EXPORT const char* getPluginVersion() { return halvane_host::contract::kPluginVersion; } \
  TEST_MODULE_EXPORT const char* getGUIScript() { return halvane_host::contract::kGuiScript; }
