#include "engines/zip/archive_output.h"

#include <algorithm>
#include <utility>

namespace engines::zip {

namespace {

constexpr std::size_t BufferSize = 1 << 20;
constexpr std::string_view TemporaryPrefix = "zip";

}  // namespace

std::optional<ArchiveOutput> ArchiveOutput::Create(std::string_view targetPath, std::string_view tempFolder) {
  std::optional<platform::SafeSave> save = platform::SafeSave::Create(
      targetPath, {platform::SaveDurability::FlushToDevice, tempFolder, TemporaryPrefix});
  if (!save) {
    return std::nullopt;
  }
  return ArchiveOutput(std::move(*save));
}

ArchiveOutput::ArchiveOutput(platform::SafeSave save) : save_(std::move(save)) {
  buffer_.reserve(BufferSize);
}

void ArchiveOutput::Flush() {
  // A failed save keeps its first error; what is left in the buffer is dropped.
  static_cast<void>(save_.Write(buffer_));
  buffer_.clear();
}

void ArchiveOutput::Write(std::span<const std::byte> bytes) {
  if (save_.Failed() || save_.State() != platform::SaveState::Open) {
    return;
  }
  position_ += static_cast<std::int64_t>(bytes.size());
  while (!bytes.empty() && !save_.Failed()) {
    const std::size_t room = BufferSize - buffer_.size();
    const std::size_t taken = std::min(room, bytes.size());
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(taken));
    bytes = bytes.subspan(taken);
    if (buffer_.size() == BufferSize) {
      Flush();
    }
  }
}

void ArchiveOutput::Overwrite(std::int64_t offset, std::span<const std::byte> bytes) {
  Flush();
  // Sticky: a failure shows in Failed() and at Commit.
  static_cast<void>(save_.WriteAt(offset, bytes));
}

void ArchiveOutput::CutBackTo(std::int64_t offset) {
  Flush();
  if (save_.SetEnd(offset)) {
    position_ = offset;
  }
}

bool ArchiveOutput::Commit(OldArchive oldArchive, std::optional<std::uint32_t> dosDateTime) {
  Flush();
  if (dosDateTime) {
    save_.StampDate(*dosDateTime, platform::DateRequirement::Required);
  }
  return save_.Commit(oldArchive == OldArchive::ToRecycleBin ? platform::CommitMode::ReplaceAndRecycleOld
                                                             : platform::CommitMode::ReplaceTarget);
}

void ArchiveOutput::Cancel() {
  buffer_.clear();
  save_.Cancel();
}

std::string ArchiveOutput::CommitFailureText() const { return platform::CommitFailureText(save_, "archive"); }

}  // namespace engines::zip
