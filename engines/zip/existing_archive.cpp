#include "engines/zip/existing_archive.h"

#include <algorithm>
#include <utility>

#include "engines/shared/wildcard.h"
#include "zipformat/local_entry.h"

namespace engines::zip {

namespace zf = zipformat;

namespace {

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

std::optional<ExistingArchive> ExistingArchive::Open(std::string_view path, zf::DirectoryProblem& problem) {
  ExistingArchive archive;
  archive.file_ = platform::CreateFile(path, platform::FileAccess::Read, platform::FileShare::Read,
                                       platform::FileCreation::OpenExisting);
  if (archive.file_ == platform::InvalidFileHandle || !platform::GetFileSize(archive.file_, archive.size_)) {
    problem = zf::DirectoryProblem::Unreadable;
    return std::nullopt;
  }
  problem = archive.ReadDirectory();
  if (problem != zf::DirectoryProblem::None) {
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

zf::ReadAtFunction ExistingArchive::Reader() const {
  return zf::FromExactReader(size_, [this](std::int64_t position, std::span<std::byte> into) {
    return ReadAt(position, into);
  });
}

zf::DirectoryProblem ExistingArchive::ReadDirectory() {
  zf::DirectoryReading reading = zf::ReadSingleDiskDirectory(size_, Reader());
  if (reading.problem != zf::DirectoryProblem::None) {
    return reading.problem;
  }
  zf::SingleDiskDirectory& directory = reading.directory;
  // A rewrite would lose what the Zip64 records say.
  if (directory.hasZip64Locator) {
    return zf::DirectoryProblem::Zip64;
  }
  // Offsets beyond where the directory was found: bytes went missing in front.
  if (directory.placement.Displacement() < 0) {
    return zf::DirectoryProblem::Damaged;
  }
  comment_ = std::move(directory.end.comment);
  return TakeEntries(directory);
}

zf::DirectoryProblem ExistingArchive::TakeEntries(zf::SingleDiskDirectory& directory) {
  zf::PrefixMeasure prefix(directory.end.archiveEnd);
  entries_.reserve(directory.entries.size());
  for (zf::DirectoryEntry& stored : directory.entries) {
    if (zf::UsesZip64Markers(stored.header)) {
      return zf::DirectoryProblem::Zip64;
    }
    ExistingEntry entry;
    entry.header = stored.header;
    entry.name = std::move(stored.name);
    entry.extra = std::move(stored.extra);
    entry.comment = std::move(stored.comment);
    entry.localHeaderPosition = directory.placement.Displacement() + stored.header.localHeaderOffset;
    if (!MeasureEntry(entry, directory.placement.start)) {
      return zf::DirectoryProblem::Damaged;
    }
    prefix.NoteLocalHeaderOffset(stored.header.localHeaderOffset);
    entries_.push_back(std::move(entry));
  }
  prefixLength_ = prefix.Result(directory.placement);
  return zf::DirectoryProblem::None;
}

// The entry's length from its local header to the end of its data descriptor, if
// it has one; it must end before the directory begins.
bool ExistingArchive::MeasureEntry(ExistingEntry& entry, std::int64_t directoryStart) const {
  const zf::ReadAtFunction readAt = Reader();
  const std::optional<zf::LocalEntry> local = zf::ReadLocalEntry(readAt, entry.localHeaderPosition, entry.header);
  if (!local) {
    return false;
  }
  entry.storedLength = zf::MeasureStoredLength(readAt, *local, entry.header);
  return entry.localHeaderPosition + entry.storedLength <= directoryStart;
}

}  // namespace engines::zip
