#include "engines/zip/archive_output.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "engines/shared/wildcard.h"
#include "platform/shell.h"
#include "platform/temp_and_environment.h"

namespace engines::zip {

namespace {

constexpr std::size_t BufferSize = 1 << 20;
constexpr std::string_view TemporaryPrefix = "zip";

bool ExistsAsFile(std::string_view path) {
  const std::uint32_t attributes = platform::GetFileAttributes(path);
  return attributes != platform::InvalidFileAttributes && (attributes & platform::file_attribute::Directory) == 0;
}

}  // namespace

std::string FolderOf(std::string_view path) {
  std::size_t separator = std::string_view::npos;
  for (std::size_t index = 0; index < path.size(); ++index) {
    if (shared::IsFolderSeparator(path[index])) {
      separator = index;
    }
  }
  if (separator == std::string_view::npos) {
    const bool drive = path.size() >= 2 && path[1] == ':';
    return drive ? std::string(path.substr(0, 2)) : std::string(".");
  }
  const bool isRoot = separator == 0 || (separator == 2 && path[1] == ':');
  return std::string(path.substr(0, isRoot ? separator + 1 : separator));
}

std::optional<ArchiveOutput> ArchiveOutput::Create(std::string_view targetPath, std::string_view tempFolder) {
  const std::string folder = tempFolder.empty() ? FolderOf(targetPath) : std::string(tempFolder);
  std::string temporaryPath;
  if (platform::GetTempFileName(folder, TemporaryPrefix, 0, temporaryPath) == 0) {
    return std::nullopt;
  }
  const platform::FileHandle file = platform::CreateFile(temporaryPath, platform::FileAccess::ReadWrite,
                                                         platform::FileShare::None,
                                                         platform::FileCreation::TruncateExisting);
  if (file == platform::InvalidFileHandle) {
    const platform::Win32Error error = platform::GetLastError();
    static_cast<void>(platform::DeleteFile(temporaryPath));
    platform::SetLastError(error);
    return std::nullopt;
  }
  return ArchiveOutput(std::string(targetPath), std::move(temporaryPath), file);
}

ArchiveOutput::ArchiveOutput(std::string targetPath, std::string temporaryPath, platform::FileHandle file)
    : targetPath_(std::move(targetPath)), temporaryPath_(std::move(temporaryPath)), file_(file) {
  buffer_.reserve(BufferSize);
}

ArchiveOutput::ArchiveOutput(ArchiveOutput&& other) noexcept
    : targetPath_(std::move(other.targetPath_)),
      temporaryPath_(std::move(other.temporaryPath_)),
      file_(std::exchange(other.file_, platform::InvalidFileHandle)),
      buffer_(std::move(other.buffer_)),
      position_(other.position_),
      failed_(other.failed_),
      error_(other.error_),
      finished_(std::exchange(other.finished_, true)) {}

ArchiveOutput::~ArchiveOutput() {
  Cancel();
}

void ArchiveOutput::Fail() {
  if (!failed_) {
    failed_ = true;
    error_ = platform::GetLastError();
    if (error_ == platform::win32_error::Success) {
      error_ = platform::win32_error::WriteFault;
    }
  }
  buffer_.clear();
}

void ArchiveOutput::Flush() {
  if (failed_ || buffer_.empty()) {
    buffer_.clear();
    return;
  }
  std::uint32_t written = 0;
  if (!platform::WriteFile(file_, buffer_.data(), static_cast<std::uint32_t>(buffer_.size()), written) ||
      written != buffer_.size()) {
    Fail();
    return;
  }
  buffer_.clear();
}

void ArchiveOutput::Write(std::span<const std::byte> bytes) {
  if (failed_ || finished_) {
    return;
  }
  position_ += static_cast<std::int64_t>(bytes.size());
  while (!bytes.empty() && !failed_) {
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
  if (failed_ || finished_) {
    return;
  }
  Flush();
  std::uint32_t written = 0;
  if (failed_ || !platform::SetFilePointer(file_, offset, platform::SeekOrigin::Begin, nullptr) ||
      !platform::WriteFile(file_, bytes.data(), static_cast<std::uint32_t>(bytes.size()), written) ||
      written != bytes.size() || !platform::SetFilePointer(file_, 0, platform::SeekOrigin::End, nullptr)) {
    Fail();
  }
}

void ArchiveOutput::CutBackTo(std::int64_t offset) {
  if (failed_ || finished_) {
    return;
  }
  Flush();
  if (failed_ || !platform::SetFilePointer(file_, offset, platform::SeekOrigin::Begin, nullptr) ||
      !platform::SetEndOfFile(file_)) {
    Fail();
    return;
  }
  position_ = offset;
}

bool ArchiveOutput::PutInPlace(OldArchive oldArchive) {
  if (oldArchive == OldArchive::ToRecycleBin && ExistsAsFile(targetPath_)) {
    if (platform::ShellDeleteFile(targetPath_, platform::DeleteMode::ToRecycleBin) != 0) {
      return false;
    }
    return platform::MoveFile(temporaryPath_, targetPath_, platform::MoveMode::KeepExisting);
  }
  return platform::MoveFile(temporaryPath_, targetPath_, platform::MoveMode::ReplaceExisting);
}

bool ArchiveOutput::Commit(OldArchive oldArchive, std::optional<std::uint32_t> dosDateTime) {
  if (finished_) {
    return false;
  }
  Flush();
  if (!failed_ && !platform::FlushFileBuffers(file_)) {
    Fail();
  }
  // The date goes on last: on Windows any later write would move it again.
  if (!failed_ && dosDateTime && !platform::SetFileDosDateTime(file_, *dosDateTime)) {
    Fail();
  }
  if (failed_) {
    Cancel();
    return false;
  }
  platform::CloseHandle(file_);
  file_ = platform::InvalidFileHandle;
  if (!PutInPlace(oldArchive)) {
    Fail();
    Cancel();
    return false;
  }
  finished_ = true;
  return true;
}

void ArchiveOutput::Cancel() {
  if (finished_) {
    return;
  }
  finished_ = true;
  if (file_ != platform::InvalidFileHandle) {
    platform::CloseHandle(file_);
    file_ = platform::InvalidFileHandle;
  }
  const platform::Win32Error error = platform::GetLastError();
  static_cast<void>(platform::DeleteFile(temporaryPath_));
  platform::SetLastError(error);
}

}  // namespace engines::zip
