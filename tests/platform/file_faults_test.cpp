// The fault table: which call of which operation fails, once or from then on, and
// that a failing call of each operation does nothing but report its error.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

#include "platform/file_faults.h"
#include "platform/files.h"
#include "platform/shell.h"
#include "tests/platform/test_machine.h"

namespace {

using namespace platform;
using file_faults::Operation;
using file_faults::Persistence;
using platform_test::ScratchFolder;

class FileFaults : public ::testing::Test {
 protected:
  void TearDown() override { file_faults::Clear(); }

  [[nodiscard]] bool CreateNewFile(std::string_view name) const {
    const FileHandle file =
        CreateFile(scratch.PathOf(name), FileAccess::Write, FileShare::None, FileCreation::CreateNew);
    return file != InvalidFileHandle && CloseHandle(file);
  }

  [[nodiscard]] std::uint32_t DateOf(std::string_view name) const {
    const FileHandle file =
        CreateFile(scratch.PathOf(name), FileAccess::Read, FileShare::Read, FileCreation::OpenExisting);
    std::uint32_t dosDateTime = 0;
    EXPECT_TRUE(GetFileDosDateTime(file, dosDateTime));
    CloseHandle(file);
    return dosDateTime;
  }

  // The recycle bin is a scratch one.
  platform_test::TestMachine machine;
  ScratchFolder scratch;
};

TEST_F(FileFaults, TheNthCallFailsOnceOrFromThenOnUntilCleared) {
  file_faults::Fail(Operation::Create, 2, Persistence::Once);
  EXPECT_TRUE(CreateNewFile("1"));
  EXPECT_FALSE(CreateNewFile("2"));
  EXPECT_EQ(GetLastError(), win32_error::DiskFull);
  EXPECT_FALSE(scratch.Exists("2")) << "a failing create makes no file";
  EXPECT_TRUE(CreateNewFile("3")) << "only the planned call fails";
  EXPECT_TRUE(file_faults::Fired(Operation::Create));

  file_faults::Fail(Operation::Create, 2, Persistence::FromThenOn, win32_error::AccessDenied);
  EXPECT_FALSE(file_faults::Fired(Operation::Create)) << "a new plan has not fired yet";
  EXPECT_TRUE(CreateNewFile("4"));
  EXPECT_FALSE(CreateNewFile("5"));
  EXPECT_EQ(GetLastError(), win32_error::AccessDenied);
  EXPECT_FALSE(CreateNewFile("6"));
  file_faults::Clear();
  EXPECT_FALSE(file_faults::Fired(Operation::Create));
  EXPECT_TRUE(CreateNewFile("7"));
}

TEST_F(FileFaults, EachOperationCountsItsOwnCallsAndReadingIsNoCreate) {
  scratch.WriteFile("a.txt", "a");
  file_faults::Fail(Operation::Create, 1, Persistence::FromThenOn);
  file_faults::Fail(Operation::Move, 2, Persistence::Once);

  const FileHandle reading =
      CreateFile(scratch.PathOf("a.txt"), FileAccess::Read, FileShare::Read, FileCreation::OpenExisting);
  EXPECT_NE(reading, InvalidFileHandle) << "opening for reading only is not counted";
  CloseHandle(reading);
  EXPECT_FALSE(CreateNewFile("b.txt"));
  EXPECT_TRUE(MoveFile(scratch.PathOf("a.txt"), scratch.PathOf("c.txt"), MoveMode::KeepExisting))
      << "the creates do not count as moves";
  EXPECT_FALSE(file_faults::Fired(Operation::Move));
  EXPECT_FALSE(MoveFile(scratch.PathOf("c.txt"), scratch.PathOf("d.txt"), MoveMode::KeepExisting));
  EXPECT_TRUE(file_faults::Fired(Operation::Move));
  EXPECT_EQ(scratch.ReadFile("c.txt"), "a") << "a failing move moves nothing";
  EXPECT_FALSE(scratch.Exists("d.txt"));
  EXPECT_FALSE(file_faults::Fired(Operation::Delete));
}

// One case per operation: the call that fails, and what shows that it did nothing.
struct FailingCall {
  Operation operation;
  std::function<bool(const ScratchFolder&)> call;  // true when the call succeeded
  std::function<void(const ScratchFolder&)> nothingDone;
};

TEST_F(FileFaults, AFailingCallOfEachOperationDoesNothingAndReportsThePlannedError) {
  constexpr std::uint32_t OldDate = 0x2A214C00;
  const auto withFile = [](const ScratchFolder& folder, FileAccess access,
                           const std::function<bool(FileHandle)>& use) {
    const FileHandle file =
        CreateFile(folder.PathOf("f.txt"), access, FileShare::Read, FileCreation::OpenExisting);
    const bool used = use(file);
    CloseHandle(file);
    return used;
  };
  const std::vector<FailingCall> cases = {
      {Operation::Write,
       [&](const ScratchFolder& folder) {
         return withFile(folder, FileAccess::Write, [](FileHandle file) {
           std::uint32_t written = 0;
           return WriteFile(file, "new", 3, written);
         });
       },
       [](const ScratchFolder& folder) { EXPECT_EQ(folder.ReadFile("f.txt"), "content"); }},
      {Operation::Flush,
       [&](const ScratchFolder& folder) { return withFile(folder, FileAccess::Write, FlushFileBuffers); },
       [](const ScratchFolder&) {}},
      {Operation::Flush, [](const ScratchFolder& folder) { return FlushDirectory(folder.Path()); },
       [](const ScratchFolder&) {}},
      {Operation::SetEnd,
       [&](const ScratchFolder& folder) {
         return withFile(folder, FileAccess::Write, [](FileHandle file) {
           return SetFilePointer(file, 2, SeekOrigin::Begin, nullptr) && SetEndOfFile(file);
         });
       },
       [](const ScratchFolder& folder) { EXPECT_EQ(folder.ReadFile("f.txt"), "content"); }},
      {Operation::Move,
       [](const ScratchFolder& folder) {
         return MoveFile(folder.PathOf("f.txt"), folder.PathOf("g.txt"), MoveMode::ReplaceExisting);
       },
       [](const ScratchFolder& folder) { EXPECT_FALSE(folder.Exists("g.txt")); }},
      {Operation::Delete, [](const ScratchFolder& folder) { return DeleteFile(folder.PathOf("f.txt")); },
       [](const ScratchFolder& folder) { EXPECT_TRUE(folder.Exists("f.txt")); }},
      {Operation::Delete,
       [](const ScratchFolder& folder) { return ShellDeleteFile(folder.PathOf("f.txt"), DeleteMode::Permanent) == 0; },
       [](const ScratchFolder& folder) { EXPECT_TRUE(folder.Exists("f.txt")); }},
      {Operation::Recycle,
       [](const ScratchFolder& folder) {
         return ShellDeleteFile(folder.PathOf("f.txt"), DeleteMode::ToRecycleBin) == 0;
       },
       [](const ScratchFolder& folder) { EXPECT_TRUE(folder.Exists("f.txt")); }},
      {Operation::HardLink,
       [](const ScratchFolder& folder) { return CreateHardLink(folder.PathOf("f.txt"), folder.PathOf("h.txt")); },
       [](const ScratchFolder& folder) { EXPECT_FALSE(folder.Exists("h.txt")); }},
      {Operation::SetDate,
       [&](const ScratchFolder& folder) {
         return withFile(folder, FileAccess::Write, [](FileHandle file) { return SetFileDosDateTime(file, OldDate); });
       },
       [&](const ScratchFolder&) { EXPECT_NE(DateOf("f.txt"), OldDate); }},
  };
  for (const FailingCall& test : cases) {
    SCOPED_TRACE(std::string(file_faults::NameOf(test.operation)));
    scratch.WriteFile("f.txt", "content");
    file_faults::Fail(test.operation, 1, Persistence::Once, win32_error::WriteFault);
    SetLastError(win32_error::Success);
    EXPECT_FALSE(test.call(scratch));
    EXPECT_TRUE(file_faults::Fired(test.operation));
    if (test.operation != Operation::Recycle && test.operation != Operation::Delete) {
      EXPECT_EQ(GetLastError(), win32_error::WriteFault);
    }
    test.nothingDone(scratch);
    file_faults::Clear();
    EXPECT_TRUE(test.call(scratch)) << "without the fault the call succeeds";
    static_cast<void>(DeleteFile(scratch.PathOf("g.txt")));
    static_cast<void>(DeleteFile(scratch.PathOf("h.txt")));
  }
}

TEST_F(FileFaults, AFailingCloseStillClosesTheFile) {
  const FileHandle file =
      CreateFile(scratch.PathOf("f.txt"), FileAccess::Write, FileShare::None, FileCreation::CreateNew);
  ASSERT_NE(file, InvalidFileHandle);
  std::uint32_t written = 0;
  ASSERT_TRUE(WriteFile(file, "data", 4, written));
  file_faults::Fail(Operation::Close, 1, Persistence::Once, win32_error::WriteFault);
  EXPECT_FALSE(CloseHandle(file));
  EXPECT_EQ(GetLastError(), win32_error::WriteFault);
  // A file still open without sharing could be neither opened again nor deleted on Windows.
  const FileHandle again =
      CreateFile(scratch.PathOf("f.txt"), FileAccess::ReadWrite, FileShare::None, FileCreation::OpenExisting);
  EXPECT_NE(again, InvalidFileHandle);
  EXPECT_TRUE(CloseHandle(again));
  EXPECT_TRUE(DeleteFile(scratch.PathOf("f.txt")));
}

TEST_F(FileFaults, CallsFromManyThreadsAreCountedExactlyOnce) {
  constexpr int Threads = 4;
  constexpr int CallsPerThread = 500;
  constexpr std::uint32_t FirstFailing = 701;
  file_faults::Fail(Operation::Write, FirstFailing, Persistence::FromThenOn);
  std::atomic<int> failed{0};
  std::vector<std::thread> threads;
  for (int index = 0; index < Threads; ++index) {
    threads.emplace_back([&failed] {
      for (int call = 0; call < CallsPerThread; ++call) {
        if (file_faults::ShouldFail(Operation::Write)) {
          ++failed;
        }
      }
    });
  }
  for (std::thread& thread : threads) {
    thread.join();
  }
  EXPECT_EQ(failed.load(), Threads * CallsPerThread - static_cast<int>(FirstFailing) + 1);
}

}  // namespace
