// A wizard session as the GUI script plays it: commands, each stored with its "FileType", and the
// scripted answers of the open-file dialogs. The stand-in host plays one and starts with the default
// session; the validator's lifecycle checks repeat the default session many times.
#pragma once

#include <string>
#include <vector>

#include "host/host_api.h"
#include "plugin/halvane_plugin_interface.h"

namespace halvane_host {

struct SessionCommand {
  std::string name;
  std::string file_type;
};

struct Session {
  std::vector<SessionCommand> commands;
  std::vector<DialogAnswer> answers;
};

// The session a new user sees when starting the host without arguments: the three commands, each
// dialog choosing a sample file.
Session default_session();

// Stores the command and its "FileType" as the GUI script does and runs the command.
bool execute_command(HalvanePluginInterface& plugin, const SessionCommand& command);

}  // namespace halvane_host
