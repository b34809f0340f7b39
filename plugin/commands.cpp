// The wizard's command handler: the GUI script stores a command in "Command" (and a filter in
// "FileType") and has the host call execute; the answer goes back through the parameter store.
#include <cstring>

#include "plugin/host_functions.h"
#include "plugin/tarvel.h"

namespace {

// The host copies a parameter's whole value into the buffer and passes no length. These buffers hold
// values of up to 4095 characters; longer "Command" or "FileType" values are not supported.
constexpr std::size_t kParameterBufferSize = 4096;
// The host's dialog writes at most 255 characters and the terminating zero.
constexpr std::size_t kFileNameBufferSize = 256;

constexpr int kDialogChoseFile = 1;

struct FileCommand {
  const char* command;
  const char* caption;
  const char* filter;  // null: the filter is the script's "FileType"
  const char* answer_parameter;
};

// Matched in this order, by exact, case-sensitive comparison of the whole command.
constexpr FileCommand kFileCommands[] = {
    {"GetFileName", "Please select the source file", nullptr, "Filename"},
    {"GetTargetFileName", "Please select the intra-session alignment target file for this source file",
     "Halvane functional project (*.fmr)", "TargetFilename"},
    {"GetTextFileName", "Please select the text file with source filenames",
     "Text file with source filenames (*.txt)", "Filename"},
};

void read_string_parameter(const char* name, char* buffer) {
  buffer[0] = '\0';
  if (plugin::host.hvGetStringParameter != nullptr) plugin::host.hvGetStringParameter(name, buffer);
}

const FileCommand* find_command(const char* command) {
  for (const FileCommand& candidate : kFileCommands) {
    if (std::strcmp(command, candidate.command) == 0) return &candidate;
  }
  return nullptr;
}

// Shows the open-file dialog and reports the choice, or its absence, to the script.
void select_file(const FileCommand& command, const char* file_type) {
  using plugin::host;
  char file_name[kFileNameBufferSize] = {};
  const char* filter = command.filter != nullptr ? command.filter : file_type;
  const int result =
      host.hvGetOpenFileName != nullptr ? host.hvGetOpenFileName(command.caption, "", filter, file_name) : 0;
  if (result == kDialogChoseFile) {
    if (host.hvSetStringParameter != nullptr) host.hvSetStringParameter(command.answer_parameter, file_name);
    if (host.hvSetIntParameter != nullptr) host.hvSetIntParameter("ErrorNr", 0);
  } else {
    if (host.hvSetIntParameter != nullptr) host.hvSetIntParameter("ErrorNr", -1);
    if (host.hvSetStringParameter != nullptr) host.hvSetStringParameter("ErrorMsg", "No file selected");
  }
}

}  // namespace

bool tarvel::execute() noexcept {
  char command[kParameterBufferSize];
  char file_type[kParameterBufferSize];
  read_string_parameter("Command", command);
  read_string_parameter("FileType", file_type);
  if (const FileCommand* matched = find_command(command)) select_file(*matched, file_type);
  return true;
}
