// The host contract of the tarvelwizard module, written as the stand-in host records it: the metadata
// texts, what the plugin logs and shows, each command's dialog and answer, and the host calls expected
// at initialisation, execution and destruction. The validator and the test hosts read it from here.
#pragma once

#include <string>
#include <vector>

namespace halvane_host::contract {

using Calls = std::vector<std::string>;

// What the module's plain text exports return (the author line is checked by its shape only).
inline constexpr char kPluginName[] = "tarvelwizard (v1.2)";
inline constexpr char kPluginDescription[] = "Plugin to process multiple Halvane files<br>";
inline constexpr char kHelpFile[] = "";
inline constexpr char kPluginVersion[] = "1.2";
inline constexpr char kGuiScript[] = "tarvelwizard_v12.js";

// What the plugin writes to the log and shows.
inline constexpr char kStartText[] = "Running tarvelwizard...";
inline constexpr char kFinishText[] = "tarvelplugin finished!";
inline constexpr char kRefusalText[] =
    "Can not execute this plugin - Halvane version 2.3 or higher required.";
inline constexpr char kNoFileText[] = "No file selected";

// The three wizard commands: the dialog each opens and the parameter that receives the chosen file.
inline constexpr char kSourceCaption[] = "Please select the source file";
inline constexpr char kTargetCaption[] =
    "Please select the intra-session alignment target file for this source file";
inline constexpr char kTextCaption[] = "Please select the text file with source filenames";
inline constexpr char kProjectFilter[] = "Halvane functional project (*.fmr)";
inline constexpr char kTextFilter[] = "Text file with source filenames (*.txt)";

struct Command {
  const char* name;
  const char* caption;
  const char* filter;  // null: the dialog shows the "FileType" parameter
  const char* answer;  // the string parameter that receives the chosen file
};
inline constexpr Command kCommands[] = {
    {"GetFileName", kSourceCaption, nullptr, "Filename"},
    {"GetTargetFileName", kTargetCaption, kProjectFilter, "TargetFilename"},
    {"GetTextFileName", kTextCaption, kTextFilter, "Filename"}};

// The host calls, spelt as the stand-in host's journal spells them (host/host_api.h).
inline std::string quoted(const std::string& text) { return "\"" + text + "\""; }
inline std::string log_call(const std::string& text) { return "hvLogText(" + quoted(text) + ")"; }

// initPlugin: the version query, then the log tab and the start text, or the refusal in a message box.
inline Calls initialisation_calls(bool accepted) {
  if (!accepted) return {"hvGetVersionOfHalvane", "hvMessageBox(" + quoted(kRefusalText) + ")"};
  return {"hvGetVersionOfHalvane", "hvShowLogTab", log_call(kStartText)};
}

// The destructor of a plugin whose module is bound to the host.
inline Calls destruction_calls() { return {log_call(kFinishText)}; }

// execute always reads both parameters first; a command that matches nothing does nothing else.
inline Calls parameter_reads() {
  return {"hvGetStringParameter(\"Command\")", "hvGetStringParameter(\"FileType\")"};
}

// execute of `command` whose dialog, showing `filter`, returned `file`.
inline Calls chosen_calls(const Command& command, const std::string& filter, const std::string& file) {
  Calls calls = parameter_reads();
  calls.push_back("hvGetOpenFileName(" + quoted(command.caption) + ", \"\", " + quoted(filter) + ")");
  calls.push_back("hvSetStringParameter(" + quoted(command.answer) + ", " + quoted(file) + ")");
  calls.push_back("hvSetIntParameter(\"ErrorNr\", 0)");
  return calls;
}

// What follows the dialog when it returned no file (any result other than 1).
inline Calls no_file_calls() {
  return {"hvSetIntParameter(\"ErrorNr\", -1)",
          "hvSetStringParameter(\"ErrorMsg\", " + quoted(kNoFileText) + ")"};
}

}  // namespace halvane_host::contract
