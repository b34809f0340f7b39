// The wizard plugin class and the module's plain exports: the factory and six metadata texts.
// Every export is called by the host on its main thread; none throws.
#pragma once

#include <cstddef>
#include <new>

#include "plugin/halvane_plugin_interface.h"

// Exported member by member: the constructor, destructor, execute and initPlugin leave the module,
// its implicit copy operations and virtual table do not.
class tarvel : public HalvanePluginInterface {
 public:
  TARVEL_API tarvel() noexcept;
  // Logs "tarvelplugin finished!" when the host's log function is bound.
  TARVEL_API ~tarvel() override;
  // The wizard's command handler: reads "Command" and "FileType", answers file-selection commands
  // through "Filename"/"TargetFilename", "ErrorNr" and "ErrorMsg". Always true.
  TARVEL_API bool execute() noexcept override;
  // Binds the host functions, refuses hosts older than 2.3.0 with a message box, shows the log tab
  // and logs "Running tarvelwizard...".
  TARVEL_API bool initPlugin() noexcept override;

  // The object's storage comes from the C library. The global nothrow new of some standard libraries
  // is built on the throwing one and drags the exception runtime into the module, whose emergency
  // buffer is never returned when the module is unloaded. The host's delete through the interface
  // reaches the matching delete here by way of the virtual destructor.
  static void* operator new(std::size_t size, const std::nothrow_t&) noexcept;
  static void operator delete(void* object) noexcept;
};

static_assert(sizeof(tarvel) == sizeof(void*),
              "the plugin keeps its state in the host table, not the object");

extern "C" {
// A new plugin object on the heap; the host owns it and deletes it through the interface.
TARVEL_API HalvanePluginInterface* createPlugin() noexcept;
// Metadata in static storage; the caller neither frees nor modifies it.
TARVEL_API const char* getPluginName() noexcept;
TARVEL_API const char* getPluginDescription() noexcept;
TARVEL_API const char* getAuthor() noexcept;
TARVEL_API const char* getHelpFile() noexcept;
TARVEL_API const char* getPluginVersion() noexcept;
TARVEL_API const char* getGUIScript() noexcept;
}
