// A lowered file size limit (RLIMIT_FSIZE) for the POSIX tests of real write
// failures: writes past it fail as on a full disk.
#pragma once

#include <signal.h>
#include <sys/resource.h>

namespace platform_test {

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

}  // namespace platform_test
