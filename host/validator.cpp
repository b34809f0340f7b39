// The validator behind `Halvane.exe --check`: first tells from the module's export names whether
// its classes are in this host's C++ ABI, then runs each named check in a child process of its own
// (this executable again), which loads the module, creates fresh plugin objects, drives them through
// the host functions and compares the host calls, the parameters left and the results with the host
// contract (host/contract.h). A child that crashes is a failed check. Output goes through the C
// library only, so the validator runs in every build of the host.
#include "host/validator.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/contract.h"
#include "host/host_api.h"
#include "host/module_loader.h"
#include "host/plugin_module.h"
#include "host/process.h"
#include "host/session.h"

namespace halvane_host {
namespace {

using contract::Calls;
using contract::quoted;
using Plugin = std::unique_ptr<HalvanePluginInterface>;

// How much the resident memory may grow over the lifecycle checks, whatever their counts: allocator
// caches and first touches of pages move it a little, a leak of a few bytes per cycle or a page per
// load moves it far more. Measured growth over 10^3 to 10^5 cycles and 10^2 to 10^3 loads: none in
// the native build and the two Windows builds under Wine, but 140 to 200 KiB over the cycles under
// AddressSanitizer (its allocator's own bookkeeping, the same for any count), which 64 KiB would fail.
constexpr long kAllowedGrowthKib = 256;

// AddressSanitizer keeps shadow memory for every address range a module was ever mapped at, so the
// resident figure grows with repeated loads without any leak; its leak checker judges the heap at
// exit instead.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kLoadsGrowShadowMemory = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kLoadsGrowShadowMemory = true;
#else
constexpr bool kLoadsGrowShadowMemory = false;
#endif
#else
constexpr bool kLoadsGrowShadowMemory = false;
#endif

// The "FileType" the command checks store: the dialog of a command without a filter of its own shows it.
constexpr const char kValidatorFileType[] = "Validator filter (*.vld)";

// The name under which the C++ ABI of the module is judged, before any other check.
constexpr const char kAbiCheck[] = "abi";

enum class Abi { itanium, microsoft, unknown };
// Visual C++, and clang for the Microsoft ABI, define _MSC_VER; every other compiler of this host
// uses the Itanium ABI.
#if defined(_MSC_VER)
constexpr Abi kHostAbi = Abi::microsoft;
#else
constexpr Abi kHostAbi = Abi::itanium;
#endif

struct Outcome {
  bool passed;
  std::string detail;
};

struct Check {
  std::string name;
  std::function<Outcome()> body;
};

Outcome pass(std::string detail) { return {true, std::move(detail)}; }
Outcome fail(std::string detail) { return {false, std::move(detail)}; }

std::string number(long value) {
  char text[24];
  std::snprintf(text, sizeof text, "%ld", value);
  return text;
}

// Long texts appear in details by their start and length only.
std::string shortened(const std::string& text) {
  constexpr std::size_t kShown = 70;
  if (text.size() <= kShown) return text;
  return text.substr(0, kShown) + "... (" + number(static_cast<long>(text.size())) + " characters)";
}

std::string listed(const Calls& calls) {
  std::string text;
  for (const std::string& call : calls) text += (text.empty() ? "" : ", ") + shortened(call);
  return "[" + text + "]";
}

Calls calls_since(std::size_t mark) {
  return Calls(calls().begin() + static_cast<std::ptrdiff_t>(mark), calls().end());
}

Outcome expect_calls(const Calls& got, const Calls& expected, const std::string& what) {
  if (got == expected) return pass(what);
  return fail(what + ": expected " + listed(expected) + ", got " + listed(got));
}

bool exports_any(loader::Module module, std::initializer_list<const char*> names) {
  for (const char* name : names) {
    if (loader::find_export(module, name) != nullptr) return true;
  }
  return false;
}

// The ABI of the module's classes, read from the names of their exported members (the virtual
// table, destructor and execute). A module with both kinds of names counts as in this host's ABI.
Abi module_abi(loader::Module module) {
  const bool itanium = exports_any(
      module, {"_ZTV22HalvanePluginInterface", "_ZN22HalvanePluginInterfaceD1Ev", "_ZN6tarvel7executeEv"});
  const bool microsoft = exports_any(
      module,
      {"??_7HalvanePluginInterface@@6B@", "??1HalvanePluginInterface@@UEAA@XZ", "?execute@tarvel@@UEAA_NXZ"});
  if ((kHostAbi == Abi::itanium && itanium) || (kHostAbi == Abi::microsoft && microsoft)) return kHostAbi;
  if (itanium) return Abi::itanium;
  return microsoft ? Abi::microsoft : Abi::unknown;
}

std::string abi_name(Abi abi) {
  return abi == Abi::microsoft ? "the Microsoft C++ ABI (Visual C++, clang-cl)"
                               : "the Itanium C++ ABI (GCC, MinGW)";
}

Outcome judge_abi(Abi abi) {
  if (abi == kHostAbi)
    return pass("the module's classes are in " + abi_name(abi) + ", as this host calls them");
  if (abi == Abi::unknown) {
    return fail(
        "the module exports no member of HalvanePluginInterface or tarvel in either C++ ABI, so "
        "this host cannot tell how to call its virtual functions");
  }
  return fail("the module is built for " + abi_name(abi) + "; this host calls plugins in " +
              abi_name(kHostAbi) + " and would reach the module's virtual functions through the wrong slots");
}

// The detail of the child's line for check `name`; false when the child printed none.
bool child_line(const std::string& output, const std::string& name, Outcome& outcome) {
  std::size_t start = 0;
  while (start < output.size()) {
    const std::size_t end = std::min(output.find('\n', start), output.size());
    const std::string line = output.substr(start, end - start);
    for (const bool passed : {true, false}) {
      const std::string head = (passed ? "PASS " : "FAIL ") + name + ": ";
      if (line.rfind(head, 0) == 0) {
        outcome = {passed, line.substr(head.size())};
        return true;
      }
    }
    start = end + 1;
  }
  return false;
}

void print_line(const std::string& name, const Outcome& outcome) {
  std::printf("%s %s: %s\n", outcome.passed ? "PASS" : "FAIL", name.c_str(), outcome.detail.c_str());
  std::fflush(stdout);
}

// The plugin's answer as the GUI script would read it.
std::string string_answer(const char* name) { return string_parameter(name).value_or("<unset>"); }
long int_answer(const char* name) { return int_parameter(name).value_or(-999); }

// One cycle of the host's life with a plugin, on a reset host state: create, initialise, the
// session's commands with its answers, delete. False when the plugin did not initialise or a command
// returned false.
bool play_session(const PluginModule& module, const Session& session) {
  reset();
  for (const DialogAnswer& answer : session.answers) script_dialog(answer);
  Plugin plugin(module.createPlugin());
  if (!plugin || !plugin->initPlugin()) return false;
  for (const SessionCommand& command : session.commands) {
    if (!execute_command(*plugin, command)) return false;
  }
  return true;
}

class Validator {
 public:
  Validator(std::string path, const ValidatorOptions& options);
  Validator(const Validator&) = delete;
  Validator& operator=(const Validator&) = delete;

  const std::vector<Check>& checks() const { return checks_; }
  bool run();

 private:
  void check(const std::string& name, std::function<Outcome()> body);
  // Loads the module for the check alone, runs it on a reset host state and unloads the module.
  Outcome run_here(const Check& check);
  // Runs the check in a child process of this executable; a child that does not end normally after
  // printing its line failed with the way it ended.
  Outcome run_in_child(const Check& check) const;
  // Loads the module only to read its export names: nothing of it is called before its ABI is known.
  bool read_abi(Abi& abi, std::string& error);
  void boundary_checks();
  void version_checks();
  void command_checks();
  void lifecycle_checks();

  Plugin create() { return Plugin(module_.createPlugin()); }
  // A fresh plugin that initialised on the host as it is now (2.4.0 unless a check changed it), or null.
  Plugin ready_plugin();
  // Runs one command on a fresh ready plugin with one scripted dialog answer; `made` receives the
  // host calls of execute.
  Outcome execute(const std::string& command, const std::string& file_type, const DialogAnswer& answer,
                  Calls& made);

  Outcome metadata();
  Outcome version_gate(Version version, bool accepted);
  Outcome chosen(const contract::Command& command, const char* filter);
  Outcome not_chosen(const char* command, int dialog_result);
  Outcome ignored(const std::string& command);
  Outcome error_message_kept();
  Outcome long_text(bool long_command);
  Outcome long_file_name();
  Outcome initialised_twice();
  Outcome destroyed_after_init();
  Outcome destroyed_unbound();
  Outcome cycles();
  Outcome loads();

  std::string path_;
  ValidatorOptions options_;
  PluginModule module_;
  std::vector<Check> checks_;
};

Validator::Validator(std::string path, const ValidatorOptions& options)
    : path_(std::move(path)), options_(options) {
  boundary_checks();
  version_checks();
  command_checks();
  lifecycle_checks();
}

void Validator::check(const std::string& name, std::function<Outcome()> body) {
  checks_.push_back({name, std::move(body)});
}

Outcome Validator::run_here(const Check& check) {
  std::string error;
  if (!open_plugin_module(path_, module_, error)) return fail("loading the module failed: " + error);
  reset();
  Outcome outcome = check.body();
  reset();
  close_plugin_module(module_);
  return outcome;
}

Outcome Validator::run_in_child(const Check& check) const {
  const process::Result child =
      process::run(process::executable_path(),
                   {"--check", "--module", path_, "--only", check.name, "--in-process", "--child", "--cycles",
                    number(options_.cycles), "--loads", number(options_.loads)});
  Outcome outcome{false, ""};
  const bool normal_end = child.ending == process::Result::Ending::exited && child.code == 0;
  if (normal_end && child_line(child.output, check.name, outcome)) return outcome;
  if (normal_end) return fail("the check's process printed no result");
  return fail("the check's process crashed: " + process::describe_ending(child));
}

Plugin Validator::ready_plugin() {
  Plugin plugin = create();
  if (plugin && !plugin->initPlugin()) plugin.reset();
  return plugin;
}

Outcome Validator::execute(const std::string& command, const std::string& file_type,
                           const DialogAnswer& answer, Calls& made) {
  Plugin plugin = ready_plugin();
  if (!plugin) return fail("the plugin did not initialise on a 2.4.0 host");
  script_dialog(answer);
  const std::size_t mark = calls().size();
  const bool result = execute_command(*plugin, {command, file_type});
  made = calls_since(mark);
  return result ? pass("") : fail("execute returned false");
}

Outcome Validator::metadata() {
  struct Text {
    const char* name;
    PluginModule::Text function;
    const char* expected;
  };
  const Text texts[] = {{"getPluginName", module_.getPluginName, contract::kPluginName},
                        {"getPluginDescription", module_.getPluginDescription, contract::kPluginDescription},
                        {"getHelpFile", module_.getHelpFile, contract::kHelpFile},
                        {"getPluginVersion", module_.getPluginVersion, contract::kPluginVersion},
                        {"getGUIScript", module_.getGUIScript, contract::kGuiScript}};
  for (const Text& text : texts) {
    const char* value = text.function();
    if (value == nullptr) return fail(std::string(text.name) + " returned null");
    if (std::string(value) != text.expected) {
      return fail(std::string(text.name) + " returned " + quoted(value) + ", expected " +
                  quoted(text.expected));
    }
    if (text.function() != value) return fail(std::string(text.name) + " moved its text between calls");
  }
  const char* author = module_.getAuthor();
  if (author == nullptr) return fail("getAuthor returned null");
  const std::string line = author;
  const std::size_t name_end = line.find("</i>, ");
  if (line.rfind("<i>", 0) != 0 || name_end == std::string::npos || name_end <= 3 ||
      line.size() <= name_end + 6) {
    return fail("getAuthor returned " + quoted(line) + ", expected <i>name</i>, company");
  }
  if (module_.getAuthor() != author) return fail("getAuthor moved its text between calls");
  return pass("the seven texts exact and at stable addresses; author " + quoted(line));
}

void Validator::boundary_checks() {
  check("metadata", [this] { return metadata(); });
  check("create", [this] {
    Plugin plugin = create();
    if (!plugin) return fail("createPlugin returned null");
    if (!calls().empty()) return fail("createPlugin called the host: " + listed(calls()));
    return pass("createPlugin returned an object and called no host function");
  });
  check("initialisation order", [this] {
    Plugin plugin = create();
    if (!plugin) return fail("createPlugin returned null");
    if (!plugin->initPlugin()) return fail("initPlugin returned false on a 2.4.0 host");
    return expect_calls(calls(), contract::initialisation_calls(true), "initPlugin true");
  });
}

Outcome Validator::version_gate(Version version, bool accepted) {
  set_version(version);
  Plugin plugin = create();
  if (!plugin) return fail("createPlugin returned null");
  const bool result = plugin->initPlugin();
  if (result != accepted) return fail(std::string("initPlugin returned ") + (result ? "true" : "false"));
  Outcome init = expect_calls(calls(), contract::initialisation_calls(accepted), "initialisation");
  if (!init.passed) return init;
  const std::size_t mark = calls().size();
  plugin.reset();
  Outcome end = expect_calls(calls_since(mark), contract::destruction_calls(), "destruction");
  if (!end.passed) return end;
  return pass(accepted ? "initPlugin true, log tab and start text; destructor logs"
                       : "initPlugin false with the message box; destructor still logs");
}

void Validator::version_checks() {
  const Version accepted[] = {{2, 3, 0}, {2, 3, 7}, {2, 4, 0}, {3, 0, 0}, {10, 0, 0}};
  // A negative release below 2.3.0 too: the comparison is numeric, not by text.
  const Version refused[] = {{2, 2, 9}, {1, 9, 9}, {1, 99, 99}, {0, 0, 0}, {2, 3, -1}};
  for (const Version& v : accepted) {
    const std::string name = "version " + number(v.major) + "." + number(v.minor) + "." + number(v.release);
    check(name + " accepted", [this, v] { return version_gate(v, true); });
  }
  for (const Version& v : refused) {
    const std::string name = "version " + number(v.major) + "." + number(v.minor) + "." + number(v.release);
    check(name + " refused", [this, v] { return version_gate(v, false); });
  }
}

// `filter` is what the dialog must show: the command's own filter, or else the "FileType" stored.
Outcome Validator::chosen(const contract::Command& command, const char* filter) {
  const std::string file = "C:\\Data\\S01\\chosen by the validator.fmr";
  Calls made;
  Outcome ran = execute(command.name, kValidatorFileType, {kDialogChose, file}, made);
  if (!ran.passed) return ran;
  Outcome order = expect_calls(made, contract::chosen_calls(command, filter, file), "execute");
  if (!order.passed) return order;
  return pass(std::string("caption ") + quoted(command.caption) + ", filter " + quoted(filter) +
              ", answer in " + command.answer + ", ErrorNr 0");
}

Outcome Validator::not_chosen(const char* command, int dialog_result) {
  set_string_parameter("Filename", "C:\\earlier.fmr");
  Calls made;
  Outcome ran = execute(command, "Any (*.*)", {dialog_result, "C:\\not\\taken.fmr"}, made);
  if (!ran.passed) return ran;
  const Calls after_dialog = contract::no_file_calls();
  if (made.size() != 5 || made[3] != after_dialog[0] || made[4] != after_dialog[1]) {
    return fail("expected ErrorNr -1 then ErrorMsg after the dialog, got " + listed(made));
  }
  if (string_answer("Filename") != "C:\\earlier.fmr")
    return fail("Filename changed to " + string_answer("Filename"));
  return pass("dialog result " + number(dialog_result) + ": ErrorNr -1, ErrorMsg " +
              quoted(contract::kNoFileText) + ", Filename kept");
}

Outcome Validator::ignored(const std::string& command) {
  Calls made;
  Outcome ran = execute(command, "Any (*.*)", {kDialogChose, "C:\\never.fmr"}, made);
  if (!ran.passed) return ran;
  return expect_calls(made, contract::parameter_reads(), "execute true, both parameters read, nothing else");
}

Outcome Validator::error_message_kept() {
  Plugin plugin = ready_plugin();
  if (!plugin) return fail("the plugin did not initialise on a 2.4.0 host");
  set_string_parameter("Command", "GetFileName");
  script_dialog({kDialogCancelled, ""});
  plugin->execute();
  script_dialog({kDialogChose, "C:\\later.fmr"});
  plugin->execute();
  if (int_answer("ErrorNr") != 0 || string_answer("Filename") != "C:\\later.fmr") {
    return fail("the later success left ErrorNr " + number(int_answer("ErrorNr")) + ", Filename " +
                string_answer("Filename"));
  }
  if (string_answer("ErrorMsg") != contract::kNoFileText)
    return fail("ErrorMsg became " + quoted(string_answer("ErrorMsg")));
  return pass("a success after a cancel sets ErrorNr 0 and keeps ErrorMsg " + quoted(contract::kNoFileText));
}

// A 1000-character "FileType" reaches the dialog whole; a "Command" of 4095 characters, the longest
// the plugin reads, matches nothing and changes nothing.
Outcome Validator::long_text(bool long_command) {
  const std::string text(4095 - 11, 'x');
  std::string filter = "Long filter (*.fmr) ";
  filter.resize(1000, 'x');
  Calls made;
  Outcome ran = long_command ? execute("GetFileName" + text, "Any (*.*)", {kDialogChose, "C:\\a.fmr"}, made)
                             : execute("GetFileName", filter, {kDialogChose, "C:\\a.fmr"}, made);
  if (!ran.passed) return ran;
  if (long_command) {
    Outcome nothing = expect_calls(made, contract::parameter_reads(), "execute");
    return nothing.passed ? pass("4095-character Command: execute true, no parameter changed") : nothing;
  }
  const std::string dialog =
      "hvGetOpenFileName(" + quoted(contract::kSourceCaption) + ", \"\", " + quoted(filter) + ")";
  if (made.size() < 3 || made[2] != dialog)
    return fail("the dialog did not receive the whole filter: " + listed(made));
  return pass("a " + number(static_cast<long>(filter.size())) +
              "-character FileType reached the dialog whole");
}

Outcome Validator::long_file_name() {
  const std::string file = "C:\\" + std::string(251, 'n') + ".fmr";
  Calls made;
  Outcome ran = execute("GetTextFileName", "", {kDialogChose, file.substr(0, 255)}, made);
  if (!ran.passed) return ran;
  if (string_answer("Filename") != file.substr(0, 255)) {
    return fail("Filename became " + shortened(string_answer("Filename")));
  }
  return pass("a 255-character file name came back intact in Filename");
}

Outcome Validator::initialised_twice() {
  Plugin plugin = create();
  if (!plugin) return fail("createPlugin returned null");
  if (!plugin->initPlugin() || !plugin->initPlugin()) return fail("initPlugin returned false");
  const Calls once = contract::initialisation_calls(true);
  Calls twice = once;
  twice.insert(twice.end(), once.begin(), once.end());
  Outcome init = expect_calls(calls(), twice, "two initPlugin calls");
  if (!init.passed) return init;
  set_string_parameter("Command", "GetTextFileName");
  script_dialog({kDialogChose, "C:\\list.txt"});
  plugin->execute();
  if (string_answer("Filename") != "C:\\list.txt")
    return fail("the plugin no longer answered after binding twice");
  return pass("both calls true and announced; the plugin still answers");
}

Outcome Validator::destroyed_after_init() {
  Plugin plugin = ready_plugin();
  if (!plugin) return fail("the plugin did not initialise on a 2.4.0 host");
  const std::size_t mark = calls().size();
  plugin.reset();
  return expect_calls(calls_since(mark), contract::destruction_calls(),
                      "deleting an initialised plugin logs the end");
}

// A freshly loaded module (each check loads its own) has no host function bound: destroying a plugin
// that never initialised must complete without calling anything.
Outcome Validator::destroyed_unbound() {
  Plugin plugin = create();
  if (!plugin) return fail("createPlugin returned null");
  plugin.reset();
  if (!calls().empty()) return fail("the destructor called the host: " + listed(calls()));
  return pass("a plugin of a freshly loaded module is deleted without calling the host");
}

Outcome Validator::cycles() {
  // The default session with its second dialog cancelled, so that the cycles take the cancel path too.
  Session session = default_session();
  session.answers[1] = {kDialogCancelled, ""};
  const auto one_cycle = [this, &session] { return play_session(module_, session); };
  // A warm-up, the measurement included, lets the allocator settle before the figure is taken.
  loader::resident_memory_kib();
  for (int i = 0; i < options_.cycles / 10; ++i) one_cycle();
  const long before = loader::resident_memory_kib();
  for (int i = 0; i < options_.cycles; ++i) {
    if (!one_cycle()) return fail("cycle " + number(i) + " failed");
  }
  const long after = loader::resident_memory_kib();
  const std::string figures = number(options_.cycles) + " create/init/3 commands/delete cycles, resident " +
                              number(before) + " KiB -> " + number(after) + " KiB";
  return after - before > kAllowedGrowthKib ? fail(figures) : pass(figures);
}

Outcome Validator::loads() {
  close_plugin_module(module_);
  std::string error;
  PluginModule module;
  const auto one_load = [&] {
    if (!open_plugin_module(path_, module, error)) return false;
    Plugin plugin(module.createPlugin());
    const bool ready = plugin && plugin->initPlugin();
    plugin.reset();
    close_plugin_module(module);
    reset();
    return ready;
  };
  for (int i = 0; i < 10; ++i) one_load();
  const long before = loader::resident_memory_kib();
  for (int i = 0; i < options_.loads; ++i) {
    if (!one_load()) return fail("load " + number(i) + " failed: " + error);
  }
  const long after = loader::resident_memory_kib();
  const std::string figures = number(options_.loads) + " loads, initialisations and unloads, resident " +
                              number(before) + " KiB -> " + number(after) + " KiB";
  if (kLoadsGrowShadowMemory) return pass(figures + " (not judged under AddressSanitizer)");
  return after - before > kAllowedGrowthKib ? fail(figures) : pass(figures);
}

void Validator::command_checks() {
  for (const contract::Command& c : contract::kCommands) {
    const char* filter = c.filter != nullptr ? c.filter : kValidatorFileType;
    check(std::string("command ") + c.name, [this, c, filter] { return chosen(c, filter); });
    check(std::string("cancel ") + c.name, [this, c] { return not_chosen(c.name, kDialogCancelled); });
  }
  for (int result : {2, -1, 1000}) {
    check("dialog result " + number(result), [this, result] { return not_chosen("GetFileName", result); });
  }
  check("ErrorMsg kept", [this] { return error_message_kept(); });
  for (const char* command :
       {"getfilename", "GETFILENAME", "GetFileName ", " GetFileName", "GetFileName\t", "GetFileNam",
        "GetFile", "GetFileNames", "GetTargetFilename", "GetTextFilename", "gettextfilename"}) {
    check("near-miss command " + quoted(command), [this, command] { return ignored(command); });
  }
  for (const char* command : {"", "OpenProject"}) {
    check("unknown command " + quoted(command), [this, command] { return ignored(command); });
  }
  check("long FileType", [this] { return long_text(false); });
  check("long Command", [this] { return long_text(true); });
  check("long file name", [this] { return long_file_name(); });
}

void Validator::lifecycle_checks() {
  check("initPlugin twice", [this] { return initialised_twice(); });
  check("destruction with log", [this] { return destroyed_after_init(); });
  check("destruction without log", [this] { return destroyed_unbound(); });
  check("lifecycle cycles", [this] { return cycles(); });
  check("module loads", [this] { return loads(); });
}

bool Validator::read_abi(Abi& abi, std::string& error) {
  if (!open_plugin_module(path_, module_, error)) return false;
  abi = module_abi(module_.handle);
  close_plugin_module(module_);
  return true;
}

bool Validator::run() {
  if (options_.child) {
    for (const Check& check : checks_) {
      if (check.name == options_.only) print_line(check.name, run_here(check));
    }
    return true;
  }
  std::printf("Validating %s\n", path_.c_str());
  Abi module_abi = Abi::unknown;
  std::string error;
  if (!read_abi(module_abi, error)) {
    std::printf("FAIL load: %s\n0 passed, 1 failed\n", error.c_str());
    return false;
  }
  const Outcome abi = judge_abi(module_abi);
  print_line(kAbiCheck, abi);
  int passed = abi.passed ? 1 : 0;
  int failed = abi.passed ? 0 : 1;
  for (const Check& check : checks_) {
    if (!abi.passed || (!options_.only.empty() && check.name != options_.only)) continue;
    const Outcome outcome = options_.in_process ? run_here(check) : run_in_child(check);
    print_line(check.name, outcome);
    (outcome.passed ? passed : failed) += 1;
  }
  std::printf("%d passed, %d failed\n", passed, failed);
  return failed == 0;
}

}  // namespace

std::vector<std::string> check_names() {
  std::vector<std::string> names = {kAbiCheck};
  const Validator registry("", ValidatorOptions{});
  for (const Check& check : registry.checks()) names.push_back(check.name);
  return names;
}

bool run_validator(const std::string& path, const ValidatorOptions& options) {
  return Validator(path, options).run();
}

}  // namespace halvane_host
