// The safe save underneath every archive the engine writes: nothing reaches the
// archive's name before Commit, and a failed or cancelled write leaves the old
// archive byte for byte and no temporary file.
#include <gtest/gtest.h>

#include <array>

#include "engines/shared/crc32.h"
#include "engines/zip/archive_output.h"
#include "engines/zip/central_directory.h"
#include "platform/file_faults.h"
#include "tests/engines/unzip/engine_harness.h"
#include "tests/engines/zip/archive_inspection.h"
#include "tests/engines/zip/test_tree.h"
#include "zipformat/records.h"

namespace engines::zip::testing {
namespace {

namespace zf = zipformat;

constexpr std::string_view OldContent = "the old archive, whatever it holds";

class ArchiveOutputTest : public ::testing::Test {
 protected:
  void SetUp() override { MakeFile(Target(), std::string(OldContent)); }
  void TearDown() override { platform::file_faults::Clear(); }

  [[nodiscard]] std::string Target() const { return (scratch_ / "target.zip").string(); }

  // One stored entry of `content` and the directory, as the engine frames entries.
  static void WriteOneEntryArchive(ArchiveOutput& output, const std::string& content) {
    const auto bytes = std::as_bytes(std::span(content.data(), content.size()));
    zf::LocalHeader local;
    local.versionNeeded = 20;
    local.crc32 = shared::UpdateCrc32(0, bytes);
    local.compressedSize = static_cast<std::uint32_t>(content.size());
    local.uncompressedSize = local.compressedSize;
    local.nameLength = 9;
    CentralEntry central;
    central.header.versionNeeded = 20;
    central.header.crc32 = local.crc32;
    central.header.compressedSize = local.compressedSize;
    central.header.uncompressedSize = local.uncompressedSize;
    central.header.localHeaderOffset = static_cast<std::uint32_t>(output.Position());
    central.name = "entry.txt";
    WriteLocalHeader(output, local, central.name);
    output.Write(bytes);
    static_cast<void>(WriteCentralDirectory(output, {central}, "comment"));
  }

  [[nodiscard]] std::vector<std::string> FolderContent() const { return unzip::testing::ListFiles(scratch_.Path()); }

  unzip::testing::ScratchFolder scratch_;
};

TEST_F(ArchiveOutputTest, CommitReplacesTheTargetWithACompleteArchive) {
  std::optional<ArchiveOutput> output = ArchiveOutput::Create(Target(), {});
  ASSERT_TRUE(output);
  WriteOneEntryArchive(*output, "new content");
  EXPECT_EQ(ReadFile(Target()), OldContent) << "nothing reaches the target before Commit";
  ASSERT_TRUE(output->Commit(OldArchive::Replace, std::nullopt));
  const InspectedArchive archive = Inspect(Target());
  EXPECT_TRUE(archive.problems.empty()) << ::testing::PrintToString(archive.problems);
  EXPECT_EQ(archive.Names(), std::vector<std::string>{"entry.txt"});
  EXPECT_EQ(archive.comment, "comment");
  EXPECT_EQ(ExtractWithUnzipEngine(Target()), (std::map<std::string, std::string>{{"entry.txt", "new content"}}));
  EXPECT_EQ(FolderContent(), std::vector<std::string>{"target.zip"});
}

TEST_F(ArchiveOutputTest, CancelAndDestructionLeaveTheTargetAndNoTemporaryFile) {
  {
    std::optional<ArchiveOutput> output = ArchiveOutput::Create(Target(), {});
    ASSERT_TRUE(output);
    WriteOneEntryArchive(*output, "never committed");
    output->Cancel();
    EXPECT_FALSE(output->Commit(OldArchive::Replace, std::nullopt)) << "a cancelled output cannot commit";
  }
  {
    std::optional<ArchiveOutput> output = ArchiveOutput::Create(Target(), {});
    ASSERT_TRUE(output);
    WriteOneEntryArchive(*output, "dropped");
  }
  EXPECT_EQ(ReadFile(Target()), OldContent);
  EXPECT_EQ(FolderContent(), std::vector<std::string>{"target.zip"});
}

// Three megabytes pass the one-megabyte buffer several times, so every failing
// write lands on a different flush, the last one in Commit itself.
TEST_F(ArchiveOutputTest, AFailedWriteIsStickyAndCommitLeavesTheTargetAlone) {
  const std::string content = TextOfSize(3 * 1024 * 1024);
  for (std::uint32_t successfulWrites = 0; successfulWrites < 4; ++successfulWrites) {
    std::optional<ArchiveOutput> output = ArchiveOutput::Create(Target(), {});
    ASSERT_TRUE(output);
    platform::file_faults::Fail(platform::file_faults::Operation::Write, successfulWrites + 1,
                                platform::file_faults::Persistence::FromThenOn);
    WriteOneEntryArchive(*output, content);
    EXPECT_FALSE(output->Commit(OldArchive::Replace, std::nullopt)) << successfulWrites;
    EXPECT_EQ(output->Error(), platform::win32_error::DiskFull);
    platform::file_faults::Clear();
    EXPECT_EQ(ReadFile(Target()), OldContent) << successfulWrites;
    EXPECT_EQ(FolderContent(), std::vector<std::string>{"target.zip"}) << successfulWrites;
  }
}

TEST_F(ArchiveOutputTest, OverwriteAndCutBackChangeWhatWasWritten) {
  std::optional<ArchiveOutput> output = ArchiveOutput::Create(Target(), {});
  ASSERT_TRUE(output);
  const std::string first = "0123456789";
  output->Write(std::as_bytes(std::span(first.data(), first.size())));
  output->Write(std::as_bytes(std::span(first.data(), first.size())));
  const std::array<std::byte, 2> patch{std::byte{'A'}, std::byte{'B'}};
  output->Overwrite(3, patch);
  output->CutBackTo(12);
  EXPECT_EQ(output->Position(), 12);
  output->Write(patch);
  ASSERT_TRUE(output->Commit(OldArchive::Replace, std::nullopt));
  EXPECT_EQ(ReadFile(Target()), "012AB5678901AB");
}

TEST_F(ArchiveOutputTest, TheTemporaryFileLivesInTheTemporaryFolderWhenOneIsGiven) {
  const std::filesystem::path temporary = scratch_ / "temporary";
  std::filesystem::create_directories(temporary);
  std::optional<ArchiveOutput> output = ArchiveOutput::Create(Target(), temporary.string());
  ASSERT_TRUE(output);
  EXPECT_EQ(std::filesystem::path(output->TemporaryPath()).parent_path(), temporary);
  WriteOneEntryArchive(*output, "moved into place");
  ASSERT_TRUE(output->Commit(OldArchive::Replace, std::nullopt));
  EXPECT_TRUE(std::filesystem::is_empty(temporary));
  EXPECT_EQ(Inspect(Target()).Names(), std::vector<std::string>{"entry.txt"});
}

// The report of a failed commit says where the archives are.
TEST_F(ArchiveOutputTest, AFailedCommitDescribesWhatItLeft) {
  namespace faults = platform::file_faults;
  {
    std::optional<ArchiveOutput> output = ArchiveOutput::Create(Target(), {});
    ASSERT_TRUE(output);
    WriteOneEntryArchive(*output, "new content");
    faults::Fail(faults::Operation::Move, 1, faults::Persistence::Once, platform::win32_error::AccessDenied);
    EXPECT_FALSE(output->Commit(OldArchive::ToRecycleBin, std::nullopt));
    EXPECT_EQ(output->Error(), platform::win32_error::AccessDenied);
    EXPECT_TRUE(output->CommitFailureText().ends_with("; it is left as it was")) << output->CommitFailureText();
    EXPECT_EQ(ReadFile(Target()), OldContent);
    EXPECT_EQ(FolderContent(), std::vector<std::string>{"target.zip"});
  }
  // The old archive reaches neither the recycle bin nor its name again.
  faults::Fail(faults::Operation::Recycle, 1, faults::Persistence::Once, platform::win32_error::AccessDenied);
  faults::Fail(faults::Operation::Move, 2, faults::Persistence::Once, platform::win32_error::AccessDenied);
  std::optional<ArchiveOutput> output = ArchiveOutput::Create(Target(), {});
  ASSERT_TRUE(output);
  WriteOneEntryArchive(*output, "new content");
  EXPECT_FALSE(output->Commit(OldArchive::ToRecycleBin, std::nullopt));
  const std::string kept = (scratch_ / "target (old).zip").string();
  EXPECT_TRUE(output->CommitFailureText().ends_with(
      "; the new archive is in place; the old one could not go to the recycle bin and is kept as " + kept))
      << output->CommitFailureText();
  EXPECT_EQ(ReadFile(kept), OldContent);
  EXPECT_EQ(Inspect(Target()).Names(), std::vector<std::string>{"entry.txt"});
}

}  // namespace
}  // namespace engines::zip::testing
