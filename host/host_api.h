// The stand-in host's side of the plugin boundary: a parameter store, a journal of every host call
// the plugin makes, a scripted open-file dialog and a screen for what a user would see. The host
// functions themselves are exported by name from the executable (host_api.cpp); this is their control.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace halvane_host {

struct Version {
  int major;
  int minor;
  int release;
};

// What hvGetVersionOfHalvane reports (2.4.0 until set).
void set_version(Version version);

// One answer of the open-file dialog: result 1 with a file name means "chosen"; any other result
// means no file was chosen.
struct DialogAnswer {
  int result;
  std::string file_name;
};
inline constexpr int kDialogChose = 1;
inline constexpr int kDialogCancelled = 0;

// Answers are used in the order scripted. When none is left, the prompt is asked (the stand-in asks
// the user at a terminal); without a prompt the dialog is cancelled.
void script_dialog(const DialogAnswer& answer);
using DialogPrompt = std::function<DialogAnswer(const std::string& caption, const std::string& filter)>;
void set_dialog_prompt(DialogPrompt prompt);

// The named parameter store shared with the GUI script.
void set_string_parameter(const std::string& name, const std::string& value);
std::optional<std::string> string_parameter(const std::string& name);
std::optional<int> int_parameter(const std::string& name);

// Every call of a host function, in order, written as the call with its text arguments quoted,
// e.g. hvLogText("Running tarvelwizard...") or hvSetIntParameter("ErrorNr", -1).
const std::vector<std::string>& calls();

// Receives each line a user would see: message boxes, the log, the log tab, dialogs.
void set_screen(std::function<void(const std::string&)> screen);

// Forgets parameters, calls, scripted answers, prompt and screen; the version goes back to 2.4.0.
void reset();

}  // namespace halvane_host
