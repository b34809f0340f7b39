// The stand-in host's validator: runs the host contract against a plugin module, as the real host
// would exercise it, and prints one PASS or FAIL line per check and a summary line.
#pragma once

#include <string>

namespace halvane_host {

// Validates the module at `path`; true when every check passed. Uses (and resets) the host state.
bool run_validator(const std::string& path);

}  // namespace halvane_host
