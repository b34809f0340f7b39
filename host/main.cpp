// The stand-in host "Halvane.exe": loads the plugin module, shows its metadata, creates and
// initialises the plugin, and plays a wizard session the way the plugin's GUI script would, printing
// what the user would see and the answers the script would read.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "host/host_api.h"
#include "host/module_loader.h"
#include "host/plugin_module.h"
#include "host/process.h"
#include "host/validator.h"

namespace {

using namespace halvane_host;

constexpr int kExitOk = 0;
constexpr int kExitModuleFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitPluginRefused = 3;
constexpr int kExitChecksFailed = 4;

constexpr const char kUsage[] =
    "Usage: Halvane.exe [options]\n"
    "Plays a wizard session against the plugin module, the way the host and the wizard's GUI script do.\n"
    "  --module PATH      plugin module to load (default: the module beside this program)\n"
    "  --check            validate the module against the host contract instead of playing a session;\n"
    "                     prints PASS or FAIL per check and exits with 0 only when every check passed\n"
    "  --only NAME        with --check: judge the module's C++ ABI, then run only the check NAME\n"
    "  --in-process       with --check: run the checks in this process, not each in a child process\n"
    "  --list             list the names of the checks\n"
    "  --version X.Y.Z    host version to report to the plugin (default 2.4.0)\n"
    "  --command NAME     run a wizard command; repeat for several, in order\n"
    "  --filetype TEXT    \"FileType\" stored with the commands that follow (default: empty)\n"
    "  --answer PATH      the next open-file dialog chooses PATH\n"
    "  --cancel           the next open-file dialog is cancelled\n"
    "  --dialog-result N  the next open-file dialog returns N without a file\n"
    "  --help             show this text\n"
    "Without --command the session runs GetFileName, GetTargetFileName and GetTextFileName; without\n"
    "scripted answers it then uses sample answers. A dialog with no scripted answer asks at a terminal\n"
    "and is cancelled otherwise.\n";

struct Command {
  std::string name;
  std::string file_type;
};

struct Options {
  std::string module_path;
  Version version{2, 4, 0};
  std::vector<Command> commands;
  std::vector<DialogAnswer> answers;
  bool help = false;
  bool check = false;
  bool list = false;
  ValidatorOptions validation;
};

bool parse_version(const std::string& text, Version& version) {
  char tail = 0;
  return std::sscanf(text.c_str(), "%d.%d.%d%c", &version.major, &version.minor, &version.release, &tail) ==
         3;
}

bool parse_int(const std::string& text, int& value) {
  char tail = 0;
  return std::sscanf(text.c_str(), "%d%c", &value, &tail) == 1;
}

bool parse_options(int argc, char** argv, Options& options, std::string& error) {
  std::string file_type;
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--help") {
      options.help = true;
      continue;
    }
    if (option == "--check" || option == "--list" || option == "--in-process" || option == "--child") {
      bool& flag = option == "--check"        ? options.check
                   : option == "--list"       ? options.list
                   : option == "--in-process" ? options.validation.in_process
                                              : options.validation.child;
      flag = true;
      continue;
    }
    if (option == "--cancel") {
      options.answers.push_back({kDialogCancelled, ""});
      continue;
    }
    const bool takes_value = option == "--module" || option == "--version" || option == "--command" ||
                             option == "--filetype" || option == "--answer" || option == "--dialog-result" ||
                             option == "--only";
    if (!takes_value) {
      error = "unknown option " + option;
      return false;
    }
    if (i + 1 == argc) {
      error = "option " + option + " needs a value";
      return false;
    }
    const std::string value = argv[++i];
    int result = 0;
    if (option == "--module") {
      options.module_path = value;
    } else if (option == "--version") {
      if (!parse_version(value, options.version)) {
        error = "--version expects X.Y.Z, got " + value;
        return false;
      }
    } else if (option == "--command") {
      options.commands.push_back({value, file_type});
    } else if (option == "--filetype") {
      file_type = value;
    } else if (option == "--only") {
      options.validation.only = value;
    } else if (option == "--answer") {
      options.answers.push_back({kDialogChose, value});
    } else if (!parse_int(value, result)) {
      error = "--dialog-result expects an integer, got " + value;
      return false;
    } else {
      options.answers.push_back({result, ""});
    }
  }
  return true;
}

// The session a new user sees when starting the host without arguments.
void add_default_session(Options& options) {
  if (!options.commands.empty()) return;
  const std::string source_filter = "Halvane functional project (*.fmr)";
  options.commands = {{"GetFileName", source_filter},
                      {"GetTargetFileName", source_filter},
                      {"GetTextFileName", source_filter}};
  if (!options.answers.empty()) return;
  options.answers = {{kDialogChose, "C:\\Data\\S01\\S01_run2.fmr"},
                     {kDialogChose, "C:\\Data\\S01\\S01_run1.fmr"},
                     {kDialogChose, "C:\\Data\\sources.txt"}};
}

DialogAnswer ask_at_terminal(const std::string&, const std::string&) {
  std::printf("    file name (empty to cancel): ");
  std::fflush(stdout);
  char line[4096];
  if (std::fgets(line, sizeof line, stdin) == nullptr) return {kDialogCancelled, ""};
  line[std::strcspn(line, "\r\n")] = '\0';
  if (line[0] == '\0') return {kDialogCancelled, ""};
  return {kDialogChose, line};
}

void print_metadata(const PluginModule& module) {
  std::printf("Plugin name:        %s\n", module.getPluginName());
  std::printf("Plugin description: %s\n", module.getPluginDescription());
  std::printf("Author:             %s\n", module.getAuthor());
  std::printf("Help file:          %s\n", module.getHelpFile());
  std::printf("Plugin version:     %s\n", module.getPluginVersion());
  std::printf("GUI script:         %s\n", module.getGUIScript());
}

// The parameters the GUI script reads after a command, in a fixed order.
void print_answers() {
  for (const char* name : {"Filename", "TargetFilename", "ErrorMsg"}) {
    if (auto value = string_parameter(name)) std::printf("  %s = \"%s\"\n", name, value->c_str());
  }
  if (auto error = int_parameter("ErrorNr")) std::printf("  ErrorNr = %d\n", *error);
}

void run_command(HalvanePluginInterface& plugin, const Command& command) {
  std::printf("Command \"%s\", FileType \"%s\"\n", command.name.c_str(), command.file_type.c_str());
  set_string_parameter("Command", command.name);
  set_string_parameter("FileType", command.file_type);
  const bool result = plugin.execute();
  std::printf("execute: %s\n", result ? "true" : "false");
  print_answers();
}

std::string module_path(const Options& options) {
  return options.module_path.empty() ? loader::executable_directory() + loader::kModuleFileName
                                     : options.module_path;
}

int run_session(const Options& options) {
  set_version(options.version);
  for (const DialogAnswer& answer : options.answers) script_dialog(answer);
  set_screen([](const std::string& line) { std::printf("%s\n", line.c_str()); });
  if (loader::standard_input_is_terminal()) set_dialog_prompt(ask_at_terminal);

  const std::string path = module_path(options);
  std::printf("Halvane stand-in host %d.%d.%d\n", options.version.major, options.version.minor,
              options.version.release);
  PluginModule module;
  std::string error;
  if (!open_plugin_module(path, module, error)) {
    std::printf("Cannot load the plugin module %s: %s\n", path.c_str(), error.c_str());
    return kExitModuleFailed;
  }
  print_metadata(module);

  int status = kExitOk;
  std::unique_ptr<HalvanePluginInterface> plugin(module.createPlugin());
  if (!plugin) {
    std::printf("createPlugin returned no plugin\n");
    status = kExitModuleFailed;
  } else if (const bool ready = plugin->initPlugin(); !ready) {
    std::printf("initPlugin: false (the plugin is not run)\n");
    status = kExitPluginRefused;
  } else {
    std::printf("initPlugin: true\n");
    for (const Command& command : options.commands) run_command(*plugin, command);
  }
  if (plugin) std::printf("Deleting the plugin\n");
  plugin.reset();
  close_plugin_module(module);
  return status;
}

// `--check`. A child (the hidden `--child`, see ValidatorOptions) reports through its line and exits
// with 0 whatever the check found, so that any other ending reads as a crash.
int validate(const Options& options) {
  const ValidatorOptions& validation = options.validation;
  const std::vector<std::string> names = check_names();
  if (!validation.only.empty() && std::find(names.begin(), names.end(), validation.only) == names.end()) {
    std::fprintf(stderr, "Halvane.exe: no check is named \"%s\"; --list shows the names\n",
                 validation.only.c_str());
    return kExitUsage;
  }
  if (validation.child) process::end_quietly_on_faults();
  const bool passed = run_validator(module_path(options), validation);
  return passed || validation.child ? kExitOk : kExitChecksFailed;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  std::string error;
  if (!parse_options(argc, argv, options, error)) {
    std::fprintf(stderr, "Halvane.exe: %s\n%s", error.c_str(), kUsage);
    return kExitUsage;
  }
  if (options.help) {
    std::printf("%s", kUsage);
    return kExitOk;
  }
  if (options.list) {
    for (const std::string& name : check_names()) std::printf("%s\n", name.c_str());
    return kExitOk;
  }
  if (options.check) return validate(options);
  add_default_session(options);
  return run_session(options);
}
