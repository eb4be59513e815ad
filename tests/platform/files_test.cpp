// Files and folders, against whichever backend the build has.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <thread>

#include "platform/file_faults.h"
#include "platform/files.h"
#include "tests/platform/test_machine.h"

namespace {

using namespace platform;
using platform_test::ScratchFolder;

class Files : public ::testing::Test {
 protected:
  void TearDown() override { file_faults::Clear(); }

  static FileHandle Open(const std::string& path, FileAccess access, FileCreation creation) {
    return CreateFile(path, access, FileShare::Read, creation);
  }

  static std::string ReadAll(FileHandle file) {
    std::string contents;
    std::array<char, 64> buffer{};
    std::uint32_t got = 0;
    while (ReadFile(file, buffer.data(), buffer.size(), got) && got > 0) {
      contents.append(buffer.data(), got);
    }
    return contents;
  }

  static bool WriteText(FileHandle file, std::string_view text) {
    std::uint32_t written = 0;
    return WriteFile(file, text.data(), static_cast<std::uint32_t>(text.size()), written) && written == text.size();
  }

  ScratchFolder scratch;
};

TEST_F(Files, CreationModesFollowTheWin32Rules) {
  const std::string path = scratch.PathOf("a.bin");

  EXPECT_EQ(Open(path, FileAccess::Read, FileCreation::OpenExisting), InvalidFileHandle);
  EXPECT_EQ(GetLastError(), win32_error::FileNotFound);
  EXPECT_EQ(Open(path, FileAccess::Write, FileCreation::TruncateExisting), InvalidFileHandle);

  FileHandle file = Open(path, FileAccess::Write, FileCreation::CreateNew);
  ASSERT_NE(file, InvalidFileHandle);
  EXPECT_TRUE(WriteText(file, "contents"));
  EXPECT_TRUE(CloseHandle(file));

  EXPECT_EQ(Open(path, FileAccess::Write, FileCreation::CreateNew), InvalidFileHandle);
  EXPECT_EQ(GetLastError(), win32_error::FileExists);

  file = Open(path, FileAccess::Read, FileCreation::OpenAlways);
  ASSERT_NE(file, InvalidFileHandle);
  EXPECT_EQ(GetLastError(), win32_error::AlreadyExists);
  EXPECT_EQ(ReadAll(file), "contents");
  EXPECT_TRUE(CloseHandle(file));

  file = Open(path, FileAccess::Write, FileCreation::CreateAlways);
  ASSERT_NE(file, InvalidFileHandle);
  EXPECT_EQ(GetLastError(), win32_error::AlreadyExists);
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_EQ(scratch.ReadFile("a.bin"), "");
}

TEST_F(Files, MissingFolderIsPathNotFound) {
  EXPECT_EQ(Open(scratch.PathOf("no folder/a.bin"), FileAccess::Read, FileCreation::OpenExisting), InvalidFileHandle);
  EXPECT_EQ(GetLastError(), win32_error::PathNotFound);
  EXPECT_EQ(Open(scratch.PathOf("no folder/a.bin"), FileAccess::Write, FileCreation::CreateAlways), InvalidFileHandle);
  EXPECT_EQ(GetLastError(), win32_error::PathNotFound);
}

TEST_F(Files, FolderCannotBeOpenedAsAFile) {
  scratch.MakeFolder("sub");
  EXPECT_EQ(Open(scratch.PathOf("sub"), FileAccess::Read, FileCreation::OpenExisting), InvalidFileHandle);
  EXPECT_EQ(GetLastError(), win32_error::AccessDenied);
}

TEST_F(Files, ClosingTheInvalidHandleFails) {
  EXPECT_FALSE(CloseHandle(InvalidFileHandle));
  EXPECT_EQ(GetLastError(), win32_error::InvalidHandle);
}

TEST_F(Files, ShortReadAtTheEndIsSuccess) {
  scratch.WriteFile("a.bin", "12345");
  const FileHandle file = Open(scratch.PathOf("a.bin"), FileAccess::Read, FileCreation::OpenExisting);
  ASSERT_NE(file, InvalidFileHandle);
  std::array<char, 16> buffer{};
  std::uint32_t got = 99;
  ASSERT_TRUE(ReadFile(file, buffer.data(), buffer.size(), got));
  EXPECT_EQ(got, 5u);
  ASSERT_TRUE(ReadFile(file, buffer.data(), buffer.size(), got));
  EXPECT_EQ(got, 0u);
  EXPECT_TRUE(CloseHandle(file));
}

TEST_F(Files, WritingThroughAReadHandleIsRefused) {
  scratch.WriteFile("a.bin", "12345");
  const FileHandle file = Open(scratch.PathOf("a.bin"), FileAccess::Read, FileCreation::OpenExisting);
  ASSERT_NE(file, InvalidFileHandle);
  std::uint32_t written = 0;
  EXPECT_FALSE(WriteFile(file, "x", 1, written));
  EXPECT_EQ(GetLastError(), win32_error::AccessDenied);
  EXPECT_EQ(written, 0u);
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_EQ(scratch.ReadFile("a.bin"), "12345");
}

TEST_F(Files, SeekingSizeAndEndOfFile) {
  const FileHandle file = Open(scratch.PathOf("a.bin"), FileAccess::ReadWrite, FileCreation::CreateAlways);
  ASSERT_NE(file, InvalidFileHandle);
  ASSERT_TRUE(WriteText(file, "0123456789"));

  std::int64_t position = -1;
  ASSERT_TRUE(SetFilePointer(file, -4, SeekOrigin::End, &position));
  EXPECT_EQ(position, 6);
  ASSERT_TRUE(SetFilePointer(file, -2, SeekOrigin::Current, &position));
  EXPECT_EQ(position, 4);
  EXPECT_EQ(ReadAll(file), "456789");

  EXPECT_FALSE(SetFilePointer(file, -1, SeekOrigin::Begin, &position));
  EXPECT_EQ(GetLastError(), win32_error::NegativeSeek);
  ASSERT_TRUE(SetFilePointer(file, 0, SeekOrigin::Current, &position));
  EXPECT_EQ(position, 10) << "a failed seek leaves the pointer where it was";

  ASSERT_TRUE(SetFilePointer(file, 3, SeekOrigin::Begin, nullptr));
  ASSERT_TRUE(SetEndOfFile(file));
  std::int64_t size = -1;
  ASSERT_TRUE(GetFileSize(file, size));
  EXPECT_EQ(size, 3);

  ASSERT_TRUE(SetFilePointer(file, 8, SeekOrigin::Begin, nullptr));
  ASSERT_TRUE(SetEndOfFile(file));
  ASSERT_TRUE(GetFileSize(file, size));
  EXPECT_EQ(size, 8) << "SetEndOfFile also extends";
  EXPECT_TRUE(FlushFileBuffers(file));
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_EQ(scratch.ReadFile("a.bin"), std::string("012") + std::string(5, '\0'));
}

TEST_F(Files, FaultTableFailsTheNthWriteAndWritesNothing) {
  const FileHandle file = Open(scratch.PathOf("a.bin"), FileAccess::Write, FileCreation::CreateAlways);
  ASSERT_NE(file, InvalidFileHandle);
  file_faults::Fail(file_faults::Operation::Write, 3, file_faults::Persistence::FromThenOn);
  EXPECT_TRUE(WriteText(file, "one"));
  EXPECT_TRUE(WriteText(file, "two"));
  std::uint32_t written = 7;
  EXPECT_FALSE(WriteFile(file, "three", 5, written));
  EXPECT_EQ(GetLastError(), win32_error::DiskFull);
  EXPECT_EQ(written, 0u);
  EXPECT_FALSE(WriteText(file, "four")) << "every write after the planned ones fails";

  file_faults::Clear();
  EXPECT_TRUE(WriteText(file, "five"));
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_EQ(scratch.ReadFile("a.bin"), "onetwofive");
}

TEST_F(Files, FaultTableReportsTheChosenError) {
  const FileHandle file = Open(scratch.PathOf("a.bin"), FileAccess::Write, FileCreation::CreateAlways);
  ASSERT_NE(file, InvalidFileHandle);
  file_faults::Fail(file_faults::Operation::Write, 1, file_faults::Persistence::FromThenOn, win32_error::WriteFault);
  EXPECT_FALSE(WriteText(file, "x"));
  EXPECT_EQ(GetLastError(), win32_error::WriteFault);
  EXPECT_TRUE(CloseHandle(file));
}

TEST_F(Files, NamesAreFoundWithoutRegardToCase) {
  scratch.WriteFile("Sub Folder/ReadMe.TXT", "hello");
  const FileHandle file =
      Open(scratch.PathOf("SUB FOLDER/readme.txt"), FileAccess::Read, FileCreation::OpenExisting);
  ASSERT_NE(file, InvalidFileHandle);
  EXPECT_EQ(ReadAll(file), "hello");
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_NE(GetFileAttributes(scratch.PathOf("sub folder/README.txt")), InvalidFileAttributes);
}

TEST_F(Files, BothSeparatorsSeparateFolders) {
  scratch.WriteFile("sub/a.txt", "x");
  EXPECT_NE(GetFileAttributes(scratch.Path() + "\\sub\\a.txt"), InvalidFileAttributes);
  EXPECT_NE(GetFileAttributes(scratch.Path() + "/sub/a.txt"), InvalidFileAttributes);
}

TEST_F(Files, AttributesOfFilesAndFolders) {
  scratch.WriteFile("a.txt", "x");
  scratch.MakeFolder("sub");
  const std::uint32_t fileAttributes = GetFileAttributes(scratch.PathOf("a.txt"));
  const std::uint32_t folderAttributes = GetFileAttributes(scratch.PathOf("sub"));
  EXPECT_EQ(fileAttributes & file_attribute::Directory, 0u);
  EXPECT_EQ(fileAttributes & file_attribute::ReadOnly, 0u);
  EXPECT_NE(folderAttributes & file_attribute::Directory, 0u);

  EXPECT_EQ(GetFileAttributes(scratch.PathOf("missing.txt")), InvalidFileAttributes);
  EXPECT_EQ(GetLastError(), win32_error::FileNotFound);
}

TEST_F(Files, ReadOnlyFileCanBeReadButNotDeleted) {
  scratch.WriteFile("a.txt", "keep");
  const std::string path = scratch.PathOf("a.txt");
  ASSERT_TRUE(SetFileAttributes(path, file_attribute::ReadOnly));
  EXPECT_NE(GetFileAttributes(path) & file_attribute::ReadOnly, 0u);

  EXPECT_FALSE(DeleteFile(path));
  EXPECT_EQ(GetLastError(), win32_error::AccessDenied);
  EXPECT_EQ(scratch.ReadFile("a.txt"), "keep");
  const FileHandle reader = Open(path, FileAccess::Read, FileCreation::OpenExisting);
  EXPECT_NE(reader, InvalidFileHandle);
  EXPECT_TRUE(CloseHandle(reader));

  ASSERT_TRUE(SetFileAttributes(path, file_attribute::Normal));
  EXPECT_EQ(GetFileAttributes(path) & file_attribute::ReadOnly, 0u);
  EXPECT_TRUE(DeleteFile(path));
  EXPECT_FALSE(scratch.Exists("a.txt"));
}

// Wine run by root opens read-only files for writing, as root may on Linux; the
// POSIX backend refuses even root (posix_backend_test.cpp).
TEST_F(Files, ReadOnlyFileCannotBeOpenedForWriting) {
  scratch.WriteFile("a.txt", "keep");
  const std::string path = scratch.PathOf("a.txt");
  ASSERT_TRUE(SetFileAttributes(path, file_attribute::ReadOnly));
  const FileHandle writer = Open(path, FileAccess::Write, FileCreation::OpenExisting);
  if (writer != InvalidFileHandle) {
    EXPECT_TRUE(CloseHandle(writer));
    GTEST_SKIP() << "this system lets the process write read-only files";
  }
  EXPECT_EQ(GetLastError(), win32_error::AccessDenied);
  EXPECT_EQ(Open(path, FileAccess::Write, FileCreation::CreateAlways), InvalidFileHandle);
  EXPECT_EQ(scratch.ReadFile("a.txt"), "keep");
}

TEST_F(Files, HiddenAttributeIsKept) {
  scratch.WriteFile("a.txt", "x");
  const std::string path = scratch.PathOf("a.txt");
  if (!SetFileAttributes(path, file_attribute::Hidden)) {
    ASSERT_EQ(GetLastError(), win32_error::NotSupported);
    GTEST_SKIP() << "this file system keeps no extended attributes";
  }
  EXPECT_NE(GetFileAttributes(path) & file_attribute::Hidden, 0u);
  ASSERT_TRUE(SetFileAttributes(path, file_attribute::Normal));
  EXPECT_EQ(GetFileAttributes(path) & file_attribute::Hidden, 0u);
}

TEST_F(Files, DeleteFile) {
  scratch.WriteFile("a.txt", "x");
  scratch.MakeFolder("sub");
  EXPECT_TRUE(DeleteFile(scratch.PathOf("A.TXT")));
  EXPECT_FALSE(scratch.Exists("a.txt"));
  EXPECT_FALSE(DeleteFile(scratch.PathOf("a.txt")));
  EXPECT_EQ(GetLastError(), win32_error::FileNotFound);
  EXPECT_FALSE(DeleteFile(scratch.PathOf("sub")));
  EXPECT_TRUE(scratch.Exists("sub"));
}

TEST_F(Files, MoveKeepsOrReplacesAnExistingTarget) {
  scratch.WriteFile("from.txt", "new");
  scratch.WriteFile("to.txt", "old");

  EXPECT_FALSE(MoveFile(scratch.PathOf("from.txt"), scratch.PathOf("to.txt"), MoveMode::KeepExisting));
  EXPECT_EQ(GetLastError(), win32_error::AlreadyExists);
  EXPECT_EQ(scratch.ReadFile("from.txt"), "new");
  EXPECT_EQ(scratch.ReadFile("to.txt"), "old");

  EXPECT_TRUE(MoveFile(scratch.PathOf("from.txt"), scratch.PathOf("to.txt"), MoveMode::ReplaceExisting));
  EXPECT_FALSE(scratch.Exists("from.txt"));
  EXPECT_EQ(scratch.ReadFile("to.txt"), "new");

  EXPECT_TRUE(MoveFile(scratch.PathOf("to.txt"), scratch.PathOf("renamed.txt"), MoveMode::KeepExisting));
  EXPECT_EQ(scratch.ReadFile("renamed.txt"), "new");

  EXPECT_FALSE(MoveFile(scratch.PathOf("missing.txt"), scratch.PathOf("x.txt"), MoveMode::ReplaceExisting));
  EXPECT_EQ(GetLastError(), win32_error::FileNotFound);
}

TEST_F(Files, OfMovesThatMustNotReplaceExactlyOneWins) {
  for (int round = 0; round < 20; ++round) {
    scratch.WriteFile("first.txt", "first");
    scratch.WriteFile("second.txt", "second");
    bool firstMoved = false;
    std::thread other([&] {
      firstMoved = MoveFile(scratch.PathOf("first.txt"), scratch.PathOf("won.txt"), MoveMode::KeepExisting);
    });
    const bool secondMoved = MoveFile(scratch.PathOf("second.txt"), scratch.PathOf("won.txt"), MoveMode::KeepExisting);
    other.join();
    ASSERT_NE(firstMoved, secondMoved) << "round " << round;
    EXPECT_EQ(scratch.ReadFile("won.txt"), firstMoved ? "first" : "second");
    EXPECT_TRUE(scratch.Exists(firstMoved ? "second.txt" : "first.txt")) << "the loser keeps its file";
    EXPECT_TRUE(DeleteFile(scratch.PathOf("won.txt")));
    static_cast<void>(DeleteFile(scratch.PathOf("first.txt")));
    static_cast<void>(DeleteFile(scratch.PathOf("second.txt")));
  }
}

TEST_F(Files, AHardLinkIsASecondNameOfTheSameFile) {
  scratch.WriteFile("one.txt", "shared");
  ASSERT_TRUE(CreateHardLink(scratch.PathOf("one.txt"), scratch.PathOf("two.txt")));
  const FileHandle file = Open(scratch.PathOf("two.txt"), FileAccess::Write, FileCreation::OpenExisting);
  ASSERT_NE(file, InvalidFileHandle);
  EXPECT_TRUE(WriteText(file, "SH"));
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_EQ(scratch.ReadFile("one.txt"), "SHared") << "written through the other name";

  ASSERT_TRUE(DeleteFile(scratch.PathOf("one.txt")));
  EXPECT_EQ(scratch.ReadFile("two.txt"), "SHared") << "the file lives on under its second name";

  scratch.WriteFile("taken.txt", "taken");
  EXPECT_FALSE(CreateHardLink(scratch.PathOf("two.txt"), scratch.PathOf("taken.txt")));
  EXPECT_EQ(GetLastError(), win32_error::AlreadyExists);
  EXPECT_EQ(scratch.ReadFile("taken.txt"), "taken");
  EXPECT_FALSE(CreateHardLink(scratch.PathOf("missing.txt"), scratch.PathOf("three.txt")));
  EXPECT_EQ(GetLastError(), win32_error::FileNotFound);
  EXPECT_FALSE(scratch.Exists("three.txt"));
}

TEST_F(Files, FlushDirectoryTakesAFolder) {
  EXPECT_TRUE(FlushDirectory(scratch.Path()));
  scratch.MakeFolder("sub");
  EXPECT_TRUE(FlushDirectory(scratch.PathOf("sub")));
}

TEST_F(Files, Folders) {
  const std::string folder = scratch.PathOf("sub");
  EXPECT_TRUE(CreateDirectory(folder));
  EXPECT_FALSE(CreateDirectory(folder));
  EXPECT_EQ(GetLastError(), win32_error::AlreadyExists);
  EXPECT_FALSE(CreateDirectory(scratch.PathOf("missing/sub")));
  EXPECT_EQ(GetLastError(), win32_error::PathNotFound);

  scratch.WriteFile("sub/a.txt", "x");
  EXPECT_FALSE(RemoveDirectory(folder));
  EXPECT_EQ(GetLastError(), win32_error::DirectoryNotEmpty);
  EXPECT_TRUE(DeleteFile(scratch.PathOf("sub/a.txt")));
  EXPECT_TRUE(RemoveDirectory(folder));
  EXPECT_FALSE(scratch.Exists("sub"));
}

TEST_F(Files, DosDateTimeIsSetAndReadInLocalTime) {
  const FileHandle file = Open(scratch.PathOf("a.bin"), FileAccess::Write, FileCreation::CreateAlways);
  ASSERT_NE(file, InvalidFileHandle);
  // 2003-03-30 11:47:12
  const std::uint32_t stamp = ((23u << 9 | 3u << 5 | 30u) << 16) | (11u << 11 | 47u << 5 | 6u);
  ASSERT_TRUE(SetFileDosDateTime(file, stamp));
  std::uint32_t read = 0;
  ASSERT_TRUE(GetFileDosDateTime(file, read));
  EXPECT_EQ(read, stamp);
  EXPECT_TRUE(CloseHandle(file));

  const FileHandle reader = Open(scratch.PathOf("a.bin"), FileAccess::Read, FileCreation::OpenExisting);
  ASSERT_NE(reader, InvalidFileHandle);
  ASSERT_TRUE(GetFileDosDateTime(reader, read));
  EXPECT_EQ(read, stamp) << "the date stays after closing";
  EXPECT_TRUE(CloseHandle(reader));
}

class CurrentFolder : public Files {
 protected:
  void SetUp() override { previous = GetCurrentDirectory(); }
  void TearDown() override {
    ASSERT_TRUE(SetCurrentDirectory(previous));
    Files::TearDown();
  }
  std::string previous;
};

TEST_F(CurrentFolder, RelativeNamesStartThere) {
  ASSERT_TRUE(SetCurrentDirectory(scratch.Path()));
  EXPECT_EQ(GetCurrentDirectory(), scratch.Path());

  const FileHandle file = Open("made here.txt", FileAccess::Write, FileCreation::CreateNew);
  ASSERT_NE(file, InvalidFileHandle);
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_TRUE(scratch.Exists("made here.txt"));

  EXPECT_EQ(GetFullPathName("made here.txt"), scratch.PathOf("made here.txt"));
  EXPECT_EQ(GetFullPathName("sub\\..\\x\\.\\y.zip"), scratch.PathOf("x/y.zip"));
}

TEST_F(CurrentFolder, MissingFolderIsRefused) {
  EXPECT_FALSE(SetCurrentDirectory(scratch.PathOf("missing")));
  EXPECT_EQ(GetCurrentDirectory(), previous);
}

}  // namespace
