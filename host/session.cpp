// The default wizard session and the GUI script's way of running one command.
#include "host/session.h"

#include "host/contract.h"

namespace halvane_host {

Session default_session() {
  Session session;
  for (const contract::Command& command : contract::kCommands)
    session.commands.push_back({command.name, contract::kProjectFilter});
  session.answers = {{kDialogChose, "C:\\Data\\S01\\S01_run2.fmr"},
                     {kDialogChose, "C:\\Data\\S01\\S01_run1.fmr"},
                     {kDialogChose, "C:\\Data\\sources.txt"}};
  return session;
}

bool execute_command(HalvanePluginInterface& plugin, const SessionCommand& command) {
  set_string_parameter("Command", command.name);
  set_string_parameter("FileType", command.file_type);
  return plugin.execute();
}

}  // namespace halvane_host
