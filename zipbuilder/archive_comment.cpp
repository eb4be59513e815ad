// ArchiveComment. Reading it converts the comment as stored to ANSI when the code
// page rule asks for it.
//
// Writing it: the archive is copied up to its end record into a safe
// save, followed by the end record with the new comment length and the comment,
// and the copy replaces the archive in one move. The archive is never half
// changed: after any failure it is exactly as it was, and so is the component's
// state (the old comment stays; no new List is needed).
#include <array>
#include <new>
#include <optional>
#include <span>
#include <utility>

#include "platform/safe_save.h"
#include "zipbuilder/message_table.h"
#include "zipbuilder/scoped_file.h"
#include "zipbuilder/zip_builder.h"

namespace zipbuilder {

namespace {

// An archive is flushed to the device before it replaces the old one. A comment
// change sends nothing to the recycle bin: the archive's entries are the same.
constexpr platform::SaveOptions CommentSaveOptions{platform::SaveDurability::FlushToDevice, {}, "~zb"};

// Read and written with other writers denied, so that a read-only or locked
// archive fails here, before anything is written.
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

// The archive with `comment` behind its end record, complete under a temporary
// name and ready to be committed.
[[nodiscard]] platform::SafeSave CopyWithComment(platform::FileHandle archive, const std::string& fileName,
                                                 std::int64_t endRecordOffset, const std::string& comment) {
  EndRecord endRecord = ReadEndRecordAt(archive, endRecordOffset);
  endRecord.commentLength = static_cast<std::uint16_t>(comment.size());
  if (!platform::SetFilePointer(archive, 0, platform::SeekOrigin::Begin, nullptr)) {
    throw EZipBuilder(message_id::SeekError, MessageDisplay::ShowBox);
  }
  std::optional<platform::SafeSave> copy = platform::SafeSave::Create(fileName, CommentSaveOptions);
  if (!copy) {
    throw EZipBuilder(message_id::TemporaryFileNotCreated, MessageDisplay::ShowBox);
  }
  // The entries and the directory, byte for byte; a failure here is a write error
  // of the output as well as one of the comment.
  if (!copy->AppendFrom(archive, endRecordOffset)) {
    throw EZipBuilder(message_id::WriteError, MessageDisplay::ShowBox);
  }
  std::array<std::byte, EndRecordSize> endRecordBytes{};
  zipformat::WriteEndRecord(endRecordBytes, endRecord);
  if (!copy->Write(endRecordBytes)) {
    throw EZipBuilder(message_id::EndRecordWriteError, MessageDisplay::ShowBox);
  }
  if (!copy->Write(std::as_bytes(std::span(comment.data(), comment.size())))) {
    throw EZipBuilder(message_id::WriteError, MessageDisplay::ShowBox);
  }
  return std::move(*copy);
}

}  // namespace

std::string TZipBuilder::ArchiveComment() const {
  return OemAnsiConvert(directory_.RawComment, CodePageDirection::ToAnsi);
}

void TZipBuilder::SetArchiveComment(std::string_view comment) {
  try {
    const std::string rawComment = comment.empty() ? std::string() : OemAnsiConvert(comment, CodePageDirection::ToOem);
    if (rawComment.size() > zipformat::MaximumCommentLength) {
      // The record's length field has 16 bits; a longer comment would be cut
      // or, worse, stored with a length that wrapped.
      ReportMessage(message_id::EndRecordWriteError, "\nThe comment is longer than 65535 bytes.");
      return;
    }
    if (zipFileName_.empty()) {
      // No archive: no comment either.
      directory_.RawComment.clear();
    }
    ScopedFile archive = OpenArchiveForRewrite(zipFileName_);
    platform::SafeSave copy = CopyWithComment(archive.Get(), zipFileName_, directory_.EndRecordOffset, rawComment);
    // Only read from: its close loses nothing. It must be closed before the
    // copy can take its name.
    static_cast<void>(archive.Close());
    const bool committed = copy.Commit(platform::CommitMode::ReplaceTarget);
    if (committed || copy.State() == platform::SaveState::PlacedNotDurable) {
      // The archive now ends with the comment; the state says so without a new List.
      directory_.RawComment = rawComment;
      directory_.ArchiveEnd = directory_.EndRecordOffset + static_cast<std::int32_t>(EndRecordSize) +
                              static_cast<std::int32_t>(rawComment.size());
      directory_.ArchiveFileSize = directory_.ArchiveEnd;
    }
    if (!committed) {
      throw EZipBuilder(message_id::WriteError, MessageDisplay::ShowBox);
    }
  } catch (const EZipBuilder& error) {
    ReportZipError(error);
  } catch (const std::bad_alloc&) {
    ReportMessage(message_id::MemoryNotAvailable);
  }
}

}  // namespace zipbuilder
