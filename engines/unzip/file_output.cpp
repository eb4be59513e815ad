#include "engines/unzip/file_output.h"

#include <algorithm>
#include <cstdio>

#include "engines/unzip/destination_tree.h"

namespace engines::unzip {

namespace {

// Names already taken by someone else are skipped; this many tries find a free one
// in any folder that is not being filled with our temporary names on purpose.
constexpr std::uint32_t NameAttempts = 100;
constexpr std::size_t LargestWrite = 1u << 30;

std::string TemporaryName(std::uint32_t number) {
  char name[24] = {};
  std::snprintf(name, sizeof name, "~unz%08X.tmp", number);
  return name;
}

}  // namespace

SafeFileOutput::SafeFileOutput(std::string temporaryPath, std::string destination, platform::FileHandle handle)
    : temporaryPath_(std::move(temporaryPath)), destination_(std::move(destination)), handle_(handle) {}

std::unique_ptr<SafeFileOutput> SafeFileOutput::Create(const std::string& folder, std::string destination,
                                                       std::uint32_t seed) {
  for (std::uint32_t attempt = 0; attempt < NameAttempts; ++attempt) {
    std::string path = JoinFolderAndName(folder, TemporaryName(seed + attempt * 0x9E3779B9u));
    const platform::FileHandle handle = platform::CreateFile(path, platform::FileAccess::Write,
                                                             platform::FileShare::None,
                                                             platform::FileCreation::CreateNew);
    if (handle != platform::InvalidFileHandle) {
      return std::unique_ptr<SafeFileOutput>(new SafeFileOutput(std::move(path), std::move(destination), handle));
    }
    if (platform::GetLastError() != platform::win32_error::FileExists &&
        platform::GetLastError() != platform::win32_error::AlreadyExists) {
      return nullptr;
    }
  }
  return nullptr;
}

SafeFileOutput::~SafeFileOutput() {
  if (!finished_) {
    Discard();
  }
}

void SafeFileOutput::Discard() {
  const platform::Win32Error cause = platform::GetLastError();
  platform::CloseHandle(handle_);
  // Best effort: the file is ours, and a failure here must not hide the cause.
  static_cast<void>(platform::DeleteFile(temporaryPath_));
  platform::SetLastError(cause);
  finished_ = true;
}

bool SafeFileOutput::Write(std::span<const std::byte> bytes) {
  while (!bytes.empty()) {
    const auto count = static_cast<std::uint32_t>(std::min(bytes.size(), LargestWrite));
    std::uint32_t written = 0;
    if (!platform::WriteFile(handle_, bytes.data(), count, written) || written != count) {
      if (platform::GetLastError() == platform::win32_error::Success) {
        platform::SetLastError(platform::win32_error::DiskFull);
      }
      return false;
    }
    bytes = bytes.subspan(count);
  }
  return true;
}

bool SafeFileOutput::Commit(std::uint32_t dosDateTime) {
  // A date the file system refuses (a zero DOS date, say) leaves the file dated now.
  static_cast<void>(platform::SetFileDosDateTime(handle_, dosDateTime));
  const bool closed = platform::CloseHandle(handle_);
  handle_ = platform::InvalidFileHandle;
  if (!closed || !platform::MoveFile(temporaryPath_, destination_, platform::MoveMode::ReplaceExisting)) {
    const platform::Win32Error cause = platform::GetLastError();
    static_cast<void>(platform::DeleteFile(temporaryPath_));
    platform::SetLastError(cause);
    finished_ = true;
    return false;
  }
  finished_ = true;
  return true;
}

}  // namespace engines::unzip
