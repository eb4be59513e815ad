// Finding the end of central directory record (end record). It is looked for
// with at most two reads: the last 22 bytes (an archive without a comment), then
// the last 65557 bytes, searched backwards for the record's signature.
//
// Divisions: reading the file's start and end; the search; what a found record
// says about the bytes after it; what a missing record says about the file.
#include <algorithm>
#include <array>
#include <limits>
#include <optional>
#include <vector>

#include "zipbuilder/message_table.h"
#include "zipbuilder/zip_builder.h"

namespace zipbuilder {

namespace {

constexpr std::int64_t PaddingBlockSize = 512;

// The directory state keeps offsets in signed 32 bits, and a stated comment may
// end up to 65535 bytes beyond the file: larger files cannot be described.
constexpr std::int64_t LargestArchiveSize = std::numeric_limits<std::int32_t>::max() - LargestCommentLength;

// The first file of a spanned set starts with the data descriptor signature
// followed by the first local header.
[[nodiscard]] bool IsSpanMarked(platform::FileHandle file) {
  std::array<std::uint8_t, 8> start{};
  std::uint32_t bytesRead = 0;
  if (!platform::ReadFile(file, start.data(), static_cast<std::uint32_t>(start.size()), bytesRead) ||
      bytesRead < start.size()) {
    return false;
  }
  return ReadUint32(start, 0) == zip_signature::DataDescriptor && ReadUint32(start, 4) == zip_signature::LocalHeader;
}

// Reads exactly `destination.size()` bytes at `offset`; false when the seek or the read falls short.
[[nodiscard]] bool ReadExactlyAt(platform::FileHandle file, std::int64_t offset, std::span<std::uint8_t> destination,
                                 bool& seekFailed) {
  seekFailed = !platform::SetFilePointer(file, offset, platform::SeekOrigin::Begin, nullptr);
  if (seekFailed) {
    return false;
  }
  std::uint32_t bytesRead = 0;
  return platform::ReadFile(file, destination.data(), static_cast<std::uint32_t>(destination.size()), bytesRead) &&
         bytesRead == destination.size();
}

// The window position of the last end record signature that leaves room for the
// record's 22 bytes before the window's last byte; the position right at the
// end (window size - 22) was tried by the fast path already.
[[nodiscard]] std::optional<std::size_t> FindSignatureBackwards(std::span<const std::uint8_t> window) {
  if (window.size() < EndRecordSize + 1) {
    return std::nullopt;
  }
  for (std::size_t position = window.size() - EndRecordSize - 1;; --position) {
    if (window[position] == 'P' && window[position + 1] == 'K' && window[position + 2] == 5 &&
        window[position + 3] == 6) {
      return position;
    }
    if (position == 0) {
      return std::nullopt;
    }
  }
}

// The comment as a text: a zero byte ends it early.
[[nodiscard]] std::string CommentText(std::span<const std::uint8_t> bytes) {
  const auto end = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
  return std::string(bytes.begin(), end);
}

[[nodiscard]] bool AllZero(std::span<const std::uint8_t> bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t byte) { return byte == 0; });
}

// Writers that fill the last block of a file with zeros leave less than one
// block of them behind the comment, in a file of whole blocks.
[[nodiscard]] bool IsBlockPadding(std::int64_t fileSize, std::int64_t archiveEnd, std::span<const std::uint8_t> tail) {
  return archiveEnd < fileSize && fileSize - archiveEnd < PaddingBlockSize && fileSize % PaddingBlockSize == 0 &&
         AllZero(tail);
}

// Why no end record was found, by the marks the file and its disk carry.
[[nodiscard]] EZipBuilder NoEndRecordError(bool spanMarked, int labelDiskNumber) {
  if (!spanMarked && labelDiskNumber != 0) {
    return EZipBuilder(message_id::NthDiskOfSet, std::int64_t{labelDiskNumber});
  }
  if (spanMarked && labelDiskNumber == 1) {
    return EZipBuilder(message_id::FirstDiskOfSet, MessageDisplay::ShowBox);
  }
  if (spanMarked) {
    return EZipBuilder(message_id::FirstFileOfSet, MessageDisplay::ShowBox);
  }
  return EZipBuilder(message_id::NotAValidZip, MessageDisplay::ShowBox);
}

}  // namespace

// The disk number a "PKBACK# nnn" label carries, 0 for any other label.
int TZipBuilder::DiskNumberOfLabel() const {
  const std::string_view label = directory_.VolumeLabel;
  if (!label.starts_with(SpanLabelPrefix)) {
    return 0;
  }
  const std::string_view digits = label.substr(SpanLabelPrefix.size(), 3);
  if (digits.empty() || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return 0;
  }
  int number = 0;
  for (const char digit : digits) {
    number = number * 10 + (digit - '0');
  }
  return number;
}

bool TZipBuilder::LocateEndRecord(EndRecord& endRecord, EndRecordFailure failure) {
  directory_.RawComment.clear();
  directory_.EndRecordOffset = 0;
  directory_.ArchiveHandle = platform::CreateFile(directory_.WorkFileName, platform::FileAccess::Read,
                                                  platform::FileShare::Read, platform::FileCreation::OpenExisting);
  if (directory_.ArchiveHandle == platform::InvalidFileHandle) {
    if (failure == EndRecordFailure::Raise) {
      throw EZipBuilder(message_id::InputFileMissing, MessageDisplay::ShowBox);
    }
    ReportMessage(message_id::ZipFileNotOpened);
    return false;
  }
  const platform::FileHandle file = directory_.ArchiveHandle;
  const int labelDiskNumber = DiskNumberOfLabel();
  const bool spanMarked = IsSpanMarked(file);
  if (spanMarked) {
    directory_.Spanned = true;
  }

  std::int64_t fileSize = 0;
  if (!platform::GetFileSize(file, fileSize)) {
    if (failure == EndRecordFailure::ReturnFalse) {
      return false;
    }
    throw EZipBuilder(message_id::SeekError, MessageDisplay::ShowBox);
  }
  if (fileSize > LargestArchiveSize) {
    if (failure == EndRecordFailure::ReturnFalse) {
      return false;
    }
    throw EZipBuilder(message_id::NotAValidZip, MessageDisplay::ShowBox);
  }
  directory_.ArchiveFileSize = static_cast<std::int32_t>(fileSize);
  directory_.ArchiveEnd = static_cast<std::int32_t>(fileSize);

  // Fast path: most archives carry no comment and end with the record.
  bool seekFailed = false;
  if (fileSize >= static_cast<std::int64_t>(EndRecordSize) &&
      ReadExactlyAt(file, fileSize - static_cast<std::int64_t>(EndRecordSize), endRecord.Bytes, seekFailed) &&
      endRecord.HasSignature()) {
    directory_.EndRecordOffset = directory_.ArchiveEnd - static_cast<std::int32_t>(EndRecordSize);
    return true;
  }

  // A file shorter than an end record is searched like any other and found to
  // hold none: it is "not a valid Zip archive" (or the first file of a set), not
  // a file that could not be read.
  const std::size_t windowSize = static_cast<std::size_t>(std::min<std::int64_t>(fileSize, EndRecordSearchWindow));
  std::vector<std::uint8_t> window(windowSize);
  if (!ReadExactlyAt(file, fileSize - static_cast<std::int64_t>(windowSize), window, seekFailed)) {
    if (failure == EndRecordFailure::ReturnFalse) {
      return false;
    }
    throw EZipBuilder(seekFailed ? message_id::SeekError : message_id::EndRecordReadError, MessageDisplay::ShowBox);
  }
  const std::optional<std::size_t> position = FindSignatureBackwards(window);
  if (position) {
    AcceptSearchedEndRecord(window, *position, endRecord);
    return true;
  }
  if (failure == EndRecordFailure::ReturnFalse) {
    return false;
  }
  throw NoEndRecordError(spanMarked, labelDiskNumber);
}

// ArchiveEnd becomes the offset just past the comment the record states. Bytes
// behind that comment are garbage unless they are zero padding to a block, and a
// comment that runs past the end of the file is kept as far as it goes.
void TZipBuilder::AcceptSearchedEndRecord(std::span<const std::uint8_t> window, std::size_t position,
                                          EndRecord& endRecord) {
  const auto windowSize = static_cast<std::int64_t>(window.size());
  directory_.EndRecordOffset =
      static_cast<std::int32_t>(directory_.ArchiveEnd - windowSize + static_cast<std::int64_t>(position));
  std::copy_n(window.begin() + static_cast<std::ptrdiff_t>(position), EndRecordSize, endRecord.Bytes.begin());

  const std::size_t commentStart = position + EndRecordSize;
  const std::size_t commentLength = endRecord.CommentLength();
  const std::int64_t commentEndBeyondFile =
      static_cast<std::int64_t>(commentStart + commentLength) - windowSize;
  if (commentEndBeyondFile != 0) {
    directory_.ArchiveEnd = static_cast<std::int32_t>(directory_.ArchiveEnd + commentEndBeyondFile);
    const std::span<const std::uint8_t> tail = window.subspan(std::min(commentStart + commentLength, window.size()));
    if (!IsBlockPadding(directory_.ArchiveFileSize, directory_.ArchiveEnd, tail)) {
      ReportMessage(message_id::ListGarbageWarning);
    }
  }
  if (commentLength > 0) {
    const std::size_t presentLength = std::min(commentLength, window.size() - commentStart);
    directory_.RawComment = CommentText(window.subspan(commentStart, presentLength));
  }
}

}  // namespace zipbuilder
