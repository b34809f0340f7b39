// Child processes for the tests, through the host's own platform layer (host/process_*.cpp), so that
// the tree has one process runner.
#include "support/run_process.h"

#include "host/process.h"

namespace test_support {

ProcessResult run_process(const std::string& program, const std::vector<std::string>& arguments) {
  using halvane_host::process::Result;
  const Result ran = halvane_host::process::run(program, arguments);
  ProcessResult result;
  result.output = ran.output;
  if (ran.ending == Result::Ending::exited) result.exit_status = static_cast<int>(ran.code);
  return result;
}

}  // namespace test_support
