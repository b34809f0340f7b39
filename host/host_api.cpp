// The host functions exported by name from the stand-in host executable: the eight that the plugin
// calls, working on the store in this file, and the other names of the host's list as stubs that
// only record that they were called. Test hosts build this file without some names (see CMake).
#include "host/host_api.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <deque>
#include <map>
#include <utility>

#include "plugin/host_function_list.h"

#if defined(_WIN32)
#define HALVANE_EXPORT extern "C" __declspec(dllexport)
#else
#define HALVANE_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace halvane_host {
namespace {

constexpr Version kDefaultVersion{2, 4, 0};
// The plugin's file-name buffer: the dialog writes at most this many bytes, the zero included.
constexpr std::size_t kFileNameBufferSize = 256;

struct State {
  Version version = kDefaultVersion;
  std::map<std::string, std::string> strings;
  std::map<std::string, int> ints;
  std::vector<std::string> calls;
  std::deque<DialogAnswer> answers;
  DialogPrompt prompt;
  std::function<void(const std::string&)> screen;
};

State& state() {
  static State instance;
  return instance;
}

std::string quoted(const char* text) { return text == nullptr ? "null" : "\"" + std::string(text) + "\""; }

// Not std::to_string: that lives in the compiled part of some standard libraries, which the
// Microsoft-ABI cross build does not have.
std::string decimal(int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  return text;
}

void record(std::string call) { state().calls.push_back(std::move(call)); }

void show(const std::string& line) {
  if (state().screen) state().screen(line);
}

DialogAnswer next_answer(const char* caption, const char* filter) {
  State& s = state();
  if (!s.answers.empty()) {
    DialogAnswer answer = s.answers.front();
    s.answers.pop_front();
    return answer;
  }
  if (s.prompt) return s.prompt(caption != nullptr ? caption : "", filter != nullptr ? filter : "");
  return {kDialogCancelled, ""};
}

}  // namespace

void set_version(Version version) { state().version = version; }
void script_dialog(const DialogAnswer& answer) { state().answers.push_back(answer); }
void set_dialog_prompt(DialogPrompt prompt) { state().prompt = std::move(prompt); }
void set_string_parameter(const std::string& name, const std::string& value) {
  state().strings[name] = value;
}

std::optional<std::string> string_parameter(const std::string& name) {
  auto found = state().strings.find(name);
  if (found == state().strings.end()) return std::nullopt;
  return found->second;
}

std::optional<int> int_parameter(const std::string& name) {
  auto found = state().ints.find(name);
  if (found == state().ints.end()) return std::nullopt;
  return found->second;
}

const std::vector<std::string>& calls() { return state().calls; }
void set_screen(std::function<void(const std::string&)> screen) { state().screen = std::move(screen); }
void reset() { state() = State{}; }

}  // namespace halvane_host

using namespace halvane_host;

#if !defined(HALVANE_HOST_WITHOUT_VERSION)
HALVANE_EXPORT void hvGetVersionOfHalvane(int* major, int* minor, int* release) {
  record("hvGetVersionOfHalvane");
  *major = state().version.major;
  *minor = state().version.minor;
  *release = state().version.release;
}
#endif

HALVANE_EXPORT int hvMessageBox(const char* text) {
  record("hvMessageBox(" + quoted(text) + ")");
  show("[message box] " + std::string(text));
  return 1;
}

HALVANE_EXPORT void hvShowLogTab() {
  record("hvShowLogTab");
  show("[log tab shown]");
}

HALVANE_EXPORT void hvLogText(const char* text) {
  record("hvLogText(" + quoted(text) + ")");
  show("[log] " + std::string(text));
}

// Copies the whole value: the caller's buffer must hold it (the host receives no length).
HALVANE_EXPORT void hvGetStringParameter(const char* name, char* buffer) {
  record("hvGetStringParameter(" + quoted(name) + ")");
  const std::string value = string_parameter(name).value_or("");
  std::memcpy(buffer, value.c_str(), value.size() + 1);
}

HALVANE_EXPORT void hvSetStringParameter(const char* name, const char* value) {
  record("hvSetStringParameter(" + quoted(name) + ", " + quoted(value) + ")");
  state().strings[name] = value;
}

HALVANE_EXPORT void hvSetIntParameter(const char* name, int value) {
  record("hvSetIntParameter(" + quoted(name) + ", " + decimal(value) + ")");
  state().ints[name] = value;
}

HALVANE_EXPORT int hvGetOpenFileName(const char* caption, const char* initial, const char* filter,
                                     char* buffer) {
  record("hvGetOpenFileName(" + quoted(caption) + ", " + quoted(initial) + ", " + quoted(filter) + ")");
  show("[open-file dialog] " + std::string(caption));
  show("    filter: " + std::string(filter));
  const DialogAnswer answer = next_answer(caption, filter);
  if (answer.result == kDialogChose) {
    const std::size_t length = std::min(answer.file_name.size(), kFileNameBufferSize - 1);
    std::memcpy(buffer, answer.file_name.data(), length);
    buffer[length] = '\0';
    show("    chosen: " + std::string(buffer));
  } else {
    show("    no file chosen (dialog result " + decimal(answer.result) + ")");
  }
  return answer.result;
}

#if !defined(HALVANE_HOST_CALLED_ONLY)
// The functions the plugin binds but never calls: present, so that binding finds them, and loud.
#define HALVANE_STUB(name)                                                      \
  HALVANE_EXPORT void name() {                                                  \
    record(#name);                                                              \
    show("[host] " #name " was called; the stand-in host does not provide it"); \
  }
#define HALVANE_NO_STUB(name, type)
HALVANE_HOST_OTHER_FUNCTIONS(HALVANE_NO_STUB, HALVANE_STUB)
#undef HALVANE_STUB
#undef HALVANE_NO_STUB
#endif
