#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "tools/command_line.h"
#include "tools/command_table.h"
#include "zipbuilder/headless_toolkit.h"
#include "zipbuilder/message_table.h"

namespace tools {
namespace {

class CommandLineTest : public testing::Test {
 protected:
  ExitCode Run(std::vector<std::string> arguments) {
    return RunCommandLine(arguments, out, err, toolkit);
  }
  std::ostringstream out;
  std::ostringstream err;
  zipbuilder::HeadlessToolkit toolkit;
};

TEST_F(CommandLineTest, HelpListsEverySubcommandOnStandardOutput) {
  EXPECT_EQ(Run({"--help"}), ExitCode::Success);
  for (const char* name : {"list", "extract", "test", "add", "delete", "rename", "copy", "comment", "sfx", "unsfx",
                           "join"}) {
    EXPECT_NE(out.str().find(std::string("\n  ") + name + ' '), std::string::npos) << name;
  }
  EXPECT_EQ(err.str(), "");
}

TEST_F(CommandLineTest, UsageErrorsAnswerTwo) {
  EXPECT_EQ(Run({}), ExitCode::UsageError);
  EXPECT_NE(err.str().find("usage: zipbuilder"), std::string::npos);

  err.str("");
  EXPECT_EQ(Run({"frobnicate", "a.zip"}), ExitCode::UsageError);
  EXPECT_EQ(err.str(), "zipbuilder: unknown command 'frobnicate'; see 'zipbuilder --help'\n");
  EXPECT_EQ(out.str(), "");
}

TEST_F(CommandLineTest, SubcommandHelpWorksEvenBeforeTheSubcommandExists) {
  EXPECT_EQ(Run({"sfx", "--help"}), ExitCode::Success);
  EXPECT_EQ(out.str().rfind("usage: zipbuilder sfx ARCHIVE", 0), 0u);
}

TEST_F(CommandLineTest, SubcommandWithoutHandlerFailsAsAnOperation) {
  for (const CommandDescription& command : Commands()) {
    if (command.Handler != nullptr) {
      continue;
    }
    err.str("");
    EXPECT_EQ(Run({std::string(command.Name), "archive.zip"}), ExitCode::OperationFailed) << command.Name;
    EXPECT_EQ(err.str(), "zipbuilder: " + std::string(command.Name) + " is not available yet\n");
  }
}

TEST(ExitCodeMapping, FailureLineCarriesTextAndNumber) {
  std::ostringstream err;
  EXPECT_EQ(FailWithMessage(err, 11001, "Input file does not exist"), ExitCode::OperationFailed);
  EXPECT_EQ(err.str(), "zipbuilder: Input file does not exist (11001)\n");
}

TEST(ExitCodeMapping, LineBreaksOfTheTextAreFolded) {
  std::ostringstream err;
  static_cast<void>(FailWithMessage(err, 10202, "Unknown error in List() function\n\ndisk on fire\n"));
  EXPECT_EQ(err.str(), "zipbuilder: Unknown error in List() function disk on fire (10202)\n");
}

TEST(ExitCodeMapping, LastReportOfTheComponentIsTheFailure) {
  zipbuilder::HeadlessToolkit toolkit;
  std::ostringstream out;
  std::ostringstream err;
  CommandContext context{{}, out, err, toolkit};
  auto component = NewComponent(context);
  EXPECT_TRUE(component->Unattended());

  component->ReportMessage(zipbuilder::message_id::ZipFileNotOpened);
  EXPECT_EQ(FailWithLastReport(err, *component), ExitCode::OperationFailed);
  EXPECT_EQ(err.str(), "zipbuilder: Zip file could not be opened (11002)\n");
  EXPECT_TRUE(toolkit.MessageBoxesShown().empty());
}

TEST(ExitCodeMapping, UsageFailureShowsTheSubcommandsUsage) {
  zipbuilder::HeadlessToolkit toolkit;
  std::ostringstream out;
  std::ostringstream err;
  CommandContext context{{}, out, err, toolkit};
  EXPECT_EQ(FailWithUsage(context, "list", "missing ARCHIVE"), ExitCode::UsageError);
  EXPECT_EQ(err.str(),
            "zipbuilder: missing ARCHIVE\n"
            "usage: zipbuilder list [--json] [--dirs] ARCHIVE\n"
            "  show the entries of an archive\n");
}

}  // namespace
}  // namespace tools
