// Windows side of the child processes: CreateProcessA with a quoted command line and a pipe for
// standard output; an exit code in the range of exception codes means the child died of that exception.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>

#include "host/process.h"

namespace halvane_host::process {
namespace {

// Status codes with the error or warning severity bits (0x8..., 0xC...) are exceptions, not exits.
constexpr unsigned long kFirstExceptionCode = 0x80000000UL;
// abort() ends a program with this exit status in the Microsoft C runtime.
constexpr unsigned long kAbortExitStatus = 3;

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

std::string read_all(HANDLE pipe) {
  std::string text;
  char chunk[4096];
  DWORD n = 0;
  while (ReadFile(pipe, chunk, sizeof chunk, &n, nullptr) && n > 0) text.append(chunk, n);
  return text;
}

void collect_ending(HANDLE process, Result& result) {
  WaitForSingleObject(process, INFINITE);
  DWORD status = 0;
  if (!GetExitCodeProcess(process, &status)) return;
  result.code = status;
  result.ending = status >= kFirstExceptionCode ? Result::Ending::crashed : Result::Ending::exited;
}

const char* exception_name(unsigned long code) {
  switch (code) {
    case 0xC0000005UL:
      return "access violation";
    case 0xC0000409UL:
      return "stack buffer overrun or fast fail";
    case 0xC00000FDUL:
      return "stack overflow";
    case 0xC0000094UL:
      return "integer division by zero";
    case 0xC000001DUL:
      return "illegal instruction";
    case 0xC0000374UL:
      return "heap corruption";
    case 0x80000003UL:
      return "breakpoint";
    default:
      return "unhandled exception";
  }
}

// Creating a process can fail for a moment when the system is short of resources (seen under Wine
// with several test programs starting children at once): a few more tries, with a pause between them,
// tell that apart from a program that cannot be started at all.
bool start(const std::string& program, std::string& command_line, STARTUPINFOA& startup,
           PROCESS_INFORMATION& child) {
  constexpr int kTries = 4;
  constexpr DWORD kPauseMilliseconds = 200;
  for (int attempt = 1;; ++attempt) {
    if (CreateProcessA(program.c_str(), command_line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                       &startup, &child))
      return true;
    const DWORD error = GetLastError();
    const bool lasting = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
                         error == ERROR_BAD_EXE_FORMAT || error == ERROR_ACCESS_DENIED;
    if (lasting || attempt == kTries) {
      SetLastError(error);
      return false;
    }
    Sleep(kPauseMilliseconds * static_cast<DWORD>(attempt));
  }
}

LONG WINAPI end_with_exception_code(EXCEPTION_POINTERS* exception) {
  TerminateProcess(GetCurrentProcess(), exception->ExceptionRecord->ExceptionCode);
  return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

Result run(const std::string& program, const std::vector<std::string>& arguments) {
  Result result;
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE read_end = nullptr, write_end = nullptr;
  if (!CreatePipe(&read_end, &write_end, &inherit, 0)) {
    result.code = GetLastError();
    return result;
  }
  SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);

  std::string command_line = quote(program);
  for (const std::string& argument : arguments) command_line += " " + quote(argument);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = write_end;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  HANDLE nothing = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                               OPEN_EXISTING, 0, nullptr);
  startup.hStdInput = nothing;
  PROCESS_INFORMATION child{};
  std::fflush(stdout);  // keeps this process's lines ahead of what the child writes to standard error
  const bool started = start(program, command_line, startup, child);
  if (!started) result.code = GetLastError();
  CloseHandle(write_end);
  if (nothing != INVALID_HANDLE_VALUE) CloseHandle(nothing);
  if (started) {
    result.output = without_carriage_returns(read_all(read_end));
    collect_ending(child.hProcess, result);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
  }
  CloseHandle(read_end);
  return result;
}

std::string describe_ending(const Result& result) {
  char text[96];
  switch (result.ending) {
    case Result::Ending::exited:
      std::snprintf(text, sizeof text, "exit status %lu%s", result.code,
                    result.code == kAbortExitStatus ? " (abort)" : "");
      return text;
    case Result::Ending::crashed:
      std::snprintf(text, sizeof text, "exception 0x%08lX (%s)", result.code, exception_name(result.code));
      return text;
    case Result::Ending::not_started:
      break;
  }
  if (result.code != 0) {
    std::snprintf(text, sizeof text, "the process could not be started (Windows error %lu)", result.code);
    return text;
  }
  return "the process could not be started";
}

std::string executable_path() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return std::string(path, length);
}

void end_quietly_on_faults() {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  SetUnhandledExceptionFilter(end_with_exception_code);
}

}  // namespace halvane_host::process
