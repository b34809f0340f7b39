// The host's platform layer for child processes: runs a program with an argument list and collects
// its standard output and how it ended, and lets a process end quietly on a fault nothing handles.
#pragma once

#include <string>
#include <vector>

namespace halvane_host::process {

struct Result {
  enum class Ending { not_started, exited, crashed };
  Ending ending = Ending::not_started;
  // The exit status when the program exited; the signal (POSIX) or exception code (Windows) when it
  // crashed; on Windows, the system's error code when it could not be started.
  unsigned long code = 0;
  std::string output;  // standard output, line ends normalised to "\n"
};

// Runs `program` with `arguments` (no shell in between), standard input empty and not a terminal,
// standard error shared with this process; waits for it to end.
Result run(const std::string& program, const std::vector<std::string>& arguments);

// How the program ended, for a reader: "exit status 3", "SIGSEGV (segmentation fault)",
// "exception 0xC0000005 (access violation)".
std::string describe_ending(const Result& result);

// The running program's own file.
std::string executable_path();

// From now on a fault that nothing handles ends this process at once, its code as the exit status:
// no debugger, no dialog box. On POSIX the signal already does so, and nothing changes.
void end_quietly_on_faults();

}  // namespace halvane_host::process
