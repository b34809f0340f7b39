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
#include "host/session.h"
#include "host/validator.h"

namespace {

using namespace halvane_host;

constexpr int kExitOk = 0;
constexpr int kExitModuleFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitPluginRefused = 3;
constexpr int kExitChecksFailed = 4;

// A format: the defaults of the lifecycle counts fill in the two numbers.
constexpr const char kUsage[] =
    "Usage: Halvane.exe [options]\n"
    "Plays a wizard session against the plugin module, the way the host and the wizard's GUI script do.\n"
    "  --module PATH      plugin module to load (default: the module beside this program)\n"
    "  --check            validate the module against the host contract instead of playing a session;\n"
    "                     prints PASS or FAIL per check and exits with 0 only when every check passed\n"
    "  --only NAME        with --check: judge the module's C++ ABI, then run only the check NAME\n"
    "  --in-process       with --check: run the checks in this process, not each in a child process\n"
    "  --cycles N         with --check: create/initialise/commands/delete cycles of the lifecycle check\n"
    "                     (default %d)\n"
    "  --loads N          with --check: load/initialise/unload rounds of the module check (default %d)\n"
    "  --list             list the names of the checks\n"
    "  --version X.Y.Z    host version to report to the plugin (default 2.4.0)\n"
    "  --command NAME     run a wizard command; repeat for several, in order\n"
    "  --filetype TEXT    \"FileType\" stored with the commands that follow (default: empty)\n"
    "  --answer PATH      the next open-file dialog chooses PATH\n"
    "  --cancel           the next open-file dialog is cancelled\n"
    "  --dialog-result N  the next open-file dialog returns N without a file\n"
    "  --help             show this text\n"
    "The options from --version on play a session, which --check refuses; --only, --in-process, --cycles\n"
    "and --loads need --check. Without --command the session runs GetFileName, GetTargetFileName and\n"
    "GetTextFileName; without scripted answers it then uses sample answers. A dialog with no scripted\n"
    "answer asks at a terminal and is cancelled otherwise.\n";

// Which mode an option belongs to: `--check` refuses session options, and a session refuses the
// validator's options, so that neither is silently ignored.
enum class Mode { any, session, check };

struct OptionRule {
  const char* name;
  bool takes_value;
  Mode mode;
};

// `--child` is the validator's own (see ValidatorOptions) and not shown in the usage.
constexpr OptionRule kOptionRules[] = {{"--help", false, Mode::any},
                                       {"--list", false, Mode::any},
                                       {"--module", true, Mode::any},
                                       {"--check", false, Mode::any},
                                       {"--only", true, Mode::check},
                                       {"--in-process", false, Mode::check},
                                       {"--child", false, Mode::check},
                                       {"--cycles", true, Mode::check},
                                       {"--loads", true, Mode::check},
                                       {"--version", true, Mode::session},
                                       {"--command", true, Mode::session},
                                       {"--filetype", true, Mode::session},
                                       {"--answer", true, Mode::session},
                                       {"--cancel", false, Mode::session},
                                       {"--dialog-result", true, Mode::session}};

struct Options {
  std::string module_path;
  Version version{2, 4, 0};
  Session session;
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

bool parse_count(const std::string& option, const std::string& text, int& count, std::string& error) {
  if (parse_int(text, count) && count > 0) return true;
  error = option + " expects a positive count, got " + text;
  return false;
}

const OptionRule* find_option(const std::string& name) {
  for (const OptionRule& rule : kOptionRules) {
    if (name == rule.name) return &rule;
  }
  return nullptr;
}

void set_flag(const std::string& option, Options& options) {
  if (option == "--cancel") {
    options.session.answers.push_back({kDialogCancelled, ""});
    return;
  }
  bool& flag = option == "--help"         ? options.help
               : option == "--check"      ? options.check
               : option == "--list"       ? options.list
               : option == "--in-process" ? options.validation.in_process
                                          : options.validation.child;
  flag = true;
}

bool set_value(const std::string& option, const std::string& value, Options& options, std::string& file_type,
               std::string& error) {
  int result = 0;
  if (option == "--module") {
    options.module_path = value;
  } else if (option == "--only") {
    options.validation.only = value;
  } else if (option == "--cycles") {
    return parse_count(option, value, options.validation.cycles, error);
  } else if (option == "--loads") {
    return parse_count(option, value, options.validation.loads, error);
  } else if (option == "--version") {
    if (parse_version(value, options.version)) return true;
    error = "--version expects X.Y.Z, got " + value;
    return false;
  } else if (option == "--command") {
    options.session.commands.push_back({value, file_type});
  } else if (option == "--filetype") {
    file_type = value;
  } else if (option == "--answer") {
    options.session.answers.push_back({kDialogChose, value});
  } else if (!parse_int(value, result)) {
    error = "--dialog-result expects an integer, got " + value;
    return false;
  } else {
    options.session.answers.push_back({result, ""});
  }
  return true;
}

// Refuses an option of the other mode: session options with --check, --check's options without it.
bool check_modes(const Options& options, const std::string& session_option, const std::string& check_option,
                 std::string& error) {
  if (options.check && !session_option.empty()) {
    error = session_option + " belongs to a session, which --check does not play";
  } else if (!options.check && !check_option.empty()) {
    error = check_option + " works only with --check";
  }
  return error.empty();
}

bool parse_options(int argc, char** argv, Options& options, std::string& error) {
  std::string file_type;
  std::string session_option;  // the first option given of each mode
  std::string check_option;
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    const OptionRule* rule = find_option(option);
    if (rule == nullptr) {
      error = "unknown option " + option;
      return false;
    }
    std::string& first = rule->mode == Mode::session ? session_option : check_option;
    if (rule->mode != Mode::any && first.empty()) first = option;
    if (!rule->takes_value) {
      set_flag(option, options);
    } else if (i + 1 == argc) {
      error = "option " + option + " needs a value";
      return false;
    } else if (!set_value(option, argv[++i], options, file_type, error)) {
      return false;
    }
  }
  return check_modes(options, session_option, check_option, error);
}

// Without commands the default session runs; its sample answers too when none were scripted.
void add_default_session(Options& options) {
  if (!options.session.commands.empty()) return;
  const Session sample = default_session();
  options.session.commands = sample.commands;
  if (options.session.answers.empty()) options.session.answers = sample.answers;
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

void run_command(HalvanePluginInterface& plugin, const SessionCommand& command) {
  std::printf("Command \"%s\", FileType \"%s\"\n", command.name.c_str(), command.file_type.c_str());
  const bool result = execute_command(plugin, command);
  std::printf("execute: %s\n", result ? "true" : "false");
  print_answers();
}

std::string module_path(const Options& options) {
  return options.module_path.empty() ? loader::executable_directory() + loader::kModuleFileName
                                     : options.module_path;
}

void print_usage(std::FILE* stream) {
  const ValidatorOptions defaults;
  std::fprintf(stream, kUsage, defaults.cycles, defaults.loads);
}

int run_session(const Options& options) {
  set_version(options.version);
  for (const DialogAnswer& answer : options.session.answers) script_dialog(answer);
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
    for (const SessionCommand& command : options.session.commands) run_command(*plugin, command);
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
    std::fprintf(stderr, "Halvane.exe: %s\n", error.c_str());
    print_usage(stderr);
    return kExitUsage;
  }
  if (options.help) {
    print_usage(stdout);
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
