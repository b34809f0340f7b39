// The plugin interface that the host drives: a class with no data, only a virtual table whose slots
// are, in order, the destructor, execute and initPlugin. The host shares this definition with the module.
#pragma once

#include "plugin/plugin_api.h"

class TARVEL_API HalvanePluginInterface {
 public:
  HalvanePluginInterface() noexcept;
  HalvanePluginInterface(const HalvanePluginInterface& other) noexcept;
  virtual ~HalvanePluginInterface();
  // Copies nothing: the interface has no state.
  HalvanePluginInterface& operator=(const HalvanePluginInterface& other) noexcept;

  // Serves one command of the plugin's GUI script. Called by the host on its main thread, one call at
  // a time, only after initPlugin returned true.
  virtual bool execute() noexcept = 0;
  // Binds the plugin to the running host; called once after creation (and may be called again).
  // On false the host must not call execute.
  virtual bool initPlugin() noexcept = 0;
};

// The object is nothing but its virtual table pointer.
static_assert(sizeof(HalvanePluginInterface) == sizeof(void*), "the plugin interface must stay data-free");
