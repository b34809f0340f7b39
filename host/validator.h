// The stand-in host's validator: runs the host contract against a plugin module, as the real host
// would exercise it, and prints one PASS or FAIL line per check and a summary line.
#pragma once

#include <string>

#include "host/plugin_module.h"

namespace halvane_host {

// One cycle of the host's life with a plugin, on the host state (reset first): create, initialise,
// the three wizard commands with scripted answers (chosen, cancelled, chosen), delete. False when the
// plugin did not initialise or a command returned false. The lifecycle checks repeat it.
bool play_wizard_cycle(const PluginModule& module);

// Validates the module at `path`; true when every check passed. Uses (and resets) the host state.
bool run_validator(const std::string& path);

}  // namespace halvane_host
