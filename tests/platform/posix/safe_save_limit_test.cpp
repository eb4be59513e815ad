// A real failure without the fault table: a file size limit (RLIMIT_FSIZE) makes
// the writes of a safe save fail as a full disk would, and the target stays.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>

#include <filesystem>
#include <iterator>
#include <string>

#include "platform/safe_save.h"
#include "tests/platform/test_machine.h"

namespace {

using namespace platform;

// Lowers the process's file size limit and ignores the signal that passing it
// raises, so that writes fail with EFBIG instead; both come back at the end.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &previous_);
    previousHandler_ = signal(SIGXFSZ, SIG_IGN);
    const rlimit lowered{bytes, previous_.rlim_max};
    applied_ = setrlimit(RLIMIT_FSIZE, &lowered) == 0;
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &previous_);
    signal(SIGXFSZ, previousHandler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  [[nodiscard]] bool Applied() const { return applied_; }

 private:
  rlimit previous_{};
  sighandler_t previousHandler_ = SIG_DFL;
  bool applied_ = false;
};

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
