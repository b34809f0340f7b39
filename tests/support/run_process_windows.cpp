// Windows child processes for the tests: CreateProcessA with a quoted command line and a pipe for
// standard output. Line ends come back as "\r\n" and are normalised to "\n".
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "support/run_process.h"

namespace test_support {
namespace {

// Quotes one argument the way the C runtime splits a command line.
std::string quote(const std::string& argument) {
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(2 * backslashes, '\\');
  return quoted + "\"";
}

std::string without_carriage_returns(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
  }
  return out;
}

}  // namespace

ProcessResult run_process(const std::string& program, const std::vector<std::string>& arguments) {
  ProcessResult result;
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE read_end = nullptr, write_end = nullptr;
  if (!CreatePipe(&read_end, &write_end, &inherit, 0)) return result;
  SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);

  std::string command_line = quote(program);
  for (const std::string& argument : arguments) command_line += " " + quote(argument);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = write_end;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  // No console on standard input: the child sees what it sees under CI.
  HANDLE nothing = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                               OPEN_EXISTING, 0, nullptr);
  startup.hStdInput = nothing;
  PROCESS_INFORMATION process{};
  const BOOL started = CreateProcessA(program.c_str(), command_line.data(), nullptr, nullptr, TRUE, 0,
                                      nullptr, nullptr, &startup, &process);
  CloseHandle(write_end);
  if (nothing != INVALID_HANDLE_VALUE) CloseHandle(nothing);
  if (started) {
    char chunk[4096];
    DWORD n = 0;
    while (ReadFile(read_end, chunk, sizeof chunk, &n, nullptr) && n > 0) result.output.append(chunk, n);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 0;
    if (GetExitCodeProcess(process.hProcess, &status)) result.exit_status = static_cast<int>(status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  CloseHandle(read_end);
  result.output = without_carriage_returns(result.output);
  return result;
}

}  // namespace test_support
