// POSIX child processes for the tests: fork, exec with the argument vector, read the pipe, wait.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/run_process.h"

namespace test_support {

ProcessResult run_process(const std::string& program, const std::vector<std::string>& arguments) {
  ProcessResult result;
  int pipe_ends[2];
  if (pipe(pipe_ends) != 0) return result;
  const pid_t child = fork();
  if (child == 0) {
    // No terminal on standard input: the child sees what it sees under CI.
    const int nothing = open("/dev/null", O_RDONLY);
    dup2(nothing, STDIN_FILENO);
    dup2(pipe_ends[1], STDOUT_FILENO);
    close(pipe_ends[0]);
    close(pipe_ends[1]);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(pipe_ends[1]);
  char chunk[4096];
  for (ssize_t n; (n = read(pipe_ends[0], chunk, sizeof chunk)) > 0;)
    result.output.append(chunk, static_cast<std::size_t>(n));
  close(pipe_ends[0]);
  int status = 0;
  if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status))
    result.exit_status = WEXITSTATUS(status);
  return result;
}

}  // namespace test_support
