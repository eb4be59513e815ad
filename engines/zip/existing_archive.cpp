#include "engines/zip/existing_archive.h"

#include <algorithm>
#include <array>
#include <utility>

#include "zipformat/little_endian.h"
#include "engines/shared/wildcard.h"

namespace engines::zip {

namespace zf = zipformat;

namespace {

constexpr std::uint32_t Zip64LocatorSignature = 0x07064B50;
constexpr std::size_t Zip64LocatorSize = 20;
constexpr std::uint16_t Zip64Count = 0xFFFF;

std::string TextOf(std::span<const std::byte> bytes) {
  return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

char Folded(char character) {
  if (character >= 'A' && character <= 'Z') {
    return static_cast<char>(character - 'A' + 'a');
  }
  return character == '\\' ? '/' : character;
}

}  // namespace

bool SameEntryName(std::string_view left, std::string_view right) {
  return std::equal(left.begin(), left.end(), right.begin(), right.end(),
                    [](char a, char b) { return Folded(a) == Folded(b); });
}

std::string_view DescribeArchiveProblem(ArchiveProblem problem) {
  switch (problem) {
    case ArchiveProblem::None:
      return "no problem";
    case ArchiveProblem::Unreadable:
      return "it cannot be opened or read";
    case ArchiveProblem::NotAnArchive:
      return "it is not a zip archive (no end of central directory record)";
    case ArchiveProblem::Spanned:
      return "it is part of a spanned archive";
    case ArchiveProblem::Zip64:
      return "it needs Zip64 extensions";
    case ArchiveProblem::Damaged:
      return "its central directory is damaged";
  }
  return "unknown problem";
}

ExistingArchive::~ExistingArchive() {
  if (file_ != platform::InvalidFileHandle) {
    platform::CloseHandle(file_);
  }
}

ExistingArchive::ExistingArchive(ExistingArchive&& other) noexcept
    : file_(std::exchange(other.file_, platform::InvalidFileHandle)),
      size_(other.size_),
      entries_(std::move(other.entries_)),
      prefixLength_(other.prefixLength_),
      comment_(std::move(other.comment_)) {}

std::optional<ExistingArchive> ExistingArchive::Open(std::string_view path, ArchiveProblem& problem) {
  ExistingArchive archive;
  archive.file_ = platform::CreateFile(path, platform::FileAccess::Read, platform::FileShare::Read,
                                       platform::FileCreation::OpenExisting);
  if (archive.file_ == platform::InvalidFileHandle || !platform::GetFileSize(archive.file_, archive.size_)) {
    problem = ArchiveProblem::Unreadable;
    return std::nullopt;
  }
  problem = archive.ReadDirectory();
  if (problem != ArchiveProblem::None) {
    return std::nullopt;
  }
  return archive;
}

bool ExistingArchive::ReadAt(std::int64_t position, std::span<std::byte> into) const {
  if (position < 0 || position + static_cast<std::int64_t>(into.size()) > size_ ||
      !platform::SetFilePointer(file_, position, platform::SeekOrigin::Begin, nullptr)) {
    return false;
  }
  std::uint32_t read = 0;
  return platform::ReadFile(file_, into.data(), static_cast<std::uint32_t>(into.size()), read) && read == into.size();
}

ArchiveProblem ExistingArchive::ReadDirectory() {
  const std::int64_t tailLength = std::min<std::int64_t>(size_, zf::EndRecordSearchWindow);
  std::vector<std::byte> tail(static_cast<std::size_t>(tailLength));
  if (!ReadAt(size_ - tailLength, tail)) {
    return ArchiveProblem::Unreadable;
  }
  const std::optional<std::size_t> found = zf::FindEndRecord(tail);
  if (!found) {
    return ArchiveProblem::NotAnArchive;
  }
  const std::optional<zf::EndRecord> end = zf::ParseEndRecord(std::span(tail).subspan(*found));
  const std::int64_t endPosition = size_ - tailLength + static_cast<std::int64_t>(*found);
  if (end->thisDisk != 0 || end->directoryDisk != 0 || end->entriesOnThisDisk != end->totalEntries) {
    return ArchiveProblem::Spanned;
  }
  const bool zip64Locator = *found >= Zip64LocatorSize &&
                            zipformat::ReadUint32(tail, *found - Zip64LocatorSize) == Zip64LocatorSignature;
  if (zip64Locator || end->totalEntries == Zip64Count || end->directoryOffset == zf::Zip64Marker) {
    return ArchiveProblem::Zip64;
  }
  const std::size_t commentRoom = tail.size() - *found - zf::EndRecordSize;
  comment_ = TextOf(std::span(tail).subspan(*found + zf::EndRecordSize, std::min<std::size_t>(end->commentLength, commentRoom)));
  const std::int64_t directoryStart = endPosition - end->directorySize;
  if (directoryStart < 0 || directoryStart < static_cast<std::int64_t>(end->directoryOffset)) {
    return ArchiveProblem::Damaged;
  }
  const std::int64_t displacement = directoryStart - end->directoryOffset;
  std::vector<std::byte> directory(end->directorySize);
  if (!ReadAt(directoryStart, directory)) {
    return ArchiveProblem::Unreadable;
  }
  std::span<const std::byte> rest(directory);
  prefixLength_ = directoryStart;
  for (std::uint16_t index = 0; index < end->totalEntries; ++index) {
    const std::optional<zf::CentralHeader> header = zf::ParseCentralHeader(rest);
    if (!header || rest.size() < zf::CentralHeaderSize + header->VariableLength()) {
      return ArchiveProblem::Damaged;
    }
    if (header->compressedSize == zf::Zip64Marker || header->uncompressedSize == zf::Zip64Marker ||
        header->localHeaderOffset == zf::Zip64Marker) {
      return ArchiveProblem::Zip64;
    }
    ExistingEntry entry;
    entry.header = *header;
    const std::span<const std::byte> variable = rest.subspan(zf::CentralHeaderSize);
    entry.name = TextOf(variable.first(header->nameLength));
    entry.extra = TextOf(variable.subspan(header->nameLength, header->extraLength));
    entry.comment = TextOf(variable.subspan(header->nameLength + header->extraLength, header->commentLength));
    entry.localHeaderPosition = displacement + header->localHeaderOffset;
    if (!MeasureEntry(entry, directoryStart)) {
      return ArchiveProblem::Damaged;
    }
    prefixLength_ = std::min(prefixLength_, entry.localHeaderPosition);
    entries_.push_back(std::move(entry));
    rest = rest.subspan(zf::CentralHeaderSize + header->VariableLength());
  }
  return ArchiveProblem::None;
}

// The entry's length from its local header to the end of its data descriptor, if
// it has one (with or without the descriptor's optional signature).
bool ExistingArchive::MeasureEntry(ExistingEntry& entry, std::int64_t directoryStart) const {
  std::array<std::byte, zf::LocalHeaderSize> fixed{};
  if (!ReadAt(entry.localHeaderPosition, fixed)) {
    return false;
  }
  const std::optional<zf::LocalHeader> local = zf::ParseLocalHeader(fixed);
  if (!local) {
    return false;
  }
  std::int64_t length = static_cast<std::int64_t>(zf::LocalHeaderSize + local->VariableLength()) +
                        entry.header.compressedSize;
  if ((entry.header.flags & zf::general_flag::DataDescriptor) != 0) {
    std::array<std::byte, 4> signature{};
    const bool hasSignature = ReadAt(entry.localHeaderPosition + length, signature) &&
                         zipformat::ReadUint32(signature, 0) == zf::DataDescriptorSignature;
    length += hasSignature ? static_cast<std::int64_t>(zf::DataDescriptorSize) : 12;
  }
  entry.storedLength = length;
  return entry.localHeaderPosition + length <= directoryStart;
}

}  // namespace engines::zip
