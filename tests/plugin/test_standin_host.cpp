// The stand-in host as a user runs it: a separate process that loads the built module and plays a
// wizard session. Its output is checked byte for byte.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/contract.h"
#include "host/module_loader.h"
#include "host/process.h"
#include "support/run_process.h"

namespace {

using test_support::ProcessResult;
namespace contract = halvane_host::contract;

ProcessResult run_host(const std::vector<std::string>& arguments) {
  const std::string host = halvane_host::loader::executable_directory() + "Halvane.exe";
  return test_support::run_process(host, arguments);
}

std::string header(const std::string& version) {
  return "Halvane stand-in host " + version + "\nPlugin name:        " + contract::kPluginName +
         "\nPlugin description: " + contract::kPluginDescription +
         "\nAuthor:             <i>The tarvelwizard developers</i>, Tarvel Project"
         "\nHelp file:          " +
         contract::kHelpFile + "\nPlugin version:     " + contract::kPluginVersion +
         "\nGUI script:         " + contract::kGuiScript + "\n";
}

const std::string kStarted =
    "[log tab shown]\n[log] " + std::string(contract::kStartText) + "\ninitPlugin: true\n";
const std::string kFinished = "Deleting the plugin\n[log] " + std::string(contract::kFinishText) + "\n";

TEST(StandInHost, DefaultSessionRunsTheThreeCommandsWithSampleAnswers) {
  const ProcessResult result = run_host({});
  EXPECT_EQ(result.exit_status, 0);
  EXPECT_EQ(
      result.output,
      header("2.4.0") + kStarted +
          "Command \"GetFileName\", FileType \"Halvane functional project (*.fmr)\"\n"
          "[open-file dialog] Please select the source file\n"
          "    filter: Halvane functional project (*.fmr)\n"
          "    chosen: C:\\Data\\S01\\S01_run2.fmr\n"
          "execute: true\n"
          "  Filename = \"C:\\Data\\S01\\S01_run2.fmr\"\n"
          "  ErrorNr = 0\n"
          "Command \"GetTargetFileName\", FileType \"Halvane functional project (*.fmr)\"\n"
          "[open-file dialog] Please select the intra-session alignment target file for this source file\n"
          "    filter: Halvane functional project (*.fmr)\n"
          "    chosen: C:\\Data\\S01\\S01_run1.fmr\n"
          "execute: true\n"
          "  Filename = \"C:\\Data\\S01\\S01_run2.fmr\"\n"
          "  TargetFilename = \"C:\\Data\\S01\\S01_run1.fmr\"\n"
          "  ErrorNr = 0\n"
          "Command \"GetTextFileName\", FileType \"Halvane functional project (*.fmr)\"\n"
          "[open-file dialog] Please select the text file with source filenames\n"
          "    filter: Text file with source filenames (*.txt)\n"
          "    chosen: C:\\Data\\sources.txt\n"
          "execute: true\n"
          "  Filename = \"C:\\Data\\sources.txt\"\n"
          "  TargetFilename = \"C:\\Data\\S01\\S01_run1.fmr\"\n"
          "  ErrorNr = 0\n" +
          kFinished);
}

TEST(StandInHost, AnOlderHostIsRefusedWithAMessageBoxAndStillLogsTheEnd) {
  const ProcessResult result = run_host({"--version", "2.2.9"});
  EXPECT_EQ(result.exit_status, 3);
  EXPECT_EQ(result.output, header("2.2.9") + "[message box] " + contract::kRefusalText +
                               "\ninitPlugin: false (the plugin is not run)\n" + kFinished);
}

TEST(StandInHost, ScriptedCancelsAndDialogResultsReportNoFile) {
  const ProcessResult result =
      run_host({"--version", "2.3.0", "--filetype", "Any (*.*)", "--command", "GetFileName", "--cancel",
                "--command", "GetTextFileName", "--dialog-result", "2"});
  EXPECT_EQ(result.exit_status, 0);
  EXPECT_EQ(result.output, header("2.3.0") + kStarted +
                               "Command \"GetFileName\", FileType \"Any (*.*)\"\n"
                               "[open-file dialog] Please select the source file\n"
                               "    filter: Any (*.*)\n"
                               "    no file chosen (dialog result 0)\n"
                               "execute: true\n"
                               "  ErrorMsg = \"No file selected\"\n"
                               "  ErrorNr = -1\n"
                               "Command \"GetTextFileName\", FileType \"Any (*.*)\"\n"
                               "[open-file dialog] Please select the text file with source filenames\n"
                               "    filter: Text file with source filenames (*.txt)\n"
                               "    no file chosen (dialog result 2)\n"
                               "execute: true\n"
                               "  ErrorMsg = \"No file selected\"\n"
                               "  ErrorNr = -1\n" +
                               kFinished);
}

TEST(StandInHost, ADialogWithoutAScriptedAnswerAndNoTerminalIsCancelled) {
  const ProcessResult result = run_host({"--command", "GetTargetFileName"});
  EXPECT_EQ(result.exit_status, 0);
  EXPECT_NE(result.output.find("    no file chosen (dialog result 0)\nexecute: true\n"
                               "  ErrorMsg = \"No file selected\"\n  ErrorNr = -1\n"),
            std::string::npos)
      << result.output;
}

TEST(StandInHost, AnUnknownCommandChangesNoAnswer) {
  const ProcessResult result = run_host({"--command", "getfilename", "--answer", "never.fmr"});
  EXPECT_EQ(result.exit_status, 0);
  EXPECT_EQ(result.output, header("2.4.0") + kStarted +
                               "Command \"getfilename\", FileType \"\"\nexecute: true\n" + kFinished);
}

TEST(StandInHost, BadUsageAndMissingModulesFailWithTheirOwnStatus) {
  const ProcessResult unknown = run_host({"--frobnicate"});
  EXPECT_EQ(unknown.exit_status, 2);
  EXPECT_EQ(unknown.output, "");
  EXPECT_EQ(run_host({"--version", "2.x"}).exit_status, 2);
  EXPECT_EQ(run_host({"--module"}).exit_status, 2);
  // Validation plays no session, and a session runs no check: an option of the other mode is refused.
  for (const char* session_option : {"--version", "--command", "--filetype", "--answer", "--dialog-result"}) {
    EXPECT_EQ(run_host({"--check", session_option, "2"}).exit_status, 2) << session_option;
  }
  EXPECT_EQ(run_host({"--check", "--cancel"}).exit_status, 2);
  EXPECT_EQ(run_host({"--cycles", "5"}).exit_status, 2);
  EXPECT_EQ(run_host({"--check", "--loads", "0"}).exit_status, 2);

  const ProcessResult missing = run_host({"--module", "no-such-module-here"});
  EXPECT_EQ(missing.exit_status, 1);
  EXPECT_EQ(missing.output.rfind(
                "Halvane stand-in host 2.4.0\nCannot load the plugin module no-such-module-here: ", 0),
            0u)
      << missing.output;

  const ProcessResult help = run_host({"--help"});
  EXPECT_EQ(help.exit_status, 0);
  EXPECT_EQ(help.output.rfind("Usage: Halvane.exe [options]\n", 0), 0u) << help.output;
}

// A program that does not exist is a lasting failure: told at once, and on Windows with the system's
// error code rather than after the retries meant for a moment's shortage.
TEST(StandInHost, AProgramThatCannotBeStartedIsToldSo) {
  using halvane_host::process::Result;
  const std::string missing = halvane_host::loader::executable_directory() + "no-such-program.exe";
  const Result ran = halvane_host::process::run(missing, {});
#ifdef _WIN32
  EXPECT_EQ(ran.ending, Result::Ending::not_started);
  EXPECT_EQ(halvane_host::process::describe_ending(ran),
            "the process could not be started (Windows error 2)");
#else
  EXPECT_EQ(halvane_host::process::describe_ending(ran), "exit status 127");
#endif
}

}  // namespace
