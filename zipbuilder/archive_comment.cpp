// Writing ArchiveComment: the end record is rewritten in place with the new
// comment length, the comment goes behind it and the file ends there. Should the
// rewrite stop half-way, the directory is read again so that the component's
// state describes the file as it now is.
#include <array>
#include <new>
#include <optional>

#include "zipbuilder/message_table.h"
#include "zipbuilder/scoped_file.h"
#include "zipbuilder/zip_builder.h"

namespace zipbuilder {

namespace {

// How far the rewrite got: only a rewrite that began and did not finish leaves
// the file different from what the last List read.
enum class RewriteProgress : std::uint8_t { Untouched, Changing, Finished };

[[nodiscard]] ScopedFile OpenArchiveForRewrite(const std::string& fileName) {
  if (fileName.empty()) {
    throw EZipBuilder(message_id::InputFileMissing, MessageDisplay::ShowBox);
  }
  ScopedFile archive(platform::CreateFile(fileName, platform::FileAccess::ReadWrite, platform::FileShare::Read,
                                          platform::FileCreation::OpenExisting));
  if (!archive.IsOpen()) {
    throw EZipBuilder(message_id::ZipFileNotOpened, MessageDisplay::ShowBox);
  }
  return archive;
}

// The 22 bytes found at `endRecordOffset`, which must still be an end record.
[[nodiscard]] EndRecord ReadEndRecordAt(platform::FileHandle archive, std::int64_t endRecordOffset) {
  if (!platform::SetFilePointer(archive, endRecordOffset, platform::SeekOrigin::Begin, nullptr)) {
    throw EZipBuilder(message_id::SeekError, MessageDisplay::ShowBox);
  }
  std::array<std::byte, EndRecordSize> bytes{};
  std::uint32_t bytesRead = 0;
  std::optional<EndRecord> endRecord;
  if (platform::ReadFile(archive, bytes.data(), EndRecordSize, bytesRead) && bytesRead == EndRecordSize) {
    endRecord = zipformat::ParseEndRecord(bytes);
  }
  if (!endRecord) {
    throw EZipBuilder(message_id::EndRecordReadError, MessageDisplay::ShowBox);
  }
  return *endRecord;
}

[[nodiscard]] bool WriteAll(platform::FileHandle file, const void* data, std::size_t size) {
  std::uint32_t bytesWritten = 0;
  return platform::WriteFile(file, data, static_cast<std::uint32_t>(size), bytesWritten) && bytesWritten == size;
}

void RewriteEndRecord(platform::FileHandle archive, std::int64_t endRecordOffset, const std::string& comment,
                      RewriteProgress& progress) {
  EndRecord endRecord = ReadEndRecordAt(archive, endRecordOffset);
  endRecord.commentLength = static_cast<std::uint16_t>(comment.size());
  std::array<std::byte, EndRecordSize> bytes{};
  zipformat::WriteEndRecord(bytes, endRecord);
  if (!platform::SetFilePointer(archive, -static_cast<std::int64_t>(EndRecordSize), platform::SeekOrigin::Current,
                                nullptr)) {
    throw EZipBuilder(message_id::SeekError, MessageDisplay::ShowBox);
  }
  progress = RewriteProgress::Changing;
  if (!WriteAll(archive, bytes.data(), EndRecordSize)) {
    throw EZipBuilder(message_id::EndRecordWriteError, MessageDisplay::ShowBox);
  }
  // Until the old comment's tail is cut off the file is not what List would read
  // back from the new end record.
  if ((!comment.empty() && !WriteAll(archive, comment.data(), comment.size())) || !platform::SetEndOfFile(archive)) {
    throw EZipBuilder(message_id::WriteError, MessageDisplay::ShowBox);
  }
  progress = RewriteProgress::Finished;
}

}  // namespace

void TZipBuilder::SetArchiveComment(std::string_view comment) {
  RewriteProgress progress = RewriteProgress::Untouched;
  try {
    directory_.RawComment = comment.empty() ? std::string() : OemAnsiConvert(comment, CodePageDirection::ToOem);
    if (directory_.RawComment.size() > zipformat::MaximumCommentLength) {
      // The record's length field has 16 bits; a longer comment would be cut
      // or, worse, stored with a length that wrapped.
      directory_.RawComment.clear();
      ReportMessage(message_id::EndRecordWriteError, "\nThe comment is longer than 65535 bytes.");
      return;
    }
    ScopedFile archive = OpenArchiveForRewrite(zipFileName_);
    RewriteEndRecord(archive.Get(), directory_.EndRecordOffset, directory_.RawComment, progress);
    if (!archive.Close()) {
      progress = RewriteProgress::Changing;
      throw EZipBuilder(message_id::WriteError, MessageDisplay::ShowBox);
    }
    // The archive now ends with the comment; the state says so without a new List.
    directory_.ArchiveEnd = directory_.EndRecordOffset + static_cast<std::int32_t>(EndRecordSize) +
                            static_cast<std::int32_t>(directory_.RawComment.size());
    directory_.ArchiveFileSize = directory_.ArchiveEnd;
  } catch (const EZipBuilder& error) {
    ReportZipError(error);
    directory_.RawComment.clear();
  } catch (const std::bad_alloc&) {
    ReportMessage(message_id::MemoryNotAvailable);
    directory_.RawComment.clear();
  }
  if (progress == RewriteProgress::Changing) {
    List();
  }
}

}  // namespace zipbuilder
