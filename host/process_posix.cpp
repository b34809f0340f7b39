// POSIX side of the child processes: fork, exec with the argument vector, read the pipe, wait; the
// signal that ended a child is told by name.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <csignal>
#include <cstdio>

#include "host/process.h"

namespace halvane_host::process {
namespace {

[[noreturn]] void become(const std::string& program, const std::vector<std::string>& arguments, int output) {
  const int nothing = open("/dev/null", O_RDONLY);
  dup2(nothing, STDIN_FILENO);
  dup2(output, STDOUT_FILENO);
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  execv(program.c_str(), argv.data());
  _exit(127);
}

std::string signal_name(unsigned long signal) {
  struct Name {
    int signal;
    const char* text;
  };
  static const Name names[] = {{SIGSEGV, "SIGSEGV (segmentation fault)"},
                               {SIGABRT, "SIGABRT (abort)"},
                               {SIGBUS, "SIGBUS (bus error)"},
                               {SIGFPE, "SIGFPE (arithmetic fault)"},
                               {SIGILL, "SIGILL (illegal instruction)"},
                               {SIGTRAP, "SIGTRAP (trap)"},
                               {SIGKILL, "SIGKILL (killed)"},
                               {SIGTERM, "SIGTERM (terminated)"}};
  for (const Name& name : names) {
    if (static_cast<unsigned long>(name.signal) == signal) return name.text;
  }
  return "signal " + std::to_string(signal);
}

}  // namespace

Result run(const std::string& program, const std::vector<std::string>& arguments) {
  Result result;
  int pipe_ends[2];
  if (pipe(pipe_ends) != 0) return result;
  std::fflush(stdout);  // keeps this process's lines ahead of what the child writes to standard error
  const pid_t child = fork();
  if (child == 0) {
    close(pipe_ends[0]);
    become(program, arguments, pipe_ends[1]);
  }
  close(pipe_ends[1]);
  char chunk[4096];
  for (ssize_t n; (n = read(pipe_ends[0], chunk, sizeof chunk)) > 0;)
    result.output.append(chunk, static_cast<std::size_t>(n));
  close(pipe_ends[0]);
  int status = 0;
  if (child <= 0 || waitpid(child, &status, 0) != child) return result;
  if (WIFEXITED(status)) {
    result.ending = Result::Ending::exited;
    result.code = static_cast<unsigned long>(WEXITSTATUS(status));
  } else if (WIFSIGNALED(status)) {
    result.ending = Result::Ending::crashed;
    result.code = static_cast<unsigned long>(WTERMSIG(status));
  }
  return result;
}

std::string describe_ending(const Result& result) {
  switch (result.ending) {
    case Result::Ending::exited:
      return "exit status " + std::to_string(result.code);
    case Result::Ending::crashed:
      return signal_name(result.code);
    case Result::Ending::not_started:
      break;
  }
  return "the process could not be started";
}

std::string executable_path() {
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  return length > 0 ? std::string(path, static_cast<std::size_t>(length)) : std::string();
}

void end_quietly_on_faults() {}

}  // namespace halvane_host::process
