#include "engines/unzip/archive_reader.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace engines::unzip {

namespace {

// Reads up to this size go through the window, which is read this large.
constexpr std::int64_t ReadAheadLimit = 64 * 1024;
constexpr std::int64_t ReadAheadWindow = 256 * 1024;

}  // namespace

ArchiveFile::~ArchiveFile() {
  if (handle_ != platform::InvalidFileHandle) {
    platform::CloseHandle(handle_);
  }
}

ArchiveFile::ArchiveFile(ArchiveFile&& other) noexcept
    : handle_(std::exchange(other.handle_, platform::InvalidFileHandle)),
      size_(other.size_),
      window_(std::move(other.window_)),
      windowStart_(other.windowStart_) {}

ArchiveFile& ArchiveFile::operator=(ArchiveFile&& other) noexcept {
  std::swap(handle_, other.handle_);
  std::swap(size_, other.size_);
  std::swap(window_, other.window_);
  std::swap(windowStart_, other.windowStart_);
  return *this;
}

std::optional<ArchiveFile> ArchiveFile::Open(std::string_view path) {
  ArchiveFile archive;
  archive.handle_ = platform::CreateFile(path, platform::FileAccess::Read, platform::FileShare::Read,
                                         platform::FileCreation::OpenExisting);
  if (archive.handle_ == platform::InvalidFileHandle || !platform::GetFileSize(archive.handle_, archive.size_)) {
    return std::nullopt;
  }
  return archive;
}

bool ArchiveFile::ReadAt(std::int64_t offset, std::span<std::byte> into) const {
  if (offset < 0 || offset + static_cast<std::int64_t>(into.size()) > size_) {
    return false;
  }
  const auto length = static_cast<std::int64_t>(into.size());
  const auto inWindow = [&] {
    return offset >= windowStart_ && offset + length <= windowStart_ + static_cast<std::int64_t>(window_.size());
  };
  if (!inWindow() && length <= ReadAheadLimit) {
    window_.resize(static_cast<std::size_t>(std::min(ReadAheadWindow, size_ - offset)));
    windowStart_ = offset;
    if (!ReadFromFile(offset, window_)) {
      window_.clear();
      return false;
    }
  }
  if (inWindow()) {
    if (!into.empty()) {
      std::memcpy(into.data(), window_.data() + (offset - windowStart_), into.size());
    }
    return true;
  }
  return ReadFromFile(offset, into);
}

bool ArchiveFile::ReadFromFile(std::int64_t offset, std::span<std::byte> into) const {
  if (!platform::SetFilePointer(handle_, offset, platform::SeekOrigin::Begin, nullptr)) {
    return false;
  }
  constexpr std::size_t largestRead = 1u << 30;
  while (!into.empty()) {
    const auto wanted = static_cast<std::uint32_t>(std::min(into.size(), largestRead));
    std::uint32_t got = 0;
    if (!platform::ReadFile(handle_, into.data(), wanted, got) || got != wanted) {
      return false;
    }
    into = into.subspan(got);
  }
  return true;
}

zipformat::ReadAtFunction ArchiveFile::Reader() const {
  return zipformat::FromExactReader(size_, [this](std::int64_t offset, std::span<std::byte> into) {
    return ReadAt(offset, into);
  });
}

std::optional<CentralDirectory> ReadCentralDirectory(const ArchiveFile& archive,
                                                     zipformat::DirectoryProblem& problem) {
  zipformat::DirectoryReading reading = zipformat::ReadSingleDiskDirectory(archive.Size(), archive.Reader());
  problem = reading.problem;
  if (problem != zipformat::DirectoryProblem::None) {
    return std::nullopt;
  }
  return std::move(reading.directory);
}

std::optional<zipformat::LocalEntry> LocateEntryData(const ArchiveFile& archive, const CentralDirectory& directory,
                                                     const ArchiveEntry& entry) {
  const std::int64_t headerOffset = entry.header.localHeaderOffset + directory.placement.Displacement();
  std::optional<zipformat::LocalEntry> local = zipformat::ReadLocalEntry(archive.Reader(), headerOffset, entry.header);
  if (!local || local->dataEnd > archive.Size()) {
    return std::nullopt;
  }
  return local;
}

}  // namespace engines::unzip
