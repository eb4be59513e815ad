// The new archive, written through a platform::SafeSave: under a temporary name in
// the target's folder (or in the caller's temporary folder, from where Commit
// copies it beside the target) and put in place of the old archive only by Commit,
// once every byte was written and flushed. A write error is sticky: later writes do
// nothing and Commit fails. Whatever is not committed (Cancel, an error,
// destruction) is removed, so the old archive stays exactly as it was.
//
// Writes are gathered in a buffer of its own; the safe save writes them unbuffered.
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
#include "platform/safe_save.h"

namespace engines::zip {

class ArchiveOutput {
 public:
  // Nothing when no temporary file could be made; the platform's last error says why.
  [[nodiscard]] static std::optional<ArchiveOutput> Create(std::string_view targetPath, std::string_view tempFolder);

  ArchiveOutput(ArchiveOutput&& other) noexcept = default;
  ArchiveOutput& operator=(ArchiveOutput&&) = delete;
  ArchiveOutput(const ArchiveOutput&) = delete;
  ArchiveOutput& operator=(const ArchiveOutput&) = delete;
  ~ArchiveOutput() = default;

  void Write(std::span<const std::byte> bytes);
  // Replaces bytes written earlier (a local header whose sizes became known).
  void Overwrite(std::int64_t offset, std::span<const std::byte> bytes);
  // Forgets everything from `offset` on; the next write goes there.
  void CutBackTo(std::int64_t offset);

  [[nodiscard]] std::int64_t Position() const { return position_; }
  [[nodiscard]] bool Failed() const { return save_.Failed(); }
  [[nodiscard]] platform::Win32Error Error() const { return save_.Error(); }
  [[nodiscard]] const std::string& TemporaryPath() const { return save_.WorkPath(); }

  // Flushes, dates the file (when asked) and puts it in place of the target, the
  // old archive going to the recycle bin when asked. On failure the temporary file
  // is removed and, as CommitFailureText says, the target is untouched, or in
  // rare cases holds the new archive.
  [[nodiscard]] bool Commit(OldArchive oldArchive, std::optional<std::uint32_t> dosDateTime);
  void Cancel();

  // The whole report of a failed Commit: "Cannot write <archive> (error N); " and
  // what it left (platform::DescribeFailedCommit).
  [[nodiscard]] std::string CommitFailureText() const;

 private:
  explicit ArchiveOutput(platform::SafeSave save);
  void Flush();

  platform::SafeSave save_;
  std::vector<std::byte> buffer_;
  std::int64_t position_ = 0;
};

}  // namespace engines::zip
