// Fuzz target for the wizard's command handler, driven through the real module boundary: this
// program is the host (it exports the host functions and is named Halvane.exe), loads the built
// module once, and for every input stores arbitrary "Command" and "FileType" texts, scripts an
// arbitrary dialog result and chosen name, calls execute, and checks that exactly the documented host
// calls happened, in the documented order, with the documented parameter changes.
//
// Input layout: byte 0 picks the dialog result (1, 0, -1 or byte 1 as a signed value); byte 1 picks
// the command (one of the three known ones, or the fuzzed text). The rest is split at zero bytes into
// the command text, the FileType text and the chosen file name. Texts are cut to 4095 characters, the
// most the plugin supports.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/host_api.h"
#include "host/module_loader.h"
#include "host/plugin_module.h"

namespace {

using namespace halvane_host;

constexpr std::size_t kLongestParameter = 4095;
constexpr std::size_t kLongestFileName = 255;

struct Known {
  const char* command;
  const char* caption;
  const char* filter;  // null: the FileType text
  const char* answer;
};

constexpr Known kKnown[] = {
    {"GetFileName", "Please select the source file", nullptr, "Filename"},
    {"GetTargetFileName", "Please select the intra-session alignment target file for this source file",
     "Halvane functional project (*.fmr)", "TargetFilename"},
    {"GetTextFileName", "Please select the text file with source filenames",
     "Text file with source filenames (*.txt)", "Filename"},
};

// Created once and kept for the whole run: destroying it at exit would log through a host whose
// state may already be gone.
PluginModule module;
HalvanePluginInterface* plugin = nullptr;

std::string take_text(const std::uint8_t*& data, const std::uint8_t* end) {
  std::string text;
  while (data < end && *data != 0) text += static_cast<char>(*data++);
  if (data < end) ++data;
  if (text.size() > kLongestParameter) text.resize(kLongestParameter);
  return text;
}

[[noreturn]] void fail(const std::string& what, const std::vector<std::string>& got) {
  std::fprintf(stderr, "command handler misbehaved: %s\n", what.c_str());
  for (const std::string& call : got) std::fprintf(stderr, "  %s\n", call.c_str());
  std::abort();
}

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

std::vector<std::string> expected_calls(const std::string& command, const std::string& file_type, int result,
                                        const std::string& name) {
  std::vector<std::string> calls = {"hvGetStringParameter(\"Command\")",
                                    "hvGetStringParameter(\"FileType\")"};
  for (const Known& known : kKnown) {
    if (command != known.command) continue;
    const std::string filter = known.filter != nullptr ? known.filter : file_type;
    calls.push_back("hvGetOpenFileName(" + quoted(known.caption) + ", \"\", " + quoted(filter) + ")");
    if (result == kDialogChose) {
      calls.push_back("hvSetStringParameter(" + quoted(known.answer) + ", " +
                      quoted(name.substr(0, kLongestFileName)) + ")");
      calls.push_back("hvSetIntParameter(\"ErrorNr\", 0)");
    } else {
      calls.push_back("hvSetIntParameter(\"ErrorNr\", -1)");
      calls.push_back("hvSetStringParameter(\"ErrorMsg\", \"No file selected\")");
    }
  }
  return calls;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const std::string path = loader::executable_directory() + "../../" + loader::kModuleFileName;
  std::string error;
  if (!open_plugin_module(path, module, error)) {
    std::fprintf(stderr, "cannot load %s: %s\n", path.c_str(), error.c_str());
    std::exit(1);
  }
  plugin = module.createPlugin();
  if (plugin == nullptr || !plugin->initPlugin()) {
    std::fprintf(stderr, "the plugin did not initialise\n");
    std::exit(1);
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::uint8_t result_choice = data[0] & 3u, command_choice = data[1] & 3u;
  const int results[] = {kDialogChose, kDialogCancelled, -1, static_cast<std::int8_t>(data[1])};
  const int result = results[result_choice];
  const std::uint8_t* cursor = data + 2;
  const std::uint8_t* end = data + size;
  std::string command = take_text(cursor, end);
  const std::string file_type = take_text(cursor, end);
  const std::string name = take_text(cursor, end);
  if (command_choice < 3) command = kKnown[command_choice].command;

  reset();
  set_string_parameter("Command", command);
  set_string_parameter("FileType", file_type);
  script_dialog({result, name});
  if (!plugin->execute()) fail("execute returned false", calls());

  const std::vector<std::string> expected = expected_calls(command, file_type, result, name);
  if (calls() != expected) fail("unexpected host calls", calls());
  // The script's own parameters are unchanged; only the documented answers appear.
  if (string_parameter("Command") != command || string_parameter("FileType") != file_type)
    fail("the plugin changed the script's parameters", calls());
  return 0;
}
