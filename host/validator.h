// The stand-in host's validator: runs the host contract against a plugin module, as the real host
// would exercise it, and prints one PASS or FAIL line per check and a summary line.
#pragma once

#include <string>
#include <vector>

namespace halvane_host {

// How `--check` runs. Each check runs in a child process, this executable started again with
// `--check --module PATH --only NAME --in-process --child` and the counts below, so that a crash
// inside the plugin fails that check only.
struct ValidatorOptions {
  std::string only;         // the one check to run (empty: all); the ABI is judged first in any case
  bool in_process = false;  // runs the checks in this process instead (for a debugger)
  bool child = false;       // the child's side: runs `only` here and prints its line, nothing else
  // How often the lifecycle checks repeat: create, initialise, the default session's commands and
  // delete; and load, initialise and unload the module. CI's stress run raises both.
  int cycles = 10000;
  int loads = 100;
};

// The checks' names, in the order they run; "abi" first.
std::vector<std::string> check_names();

// Validates the module at `path`; true when every check passed (for a child: when it ran). Prints one
// PASS or FAIL line per check and the summary. Uses (and resets) the host state.
bool run_validator(const std::string& path, const ValidatorOptions& options);

}  // namespace halvane_host
