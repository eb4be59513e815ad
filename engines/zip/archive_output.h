// The new archive, written safely: under a temporary name in the target's folder
// (or the caller's temporary folder) and put in place of the old archive only by
// Commit, once every byte was written and flushed. A write error is sticky: later
// writes do nothing and Commit fails. Whatever is not committed (Cancel, an error,
// destruction) is removed, so the old archive stays exactly as it was.
//
// Every byte goes through platform::WriteFile, so the write-fault seam reaches it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engines/zip/command.h"
#include "platform/errors.h"
#include "platform/files.h"

namespace engines::zip {

class ArchiveOutput {
 public:
  // Nothing when no temporary file could be made; the platform's last error says why.
  [[nodiscard]] static std::optional<ArchiveOutput> Create(std::string_view targetPath, std::string_view tempFolder);

  ArchiveOutput(ArchiveOutput&& other) noexcept;
  ArchiveOutput& operator=(ArchiveOutput&&) = delete;
  ArchiveOutput(const ArchiveOutput&) = delete;
  ArchiveOutput& operator=(const ArchiveOutput&) = delete;
  ~ArchiveOutput();

  void Write(std::span<const std::byte> bytes);
  // Replaces bytes written earlier (a local header whose sizes became known).
  void Overwrite(std::int64_t offset, std::span<const std::byte> bytes);
  // Forgets everything from `offset` on; the next write goes there.
  void CutBackTo(std::int64_t offset);

  [[nodiscard]] std::int64_t Position() const { return position_; }
  [[nodiscard]] bool Failed() const { return failed_; }
  [[nodiscard]] platform::Win32Error Error() const { return error_; }
  [[nodiscard]] const std::string& TemporaryPath() const { return temporaryPath_; }

  // Flushes, dates the file (when asked) and puts it in place of the target. On
  // failure the temporary file is removed and the target is untouched.
  [[nodiscard]] bool Commit(OldArchive oldArchive, std::optional<std::uint32_t> dosDateTime);
  void Cancel();

 private:
  ArchiveOutput(std::string targetPath, std::string temporaryPath, platform::FileHandle file);
  void Flush();
  void Fail();
  [[nodiscard]] bool PutInPlace(OldArchive oldArchive);

  std::string targetPath_;
  std::string temporaryPath_;
  platform::FileHandle file_ = platform::InvalidFileHandle;
  std::vector<std::byte> buffer_;
  std::int64_t position_ = 0;
  bool failed_ = false;
  platform::Win32Error error_ = platform::win32_error::Success;
  bool finished_ = false;
};

// The folder part of `path` ("." when it has none), without a trailing separator
// unless it is a root.
[[nodiscard]] std::string FolderOf(std::string_view path);

}  // namespace engines::zip
