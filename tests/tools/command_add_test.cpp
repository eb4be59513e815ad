// The add and delete commands in-process: their command lines, and a round trip
// through the component and the real engines beside the test program. The
// Python suite add_commands_test.py checks what they write with other readers.
#include "tools/command_add.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/temp_and_environment.h"
#include "tests/tools/command_line_fixture.h"

namespace tools {
namespace {

using AddCommandLine = CommandLineFixture;

TEST_F(AddCommandLine, MisunderstoodArgumentsAreUsageErrorsWithTheCommandsUsage) {
  EXPECT_EQ(Run({"add"}), ExitCode::UsageError);
  EXPECT_TRUE(ErrorStartsWith("zipbuilder: missing ARCHIVE\nusage: zipbuilder add ARCHIVE [-r]")) << err.str();
  EXPECT_EQ(Run({"add", "a.zip"}), ExitCode::UsageError);
  EXPECT_TRUE(ErrorStartsWith("zipbuilder: missing FILESPEC\n")) << err.str();
  for (const std::string option : {"-P", "-x", "--root", "--name"}) {
    EXPECT_EQ(Run({"add", "a.zip", "file", option}), ExitCode::UsageError) << option;
    EXPECT_TRUE(ErrorStartsWith("zipbuilder: " + option + " needs a value\n")) << err.str();
  }
  EXPECT_EQ(Run({"add", "a.zip", "-f", "-u", "file"}), ExitCode::UsageError);
  EXPECT_TRUE(ErrorStartsWith("zipbuilder: -f and -u exclude each other\n")) << err.str();
  EXPECT_EQ(Run({"add", "a.zip", "-P", "", "file"}), ExitCode::UsageError);
  EXPECT_EQ(Run({"add", "a.zip", "-", "file"}), ExitCode::UsageError);
  EXPECT_TRUE(ErrorStartsWith("zipbuilder: - (standard input) must be the only FILESPEC\n")) << err.str();
  EXPECT_EQ(Run({"add", "a.zip", "-10", "file"}), ExitCode::UsageError);
  EXPECT_TRUE(ErrorStartsWith("zipbuilder: unknown option '-10'\n")) << err.str();

  EXPECT_EQ(Run({"delete", "a.zip"}), ExitCode::UsageError);
  EXPECT_TRUE(ErrorStartsWith("zipbuilder: missing SPEC\nusage: zipbuilder delete ARCHIVE SPEC...")) << err.str();
  EXPECT_EQ(Run({"delete", "a.zip", "-r", "x"}), ExitCode::UsageError);
  EXPECT_EQ(out.str(), "");
}

TEST_F(AddCommandLine, AddThenDeleteThenList) {
  const std::string folder = platform::GetTempPath() + "zipbuilder-add-command-test";
  ASSERT_TRUE(platform::CreateDirectory(folder) || platform::GetFileAttributes(folder) != platform::InvalidFileAttributes);
  const std::string archive = folder + "/out.zip";
  static_cast<void>(platform::DeleteFile(archive));
  for (const std::string name : {"one.txt", "two.txt"}) {
    std::ofstream(folder + "/" + name) << "content of " << name;
  }

  EXPECT_EQ(Run({"add", archive, "-9", "--root", folder, "one.txt", "two.txt"}), ExitCode::Success) << err.str();
  EXPECT_EQ(lastOut, "2 files added to " + archive + "\n");
  EXPECT_EQ(Run({"delete", archive, "one.txt"}), ExitCode::Success) << err.str();
  EXPECT_EQ(lastOut, "1 entry deleted from " + archive + "\n");
  EXPECT_EQ(Run({"delete", archive, "one.txt"}), ExitCode::OperationFailed);
  EXPECT_TRUE(ErrorStartsWith("zipbuilder: ")) << err.str();
  EXPECT_EQ(Run({"list", "--json", archive}), ExitCode::Success) << err.str();
  EXPECT_NE(lastOut.find("two.txt"), std::string::npos) << lastOut;
  EXPECT_EQ(lastOut.find("one.txt"), std::string::npos) << lastOut;

  for (const std::string name : {"one.txt", "two.txt", "out.zip"}) {
    static_cast<void>(platform::DeleteFile(folder + "/" + name));
  }
  static_cast<void>(platform::RemoveDirectory(folder));
}

}  // namespace
}  // namespace tools
