// The shared file routines and their result codes.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "platform/file_faults.h"
#include "platform/files.h"
#include "platform/temp_and_environment.h"
#include "tests/platform/test_machine.h"
#include "tests/zipbuilder/test_access.h"
#include "zipbuilder/headless_toolkit.h"

namespace zipbuilder {
namespace {

constexpr std::uint32_t OldDosDateTime = 0x2A214C00;  // 2001-01-01 09:32:00

std::string Pattern(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t index = 0; index < size; ++index) {
    bytes[index] = static_cast<char>((index * 7 + index / 251) & 0xFF);
  }
  return bytes;
}

std::string ReadWhole(const std::filesystem::path& file) {
  std::ifstream stream(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

class FileRoutinesTest : public testing::Test {
 protected:
  FileRoutinesTest() : component(toolkit) {}
  void TearDown() override { platform::file_faults::Clear(); }

  // Dates a file the way a copy must carry over.
  void SetDate(const std::string& path, std::uint32_t dosDateTime) {
    const platform::FileHandle file = platform::CreateFile(path, platform::FileAccess::ReadWrite,
                                                           platform::FileShare::None,
                                                           platform::FileCreation::OpenExisting);
    ASSERT_NE(file, platform::InvalidFileHandle);
    EXPECT_TRUE(platform::SetFileDosDateTime(file, dosDateTime));
    platform::CloseHandle(file);
  }

  [[nodiscard]] std::uint32_t DateOf(const std::string& path) {
    const platform::FileHandle file =
        platform::CreateFile(path, platform::FileAccess::Read, platform::FileShare::Read,
                             platform::FileCreation::OpenExisting);
    std::uint32_t dosDateTime = 0;
    EXPECT_TRUE(platform::GetFileDosDateTime(file, dosDateTime));
    platform::CloseHandle(file);
    return dosDateTime;
  }


  platform_test::ScratchFolder scratch;
  HeadlessToolkit toolkit;
  TZipBuilder component;
};

// ---------------------------------------------------------------------------
// CopyWholeFile

TEST_F(FileRoutinesTest, CopyWholeFileCopiesTheBytesAndTheDate) {
  scratch.WriteFile("source.bin", Pattern(20000));
  SetDate(scratch.PathOf("source.bin"), OldDosDateTime);

  EXPECT_EQ(component.CopyWholeFile(scratch.PathOf("source.bin"), scratch.PathOf("copy.bin")), copy_result::Success);

  EXPECT_EQ(scratch.ReadFile("copy.bin"), Pattern(20000));
  EXPECT_EQ(DateOf(scratch.PathOf("copy.bin")), OldDosDateTime);
  EXPECT_EQ(toolkit.CursorChanges(), (std::vector<CursorShape>{CursorShape::Hourglass, CursorShape::Default}));
}

TEST_F(FileRoutinesTest, CopyWholeFileReplacesAnExistingDestination) {
  component.SetHowToDelete(DeleteOpts::htdFinal);
  scratch.WriteFile("source.bin", "new contents");
  scratch.WriteFile("copy.bin", "a much longer old content that must not survive");

  EXPECT_EQ(component.CopyWholeFile(scratch.PathOf("source.bin"), scratch.PathOf("copy.bin")), copy_result::Success);
  EXPECT_EQ(scratch.ReadFile("copy.bin"), "new contents");
}

TEST_F(FileRoutinesTest, CopyWholeFileWithoutASourceAnswersSourceMissing) {
  EXPECT_EQ(component.CopyWholeFile(scratch.PathOf("absent.bin"), scratch.PathOf("copy.bin")),
            copy_result::SourceMissing);
  EXPECT_FALSE(scratch.Exists("copy.bin"));
  EXPECT_TRUE(toolkit.CursorChanges().empty());
}

TEST_F(FileRoutinesTest, CopyWholeFileIntoAMissingFolderAnswersDestinationNotCreated) {
  scratch.WriteFile("source.bin", "data");
  EXPECT_EQ(component.CopyWholeFile(scratch.PathOf("source.bin"), scratch.PathOf("no/such/folder/copy.bin")),
            copy_result::DestinationNotCreated);
  EXPECT_EQ(toolkit.CursorChanges().back(), CursorShape::Default);
}

TEST_F(FileRoutinesTest, CopyWholeFileThatCannotWriteAnswersWriteFailedAndLeavesNoCopy) {
  scratch.WriteFile("source.bin", Pattern(20000));
  platform::file_faults::Fail(platform::file_faults::Operation::Write, 2,
                              platform::file_faults::Persistence::FromThenOn);
  EXPECT_EQ(component.CopyWholeFile(scratch.PathOf("source.bin"), scratch.PathOf("copy.bin")),
            copy_result::WriteFailed);
  platform::file_faults::Clear();
  EXPECT_FALSE(scratch.Exists("copy.bin"));
}

TEST_F(FileRoutinesTest, CopyWholeFileSendsTheReplacedDestinationToTheRecycleBinUnderUndo) {
  const platform_test::TestMachine machine;
  const std::optional<std::string> trash = machine.TrashFolder();
  scratch.WriteFile("source.bin", "the copy");
  const std::string old = "the old destination of " + scratch.Path();
  scratch.WriteFile("copy.bin", old);

  EXPECT_EQ(component.CopyWholeFile(scratch.PathOf("source.bin"), scratch.PathOf("copy.bin")), copy_result::Success);

  EXPECT_EQ(scratch.ReadFile("copy.bin"), "the copy");
  EXPECT_EQ(scratch.FileNames(), (std::vector<std::string>{"copy.bin", "source.bin"}));
  if (!trash) {
    GTEST_SKIP() << "the recycle bin's folder is not known here";
  }
  // Named "copy (old).bin", unless the recycle bin held that name already.
  bool found = false;
  std::error_code ignored;
  for (const auto& kept : std::filesystem::directory_iterator(std::filesystem::path(*trash) / "files", ignored)) {
    found = found || (kept.path().filename().string().starts_with("copy (old).bin") && ReadWhole(kept.path()) == old);
  }
  EXPECT_TRUE(found) << "in " << *trash;
}

TEST_F(FileRoutinesTest, ACopyWhoseDateCannotBeSetIsKeptWithDateNotSet) {
  scratch.WriteFile("source.bin", "dated elsewhere");
  platform::file_faults::Fail(platform::file_faults::Operation::SetDate, 1,
                              platform::file_faults::Persistence::FromThenOn);
  EXPECT_EQ(component.CopyWholeFile(scratch.PathOf("source.bin"), scratch.PathOf("copy.bin")),
            copy_result::DateNotSet);
  platform::file_faults::Clear();
  EXPECT_EQ(scratch.ReadFile("copy.bin"), "dated elsewhere");
}

// Every operation of the fault table failing in turn: the destination holds the
// old file or the whole copy, as the result says, and nothing else is left.
TEST_F(FileRoutinesTest, EveryFailingFileOperationLeavesTheOldDestinationOrTheWholeCopy) {
  namespace faults = platform::file_faults;
  const platform_test::TestMachine machine;
  const std::string source = Pattern(20000);
  scratch.WriteFile("source.bin", source);
  for (const DeleteOpts howToDelete : {DeleteOpts::htdFinal, DeleteOpts::htdAllowUndo}) {
    component.SetHowToDelete(howToDelete);
    for (const faults::Operation operation : faults::AllOperations) {
      for (std::uint32_t callNumber = 1;; ++callNumber) {
        SCOPED_TRACE(std::string(faults::NameOf(operation)) + " call " + std::to_string(callNumber));
        for (const std::string& name : scratch.FileNames()) {
          if (name != "source.bin") {
            std::filesystem::remove(std::filesystem::path(scratch.Path()) / name);
          }
        }
        scratch.WriteFile("copy.bin", "old");
        faults::Fail(operation, callNumber, faults::Persistence::Once);
        const std::int32_t result = component.CopyWholeFile(scratch.PathOf("source.bin"), scratch.PathOf("copy.bin"));
        const bool fired = faults::Fired(operation);
        faults::Clear();
        const bool copied = result == copy_result::Success || result == copy_result::DateNotSet;
        EXPECT_TRUE(copied || result == copy_result::WriteFailed || result == copy_result::DestinationNotCreated)
            << result;
        const std::string destination = scratch.ReadFile("copy.bin").value_or("");
        EXPECT_TRUE(destination == source || destination == "old") << "a whole file, " << destination.size() << " bytes";
        // A folder that cannot be flushed after the move fails the copy with the
        // copy in place: its name might not survive a power loss.
        const bool mayBeInPlace = result == copy_result::WriteFailed && operation == faults::Operation::Flush;
        if (!mayBeInPlace) {
          EXPECT_EQ(destination == source, copied) << result;
        }
        if (operation != faults::Operation::Delete) {
          EXPECT_EQ(scratch.FileNames(), (std::vector<std::string>{"copy.bin", "source.bin"}));
        }
        if (!fired) {
          break;
        }
        ASSERT_LT(callNumber, 20u);
      }
    }
  }
}

// ---------------------------------------------------------------------------
// CopyFileBytes

struct ByteCopyCase {
  const char* Description;
  std::int64_t Count;
  std::vector<std::int32_t> Chunks;  // reported through OnProgress
};

void PrintTo(const ByteCopyCase& test, std::ostream* out) { *out << test.Description; }

class CopyFileBytesTest : public FileRoutinesTest, public testing::WithParamInterface<ByteCopyCase> {};

TEST_P(CopyFileBytesTest, CopiesInChunksOfAtMost8192Bytes) {
  const ByteCopyCase& test = GetParam();
  const std::string source = Pattern(20000);
  scratch.WriteFile("source.bin", source);
  TZipBuilderTestAccess::Rewrite(component).ReportCopyProgress = true;
  std::vector<std::int32_t> chunks;
  component.OnProgress = [&chunks](TZipBuilder&, ProgressType type, const std::string& name, std::int32_t size) {
    EXPECT_EQ(type, ProgressType::pgBytesDone);
    EXPECT_EQ(name, "");
    chunks.push_back(size);
  };
  const platform::FileHandle input = platform::CreateFile(
      scratch.PathOf("source.bin"), platform::FileAccess::Read, platform::FileShare::Read,
      platform::FileCreation::OpenExisting);
  const platform::FileHandle output = platform::CreateFile(
      scratch.PathOf("copy.bin"), platform::FileAccess::Write, platform::FileShare::None,
      platform::FileCreation::CreateAlways);
  ASSERT_NE(input, platform::InvalidFileHandle);
  ASSERT_NE(output, platform::InvalidFileHandle);
  // From the current position on.
  ASSERT_TRUE(platform::SetFilePointer(input, 100, platform::SeekOrigin::Begin, nullptr));

  EXPECT_EQ(TZipBuilderTestAccess::CopyFileBytes(component, input, output, test.Count), copy_result::Success);
  platform::CloseHandle(input);
  platform::CloseHandle(output);

  std::int64_t copied = 0;
  for (const std::int32_t chunk : test.Chunks) {
    copied += chunk;
  }
  EXPECT_EQ(chunks, test.Chunks) << test.Description;
  EXPECT_EQ(scratch.ReadFile("copy.bin"), source.substr(100, static_cast<std::size_t>(copied)));
  EXPECT_EQ(toolkit.PendingMessageCalls(), test.Chunks.size());
}

INSTANTIATE_TEST_SUITE_P(Counts, CopyFileBytesTest,
                         testing::Values(ByteCopyCase{"a part", 10000, {8192, 1808}},
                                         ByteCopyCase{"one whole chunk", 8192, {8192}},
                                         ByteCopyCase{"the rest", -1, {8192, 8192, 3516}},
                                         ByteCopyCase{"more than there is", 30000, {8192, 8192, 3516}},
                                         ByteCopyCase{"nothing", 0, {}}));

TEST_F(FileRoutinesTest, CopyFileBytesFailsWhenAWriteFallsShortOrAHandlerRaises) {
  scratch.WriteFile("source.bin", Pattern(20000));
  const auto copyOnce = [this] {
    const platform::FileHandle input = platform::CreateFile(
        scratch.PathOf("source.bin"), platform::FileAccess::Read, platform::FileShare::Read,
        platform::FileCreation::OpenExisting);
    const platform::FileHandle output = platform::CreateFile(
        scratch.PathOf("copy.bin"), platform::FileAccess::Write, platform::FileShare::None,
        platform::FileCreation::CreateAlways);
    const std::int32_t result = TZipBuilderTestAccess::CopyFileBytes(component, input, output, -1);
    platform::CloseHandle(input);
    platform::CloseHandle(output);
    return result;
  };

  platform::file_faults::Fail(platform::file_faults::Operation::Write, 2,
                              platform::file_faults::Persistence::FromThenOn);
  EXPECT_EQ(copyOnce(), copy_result::WriteFailed);
  platform::file_faults::Clear();

  TZipBuilderTestAccess::Rewrite(component).ReportCopyProgress = true;
  component.OnProgress = [](TZipBuilder&, ProgressType, const std::string&, std::int32_t) {
    throw std::runtime_error("stop");
  };
  EXPECT_EQ(copyOnce(), copy_result::WriteFailed);
}

// ---------------------------------------------------------------------------
// RemoveFileOrRecycle and NewTempFileName

TEST_F(FileRoutinesTest, RemoveFileOrRecycleAnswersMinusOneForNoFile) {
  EXPECT_EQ(TZipBuilderTestAccess::RemoveFileOrRecycle(component, scratch.PathOf("absent"), DeleteOpts::htdFinal),
            RemoveFileMissing);
  scratch.MakeFolder("folder");
  EXPECT_EQ(TZipBuilderTestAccess::RemoveFileOrRecycle(component, scratch.PathOf("folder"), DeleteOpts::htdFinal),
            RemoveFileMissing);
}

TEST_F(FileRoutinesTest, RemoveFileOrRecycleFindsABareNameInTheCurrentFolder) {
  scratch.WriteFile("bare.txt", "x");
  const std::string previousFolder = platform::GetCurrentDirectory();
  ASSERT_TRUE(platform::SetCurrentDirectory(scratch.Path()));
  const std::int32_t result = TZipBuilderTestAccess::RemoveFileOrRecycle(component, "bare.txt", DeleteOpts::htdFinal);
  ASSERT_TRUE(platform::SetCurrentDirectory(previousFolder));
  EXPECT_EQ(result, 0);
  EXPECT_FALSE(scratch.Exists("bare.txt"));
}

TEST_F(FileRoutinesTest, RemoveFileOrRecycleSendsToTheRecycleBinWhenUndoIsAllowed) {
  const platform_test::TestMachine machine;
  const std::optional<std::string> trash = machine.TrashFolder();
  if (!trash) {
    GTEST_SKIP() << "the recycle bin's folder is not known here";
  }
  const std::string contents = "recycled " + scratch.Path();
  scratch.WriteFile("undo.txt", contents);

  EXPECT_EQ(TZipBuilderTestAccess::RemoveFileOrRecycle(component, scratch.PathOf("undo.txt"),
                                                       DeleteOpts::htdAllowUndo),
            0);

  EXPECT_FALSE(scratch.Exists("undo.txt"));
  bool found = false;
  std::error_code ignored;
  for (const auto& kept : std::filesystem::directory_iterator(std::filesystem::path(*trash) / "files", ignored)) {
    found = found || ReadWhole(kept.path()) == contents;
  }
  EXPECT_TRUE(found) << "in " << *trash;
}

TEST_F(FileRoutinesTest, NewTempFileNameIsAFreeNameInTempDir) {
  component.SetTempDir(scratch.Path());
  const std::string name = TZipBuilderTestAccess::NewTempFileName(component, "zip", ".zip");

  EXPECT_EQ(component.TempDir(), scratch.Path() + "\\");
  ASSERT_TRUE(name.starts_with(component.TempDir())) << name;
  EXPECT_TRUE(name.ends_with(".zip")) << name;
  EXPECT_NE(name.find("zip", component.TempDir().size()), std::string::npos) << name;
  EXPECT_EQ(platform::GetFileAttributes(name), platform::InvalidFileAttributes);
  EXPECT_TRUE(std::filesystem::is_empty(scratch.Path())) << "the reserving file was deleted";

  const std::string second = TZipBuilderTestAccess::NewTempFileName(component, "zip", ".tmp");
  EXPECT_TRUE(second.ends_with(".tmp")) << second;
}

TEST_F(FileRoutinesTest, NewTempFileNameUsesTheSystemFolderWithoutTempDir) {
  const std::string name = TZipBuilderTestAccess::NewTempFileName(component, "zip", ".tmp");
  EXPECT_TRUE(name.starts_with(platform::GetTempPath())) << name;
  EXPECT_EQ(component.TempDir(), "");
}

TEST_F(FileRoutinesTest, NewTempFileNameInAMissingFolderIsEmpty) {
  component.SetTempDir(scratch.PathOf("missing"));
  EXPECT_EQ(TZipBuilderTestAccess::NewTempFileName(component, "zip", ".tmp"), "");
}

}  // namespace
}  // namespace zipbuilder
