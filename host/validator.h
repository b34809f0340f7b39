// The stand-in host's validator: runs the host contract against a plugin module, as the real host
// would exercise it, and prints one PASS or FAIL line per check and a summary line.
#pragma once

#include <string>
#include <vector>

#include "host/plugin_module.h"

namespace halvane_host {

// One cycle of the host's life with a plugin, on the host state (reset first): create, initialise,
// the three wizard commands with scripted answers (chosen, cancelled, chosen), delete. False when the
// plugin did not initialise or a command returned false. The lifecycle checks repeat it.
bool play_wizard_cycle(const PluginModule& module);

// How `--check` runs. Each check runs in a child process, this executable started again with
// `--check --module PATH --only NAME --in-process --child`, so that a crash inside the plugin fails
// that check only.
struct ValidatorOptions {
  std::string only;         // the one check to run (empty: all); the ABI is judged first in any case
  bool in_process = false;  // runs the checks in this process instead (for a debugger)
  bool child = false;       // the child's side: runs `only` here and prints its line, nothing else
};

// The checks' names, in the order they run; "abi" first.
std::vector<std::string> check_names();

// Validates the module at `path`; true when every check passed (for a child: when it ran). Prints one
// PASS or FAIL line per check and the summary. Uses (and resets) the host state.
bool run_validator(const std::string& path, const ValidatorOptions& options);

}  // namespace halvane_host
