// An open platform file that is closed when its owner goes, also when an error is
// raised on the way. Files that were written are closed with Close(), whose result
// says whether the data reached the file.
#pragma once

#include <utility>

#include "platform/files.h"

namespace zipbuilder {

class ScopedFile {
 public:
  ScopedFile() = default;
  explicit ScopedFile(platform::FileHandle handle) : handle_(handle) {}
  ~ScopedFile() {
    if (IsOpen()) {
      // Reached only when an error is under way, which is what gets reported.
      static_cast<void>(platform::CloseHandle(handle_));
    }
  }
  ScopedFile(const ScopedFile&) = delete;
  ScopedFile& operator=(const ScopedFile&) = delete;
  ScopedFile(ScopedFile&& other) noexcept : handle_(std::exchange(other.handle_, platform::InvalidFileHandle)) {}
  ScopedFile& operator=(ScopedFile&& other) noexcept {
    std::swap(handle_, other.handle_);
    return *this;
  }

  [[nodiscard]] bool IsOpen() const { return handle_ != platform::InvalidFileHandle; }
  [[nodiscard]] platform::FileHandle Get() const { return handle_; }

  [[nodiscard]] bool Close() {
    return platform::CloseHandle(std::exchange(handle_, platform::InvalidFileHandle));
  }

 private:
  platform::FileHandle handle_ = platform::InvalidFileHandle;
};

}  // namespace zipbuilder
