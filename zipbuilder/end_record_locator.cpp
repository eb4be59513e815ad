// Finding the end of central directory record (end record). The search itself,
// with at most two reads, is the zip format core's; here the file is opened and
// read for it, and what it found becomes directory state and messages.
//
// Divisions: reading the file's start; the search and its outcome; what a found
// record says about the bytes after it; what a missing record says about the file.
#include <array>
#include <limits>

#include "zipbuilder/file_read_at.h"
#include "zipbuilder/message_table.h"
#include "zipbuilder/zip_builder.h"
#include "zipformat/end_record_search.h"

namespace zipbuilder {

namespace {

// The directory state keeps offsets in signed 32 bits, and a stated comment may
// end up to 65535 bytes beyond the file: larger files cannot be described.
constexpr std::int64_t LargestArchiveSize =
    std::numeric_limits<std::int32_t>::max() - static_cast<std::int64_t>(zipformat::MaximumCommentLength);

[[nodiscard]] bool IsSpanMarked(const zipformat::ReadAtFunction& readAt) {
  std::array<std::byte, zipformat::SpanMarkSize> start{};
  return zipformat::ReadExactly(readAt, 0, start) && zipformat::IsSpanMarked(start);
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
  const zipformat::ReadAtFunction readAt = ReadAtOf(file);
  const int labelDiskNumber = zipformat::DiskNumberOfLabel(directory_.VolumeLabel);
  const bool spanMarked = IsSpanMarked(readAt);
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

  // A file shorter than an end record is searched like any other and found to
  // hold none: it is "not a valid Zip archive" (or the first file of a set), not
  // a file that could not be read.
  const zipformat::EndRecordSearch search = zipformat::LocateEndRecord(fileSize, readAt);
  if (search.outcome == zipformat::EndRecordOutcome::Found) {
    AcceptEndRecord(search.located, endRecord);
    return true;
  }
  if (failure == EndRecordFailure::ReturnFalse) {
    return false;
  }
  switch (search.outcome) {
    case zipformat::EndRecordOutcome::SeekFailed:
      throw EZipBuilder(message_id::SeekError, MessageDisplay::ShowBox);
    case zipformat::EndRecordOutcome::ShortRead:
      throw EZipBuilder(message_id::EndRecordReadError, MessageDisplay::ShowBox);
    case zipformat::EndRecordOutcome::Found:
    case zipformat::EndRecordOutcome::NotFound:
      break;
  }
  throw NoEndRecordError(spanMarked, labelDiskNumber);
}

// ArchiveEnd becomes the offset just past the comment the record states. Bytes
// behind that comment are garbage unless they are zero padding to a block, and a
// comment that runs past the end of the file is kept as far as it goes. A record
// found by the fast path is taken without a look at its comment length.
void TZipBuilder::AcceptEndRecord(const zipformat::LocatedEndRecord& located, EndRecord& endRecord) {
  endRecord = located.record;
  directory_.EndRecordOffset = static_cast<std::int32_t>(located.offset);
  directory_.ArchiveEnd = static_cast<std::int32_t>(located.archiveEnd);
  if (located.trailing == zipformat::TrailingBytes::Garbage ||
      located.trailing == zipformat::TrailingBytes::CommentCutShort) {
    ReportMessage(message_id::ListGarbageWarning);
  }
  directory_.RawComment = std::string(located.CommentText());
}

}  // namespace zipbuilder
