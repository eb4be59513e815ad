// A real failure without the fault table: a file size limit (RLIMIT_FSIZE) makes
// the writes of a safe save fail as a full disk would, and the target stays.
#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <string>

#include "platform/safe_save.h"
#include "tests/platform/posix/file_size_limit.h"
#include "tests/platform/test_machine.h"

namespace {

using namespace platform;
using platform_test::FileSizeLimit;

TEST(SafeSaveLimit, WritesPastTheFileSizeLimitFailAndTheTargetStays) {
  const platform_test::ScratchFolder scratch;
  const std::string old(1000, 'o');
  scratch.WriteFile("target.zip", old);
  const std::string content(256 * 1024, 'n');
  bool committed = true;
  Win32Error error = win32_error::Success;
  {
    const FileSizeLimit limit(64 * 1024);
    ASSERT_TRUE(limit.Applied());
    std::optional<SafeSave> save = SafeSave::Create(scratch.PathOf("target.zip"), {});
    ASSERT_TRUE(save);
    static_cast<void>(save->Write(std::as_bytes(std::span(content.data(), content.size()))));
    committed = save->Commit(CommitMode::ReplaceTarget);
    error = save->Error();
  }
  EXPECT_FALSE(committed);
  EXPECT_EQ(error, win32_error::DiskFull);
  EXPECT_EQ(scratch.ReadFile("target.zip"), old);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(scratch.Path()), std::filesystem::directory_iterator()),
            1)
      << "no temporary file is left";
}

}  // namespace
