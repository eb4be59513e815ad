#include "engines/unzip/archive_reader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

namespace engines::unzip {

namespace zf = zipformat;

namespace {

// A central directory larger than this is not one this engine will hold in memory
// (it would describe millions of entries).
constexpr std::uint32_t LargestDirectory = 256u * 1024 * 1024;
constexpr std::uint16_t Zip64EntryCountMarker = 0xFFFF;
// Reads up to this size go through the window, which is read this large.
constexpr std::int64_t ReadAheadLimit = 64 * 1024;
constexpr std::int64_t ReadAheadWindow = 256 * 1024;

std::string TextAt(std::span<const std::byte> bytes, std::size_t offset, std::size_t length) {
  return std::string(reinterpret_cast<const char*>(bytes.data()) + offset, length);
}

struct EndRecordAt {
  zf::EndRecord record;
  std::int64_t offset = 0;
};

std::optional<EndRecordAt> FindEndRecord(const ArchiveFile& archive) {
  const std::int64_t windowSize = std::min<std::int64_t>(archive.Size(), zf::EndRecordSearchWindow);
  std::vector<std::byte> window(static_cast<std::size_t>(windowSize));
  const std::int64_t windowStart = archive.Size() - windowSize;
  if (!archive.ReadAt(windowStart, window)) {
    return std::nullopt;
  }
  const std::optional<std::size_t> position = zf::FindEndRecord(window);
  if (!position) {
    return std::nullopt;
  }
  return EndRecordAt{*zf::ParseEndRecord(std::span(window).subspan(*position)),
                     windowStart + static_cast<std::int64_t>(*position)};
}

bool IsZip64(const zf::EndRecord& record) {
  return record.totalEntries == Zip64EntryCountMarker || record.directoryOffset == zf::Zip64Marker ||
         record.directorySize == zf::Zip64Marker;
}

std::optional<std::vector<ArchiveEntry>> ParseEntries(std::span<const std::byte> bytes, std::uint16_t expected) {
  std::vector<ArchiveEntry> entries;
  entries.reserve(expected);
  std::size_t offset = 0;
  while (entries.size() < expected) {
    const std::optional<zf::CentralHeader> header = zf::ParseCentralHeader(bytes.subspan(offset));
    if (!header || offset + zf::CentralHeaderSize + header->VariableLength() > bytes.size()) {
      return std::nullopt;
    }
    const std::size_t nameStart = offset + zf::CentralHeaderSize;
    const std::size_t commentStart = nameStart + header->nameLength + header->extraLength;
    ArchiveEntry entry;
    entry.index = static_cast<std::uint32_t>(entries.size());
    entry.header = *header;
    entry.rawName = TextAt(bytes, nameStart, header->nameLength);
    entry.rawComment = TextAt(bytes, commentStart, header->commentLength);
    entries.push_back(std::move(entry));
    offset = commentStart + header->commentLength;
  }
  return entries;
}

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

std::optional<CentralDirectory> ReadCentralDirectory(const ArchiveFile& archive, DirectoryProblem& problem) {
  problem = DirectoryProblem::None;
  const std::optional<EndRecordAt> end = FindEndRecord(archive);
  if (!end) {
    problem = DirectoryProblem::NoEndRecord;
    return std::nullopt;
  }
  if (end->record.thisDisk != 0 || end->record.directoryDisk != 0) {
    problem = DirectoryProblem::Spanned;
    return std::nullopt;
  }
  if (IsZip64(end->record)) {
    problem = DirectoryProblem::Zip64;
    return std::nullopt;
  }
  if (end->record.directorySize > LargestDirectory) {
    problem = DirectoryProblem::Damaged;
    return std::nullopt;
  }
  // The directory ends where the end record starts; where it was written to start
  // tells how far the archive has moved since (a stub put in front of it).
  CentralDirectory directory;
  std::int64_t start = end->offset - end->record.directorySize;
  if (start < 0) {
    start = end->record.directoryOffset;
  } else {
    directory.displacement = start - end->record.directoryOffset;
  }
  std::vector<std::byte> bytes(end->record.directorySize);
  if (!archive.ReadAt(start, bytes)) {
    problem = DirectoryProblem::Unreadable;
    return std::nullopt;
  }
  std::optional<std::vector<ArchiveEntry>> entries = ParseEntries(bytes, end->record.totalEntries);
  if (!entries) {
    problem = DirectoryProblem::Damaged;
    return std::nullopt;
  }
  directory.entries = std::move(*entries);
  return directory;
}

std::string_view DescribeDirectoryProblem(DirectoryProblem problem) {
  switch (problem) {
    case DirectoryProblem::None:
      return "no problem";
    case DirectoryProblem::NoEndRecord:
      return "it is not a zip archive (no end of central directory record)";
    case DirectoryProblem::Spanned:
      return "it is one part of an archive spanned over several disks or files";
    case DirectoryProblem::Zip64:
      return "it is a Zip64 archive, which this engine does not read";
    case DirectoryProblem::Unreadable:
      return "its central directory cannot be read";
    case DirectoryProblem::Damaged:
      return "its central directory is damaged";
  }
  return "unknown problem";
}

std::optional<EntryData> LocateEntryData(const ArchiveFile& archive, const CentralDirectory& directory,
                                         const ArchiveEntry& entry) {
  const std::int64_t headerOffset = entry.header.localHeaderOffset + directory.displacement;
  std::array<std::byte, zf::LocalHeaderSize> bytes{};
  if (!archive.ReadAt(headerOffset, bytes)) {
    return std::nullopt;
  }
  const std::optional<zf::LocalHeader> local = zf::ParseLocalHeader(bytes);
  if (!local) {
    return std::nullopt;
  }
  EntryData data;
  data.localHeader = *local;
  data.offset = headerOffset + static_cast<std::int64_t>(zf::LocalHeaderSize + local->VariableLength());
  if (data.offset + entry.header.compressedSize > archive.Size()) {
    return std::nullopt;
  }
  return data;
}

}  // namespace engines::unzip
