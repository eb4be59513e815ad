// The comment command in-process, on an archive that is only its end record and
// comment, written byte by byte, so that these run on every build.
// archive_commands_test.py runs the built tool on archives of real archivers.
#include "tools/command_comment.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "platform/file_faults.h"
#include "platform/files.h"
#include "platform/temp_and_environment.h"
#include "zipbuilder/headless_toolkit.h"

namespace tools {
namespace {

// An archive without entries: the 22-byte end record, then the comment.
std::string EmptyArchiveWithComment(std::string_view comment) {
  std::string bytes("PK\x05\x06", 4);
  bytes.append(16, '\0');
  bytes += static_cast<char>(comment.size() & 0xFF);
  bytes += static_cast<char>(comment.size() >> 8);
  bytes += comment;
  return bytes;
}

class CommentCommand : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(platform::GetTempFileName(platform::GetTempPath(), "cct", 0, archive), 0u);
  }
  void TearDown() override { static_cast<void>(platform::DeleteFile(archive)); }

  void WriteArchive(const std::string& bytes) {
    const platform::FileHandle file = platform::CreateFile(archive, platform::FileAccess::Write,
                                                           platform::FileShare::None,
                                                           platform::FileCreation::CreateAlways);
    ASSERT_NE(file, platform::InvalidFileHandle);
    std::uint32_t written = 0;
    EXPECT_TRUE(platform::WriteFile(file, bytes.data(), static_cast<std::uint32_t>(bytes.size()), written));
    platform::CloseHandle(file);
  }

  std::string ReadArchive() {
    const platform::FileHandle file = platform::CreateFile(archive, platform::FileAccess::Read,
                                                           platform::FileShare::Read,
                                                           platform::FileCreation::OpenExisting);
    std::vector<char> buffer(70000);
    std::uint32_t read = 0;
    EXPECT_TRUE(platform::ReadFile(file, buffer.data(), static_cast<std::uint32_t>(buffer.size()), read));
    platform::CloseHandle(file);
    return std::string(buffer.data(), read);
  }

  ExitCode Run(std::vector<std::string> arguments) {
    out.str("");
    err.str("");
    return RunCommandLine(arguments, out, err, toolkit);
  }

  std::string archive;
  std::ostringstream out;
  std::ostringstream err;
  zipbuilder::HeadlessToolkit toolkit;
};

TEST_F(CommentCommand, ShowsTheStoredComment) {
  WriteArchive(EmptyArchiveWithComment("release 2.1\nsecond line"));
  EXPECT_EQ(Run({"comment", archive}), ExitCode::Success) << err.str();
  EXPECT_EQ(out.str(), "release 2.1\nsecond line\n");
  EXPECT_EQ(err.str(), "");
}

TEST_F(CommentCommand, ShowsNothingWithoutAComment) {
  WriteArchive(EmptyArchiveWithComment(""));
  EXPECT_EQ(Run({"comment", archive}), ExitCode::Success) << err.str();
  EXPECT_EQ(out.str(), "");
}

TEST_F(CommentCommand, SetRewritesTheEndRecordAndCutsTheOldComment) {
  WriteArchive(EmptyArchiveWithComment("a much longer comment than the next one"));
  EXPECT_EQ(Run({"comment", archive, "--set", "short"}), ExitCode::Success) << err.str();
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(ReadArchive(), EmptyArchiveWithComment("short"));

  EXPECT_EQ(Run({"comment", "--set", "", archive}), ExitCode::Success) << err.str();
  EXPECT_EQ(ReadArchive(), EmptyArchiveWithComment(""));
}

// The writer reports the failed write, and the archive is as it was. The archive
// holds no entries, so the end record is the first write and the comment the second.
TEST_F(CommentCommand, FailedWritesOfTheEndRecordOrTheCommentFail) {
  struct Fault {
    std::uint32_t SuccessfulWrites;
    std::string_view FirstLine;
  };
  for (const Fault fault : {Fault{0, "Error while writing the End Of Central Directory (11030)"},
                            Fault{1, "Write error in output file (11010)"}}) {
    WriteArchive(EmptyArchiveWithComment("kept"));
    platform::file_faults::Fail(platform::file_faults::Operation::Write, fault.SuccessfulWrites + 1,
                                platform::file_faults::Persistence::FromThenOn);
    const ExitCode result = Run({"comment", archive, "--set", "longer"});
    platform::file_faults::Clear();
    EXPECT_EQ(result, ExitCode::OperationFailed) << fault.SuccessfulWrites;
    EXPECT_EQ(err.str().rfind("zipbuilder: " + std::string(fault.FirstLine), 0), 0u) << err.str();
    EXPECT_EQ(ReadArchive(), EmptyArchiveWithComment("kept"));
  }
}

TEST_F(CommentCommand, ArchiveThatIsNoneFailsAndStaysUntouched) {
  const std::string noise = "not an archive at all";
  WriteArchive(noise);
  EXPECT_EQ(Run({"comment", archive, "--set", "x"}), ExitCode::OperationFailed);
  EXPECT_EQ(err.str(), "zipbuilder: This archive is not a valid Zip archive (11036)\n");
  EXPECT_EQ(ReadArchive(), noise);
}

TEST_F(CommentCommand, MissingArchiveFailsWithInputFileMissing) {
  ASSERT_TRUE(platform::DeleteFile(archive));
  EXPECT_EQ(Run({"comment", archive, "--set", "x"}), ExitCode::OperationFailed);
  EXPECT_EQ(err.str(), "zipbuilder: Input file does not exist (11001)\n");
  EXPECT_EQ(platform::GetFileAttributes(archive), platform::InvalidFileAttributes) << "no archive was created";
}

TEST_F(CommentCommand, MisunderstoodArgumentsAreUsageErrors) {
  WriteArchive(EmptyArchiveWithComment("kept"));
  EXPECT_EQ(Run({"comment"}), ExitCode::UsageError);
  EXPECT_EQ(err.str().rfind("zipbuilder: missing ARCHIVE\nusage: zipbuilder comment ARCHIVE [--set TEXT]\n", 0), 0u)
      << err.str();
  EXPECT_EQ(Run({"comment", archive, "--set"}), ExitCode::UsageError);
  EXPECT_EQ(Run({"comment", archive, "--sett", "x"}), ExitCode::UsageError);
  EXPECT_EQ(Run({"comment", archive, archive}), ExitCode::UsageError);
  EXPECT_EQ(Run({"comment", archive, "--set", std::string(65536, 'x')}), ExitCode::UsageError);
  EXPECT_EQ(err.str().rfind("zipbuilder: the comment is longer than 65535 bytes\n", 0), 0u) << err.str();
  EXPECT_EQ(ReadArchive(), EmptyArchiveWithComment("kept"));
}

}  // namespace
}  // namespace tools
