// Runs a program as a child process with an argument list (no shell in between) and collects its
// standard output and exit status, so that tests can check what a real process prints.
#pragma once

#include <string>
#include <vector>

namespace test_support {

struct ProcessResult {
  int exit_status = -1;  // -1 when the program could not be started or did not exit normally
  std::string output;    // standard output; line ends normalised to "\n"
};

ProcessResult run_process(const std::string& program, const std::vector<std::string>& arguments);

}  // namespace test_support
