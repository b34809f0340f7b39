// The wizard's command handler seen from a full host: each command's dialog and answer, cancelled
// and other dialog results, commands that match nothing, and parameter texts far longer than usual.
#include <string>

#include "plugin_fixture.h"

using halvane_host::calls;
using halvane_host::int_parameter;
using halvane_host::script_dialog;
using halvane_host::set_string_parameter;
using halvane_host::string_parameter;
using ::testing::ElementsAre;

namespace {

constexpr const char kReadCommand[] = "hvGetStringParameter(\"Command\")";
constexpr const char kReadFileType[] = "hvGetStringParameter(\"FileType\")";

class CommandTest : public PluginHostTest {
 protected:
  void SetUp() override {
    PluginHostTest::SetUp();
    plugin_ = create_plugin();
    ASSERT_TRUE(plugin_->initPlugin());
  }
  void TearDown() override {
    plugin_.reset();
    PluginHostTest::TearDown();
  }

  // Stores the command as the GUI script does, runs it, and returns the host calls it made.
  std::vector<std::string> run(const std::string& command, const std::string& file_type = "") {
    set_string_parameter("Command", command);
    set_string_parameter("FileType", file_type);
    mark();
    EXPECT_TRUE(plugin_->execute());
    return calls_since_mark();
  }

  std::unique_ptr<HalvanePluginInterface> plugin_;
};

TEST_F(CommandTest, GetFileNameShowsTheScriptsFilterAndAnswersInFilename) {
  script_dialog({halvane_host::kDialogChose, "C:\\Data\\run1.fmr"});
  EXPECT_THAT(run("GetFileName", "Halvane functional project (*.fmr)"),
              ElementsAre(kReadCommand, kReadFileType,
                          "hvGetOpenFileName(\"Please select the source file\", \"\", "
                          "\"Halvane functional project (*.fmr)\")",
                          "hvSetStringParameter(\"Filename\", \"C:\\Data\\run1.fmr\")",
                          "hvSetIntParameter(\"ErrorNr\", 0)"));
}

TEST_F(CommandTest, GetTargetFileNameIgnoresFileTypeAndAnswersInTargetFilename) {
  script_dialog({halvane_host::kDialogChose, "/data/target.fmr"});
  EXPECT_THAT(run("GetTargetFileName", "Anything (*.vmr)"),
              ElementsAre(kReadCommand, kReadFileType,
                          "hvGetOpenFileName(\"Please select the intra-session alignment target file for "
                          "this source file\", \"\", \"Halvane functional project (*.fmr)\")",
                          "hvSetStringParameter(\"TargetFilename\", \"/data/target.fmr\")",
                          "hvSetIntParameter(\"ErrorNr\", 0)"));
  EXPECT_FALSE(string_parameter("Filename").has_value());
}

TEST_F(CommandTest, GetTextFileNameAnswersInFilename) {
  script_dialog({halvane_host::kDialogChose, "list.txt"});
  EXPECT_THAT(
      run("GetTextFileName", "ignored"),
      ElementsAre(kReadCommand, kReadFileType,
                  "hvGetOpenFileName(\"Please select the text file with source filenames\", \"\", "
                  "\"Text file with source filenames (*.txt)\")",
                  "hvSetStringParameter(\"Filename\", \"list.txt\")", "hvSetIntParameter(\"ErrorNr\", 0)"));
}

TEST_F(CommandTest, CancelReportsNoFileAndKeepsThePreviousChoice) {
  script_dialog({halvane_host::kDialogChose, "first.fmr"});
  run("GetFileName");
  script_dialog({halvane_host::kDialogCancelled, ""});
  const auto cancelled = run("GetFileName");
  ASSERT_EQ(cancelled.size(), 5u);
  EXPECT_EQ(cancelled[3], "hvSetIntParameter(\"ErrorNr\", -1)");
  EXPECT_EQ(cancelled[4], "hvSetStringParameter(\"ErrorMsg\", \"No file selected\")");
  EXPECT_EQ(string_parameter("Filename"), "first.fmr");
  EXPECT_EQ(int_parameter("ErrorNr"), -1);
}

TEST_F(CommandTest, AnyDialogResultOtherThanOneMeansNoFile) {
  for (int result : {0, 2, -1, 1000}) {
    script_dialog({result, "never-used.fmr"});
    const auto answer = run("GetTargetFileName");
    ASSERT_EQ(answer.size(), 5u) << result;
    EXPECT_EQ(answer[3], "hvSetIntParameter(\"ErrorNr\", -1)") << result;
    EXPECT_EQ(answer[4], "hvSetStringParameter(\"ErrorMsg\", \"No file selected\")") << result;
  }
  EXPECT_FALSE(string_parameter("TargetFilename").has_value());
}

TEST_F(CommandTest, ASuccessAfterACancelLeavesTheOldErrorMessage) {
  script_dialog({halvane_host::kDialogCancelled, ""});
  run("GetTextFileName");
  script_dialog({halvane_host::kDialogChose, "now.txt"});
  run("GetTextFileName");
  EXPECT_EQ(int_parameter("ErrorNr"), 0);
  EXPECT_EQ(string_parameter("ErrorMsg"), "No file selected");
  EXPECT_EQ(string_parameter("Filename"), "now.txt");
}

TEST_F(CommandTest, CommandsThatMatchNothingOnlyReadTheParameters) {
  for (const char* command : {"getfilename", "GETFILENAME", "GetFileName ", " GetFileName", "GetFileName\t",
                              "GetFile", "GetFileNames", "", "GetTargetFilename", "gettextfilename"}) {
    EXPECT_THAT(run(command), ElementsAre(kReadCommand, kReadFileType)) << '"' << command << '"';
  }
  EXPECT_FALSE(string_parameter("Filename").has_value());
  EXPECT_FALSE(int_parameter("ErrorNr").has_value());
}

TEST_F(CommandTest, AnExecuteWithoutAnyParameterSetDoesNothing) {
  mark();
  EXPECT_TRUE(plugin_->execute());
  EXPECT_THAT(calls_since_mark(), ElementsAre(kReadCommand, kReadFileType));
}

TEST_F(CommandTest, AThousandCharacterFilterReachesTheDialogWhole) {
  std::string filter = "Many projects (";
  while (filter.size() < 999) filter += "*.fmr;";
  filter.resize(999);
  filter += ")";
  ASSERT_EQ(filter.size(), 1000u);
  script_dialog({halvane_host::kDialogChose, "x.fmr"});
  const auto answer = run("GetFileName", filter);
  ASSERT_GE(answer.size(), 3u);
  EXPECT_EQ(answer[2], "hvGetOpenFileName(\"Please select the source file\", \"\", \"" + filter + "\")");
}

TEST_F(CommandTest, LongCommandsAreHarmlessAndMatchNothing) {
  for (std::size_t length : {112u, 3000u, 4095u}) {
    std::string command = "GetFileName";
    command.resize(length, 'x');
    EXPECT_THAT(run(command, std::string(4095, 'f')), ElementsAre(kReadCommand, kReadFileType)) << length;
  }
}

TEST_F(CommandTest, AFileNameOfTheFullBufferIsPassedOnWhole) {
  const std::string name = "C:\\" + std::string(252, 'n');
  ASSERT_EQ(name.size(), 255u);
  script_dialog({halvane_host::kDialogChose, name});
  run("GetFileName");
  EXPECT_EQ(string_parameter("Filename"), name);
}

}  // namespace
