// The module's plain exports: the plugin factory and the metadata texts.
#include <new>

#include "plugin/metadata.h"
#include "plugin/tarvel.h"

HalvanePluginInterface* createPlugin() noexcept { return new (std::nothrow) tarvel(); }

const char* getPluginName() noexcept { return plugin::metadata::kName; }
const char* getPluginDescription() noexcept { return plugin::metadata::kDescription; }
const char* getAuthor() noexcept { return plugin::metadata::kAuthorLine; }
const char* getHelpFile() noexcept { return plugin::metadata::kHelpFile; }
const char* getPluginVersion() noexcept { return plugin::metadata::kVersion; }
const char* getGUIScript() noexcept { return plugin::metadata::kGuiScript; }
