// The shared routines of the operations that rewrite an archive without an
// engine (Rename, CopyZippedFiles): reading the archive whole, writing the new
// one through a safe save, copying entries as they are stored, and writing the
// new central directory and end record.
//
// Divisions: reading the source; names; the output and its replacement; entries;
// the directory; running an operation and reporting what it raised.
#include "zipbuilder/archive_rewrite.h"

#include <algorithm>
#include <array>
#include <new>
#include <vector>

#include "platform/safe_save.h"
#include "platform/text.h"
#include "zipbuilder/file_read_at.h"
#include "zipbuilder/message_table.h"
#include "zipbuilder/oem_ansi_convert.h"
#include "zipbuilder/path_text.h"
#include "zipbuilder/zip_builder.h"
#include "zipformat/local_entry.h"
#include "zipformat/records.h"
#include "zipformat/text_encoding.h"

namespace zipbuilder {

namespace {

// A rewritten archive is flushed to the device before it replaces the old one:
// the old one may be the only copy of its entries.
constexpr std::string_view RewriteTemporaryPrefix = "~zb";
// Entry data is copied by the platform (inside the kernel where it can) in pieces
// large enough that a rewrite costs about what a file copy does, and small enough
// for a moving progress bar.
constexpr std::int64_t DataCopyPieceSize = std::int64_t{4} << 20;

// Offsets and sizes of an archive without Zip64 records.
constexpr std::int64_t LargestOffset = 0xFFFFFFFF;
constexpr std::size_t MostEntries = 0xFFFF;

[[nodiscard]] std::span<const std::byte> BytesOf(std::string_view text) {
  return std::as_bytes(std::span(text.data(), text.size()));
}

[[nodiscard]] EZipBuilder ProblemError(zipformat::DirectoryProblem problem) {
  switch (problem) {
    case zipformat::DirectoryProblem::Spanned:
      return EZipBuilder(message_id::RenameSpannedNotImplemented, MessageDisplay::ShowBox);
    case zipformat::DirectoryProblem::NoEndRecord:
      return EZipBuilder(message_id::NotAValidZip, MessageDisplay::ShowBox);
    case zipformat::DirectoryProblem::Unreadable:
      return EZipBuilder(message_id::EndRecordReadError, MessageDisplay::ShowBox);
    case zipformat::DirectoryProblem::Zip64:
      return EZipBuilder(message_id::RewriteUnknownError, MessageDisplay::ShowBox,
                         zipformat::DescribeDirectoryProblem(problem));
    case zipformat::DirectoryProblem::None:
    case zipformat::DirectoryProblem::Damaged:
      break;
  }
  return EZipBuilder(message_id::CentralHeaderSignatureWrong, MessageDisplay::ShowBox);
}

[[nodiscard]] zipformat::StoredTextEncoding EncodingOf(const zipformat::DirectoryEntry& entry, CPOpts codePage) {
  return zipformat::EncodingOfStoredText(CodePageChoiceOf(codePage), entry.header.hostSystem,
                                         entry.header.versionMadeBy, entry.header.flags);
}

[[nodiscard]] char FoldAsciiCase(char letter) {
  return letter >= 'a' && letter <= 'z' ? static_cast<char>(letter - 'a' + 'A') : letter;
}

}  // namespace

// ---------------------------------------------------------------------------
// Reading the source

ScopedFile OpenForReading(const std::string& fileName) {
  return ScopedFile(platform::CreateFile(fileName, platform::FileAccess::Read, platform::FileShare::Read,
                                         platform::FileCreation::OpenExisting));
}

RewriteSource ReadRewriteSource(platform::FileHandle file) {
  std::int64_t fileSize = 0;
  if (!platform::GetFileSize(file, fileSize)) {
    throw EZipBuilder(message_id::SeekError, MessageDisplay::ShowBox);
  }
  zipformat::DirectoryReading reading = zipformat::ReadSingleDiskDirectory(fileSize, ReadAtOf(file));
  if (reading.problem != zipformat::DirectoryProblem::None) {
    throw ProblemError(reading.problem);
  }
  RewriteSource source;
  source.Directory = std::move(reading.directory);
  zipformat::PrefixMeasure prefix(source.Directory.end.offset);
  for (const zipformat::DirectoryEntry& entry : source.Directory.entries) {
    prefix.NoteLocalHeaderOffset(entry.header.localHeaderOffset);
  }
  source.PrefixSize = prefix.Result(source.Directory.placement);
  // Found by the fast path, the record was taken without a look at its comment.
  const zipformat::LocatedEndRecord& end = source.Directory.end;
  source.Comment = end.comment;
  if (end.foundBy == zipformat::EndRecordPath::FastPath && end.record.commentLength != 0) {
    source.Comment.resize(end.record.commentLength);
    const std::size_t got = zipformat::ReadExactly(ReadAtOf(file), end.offset + zipformat::EndRecordSize,
                                                   std::as_writable_bytes(std::span(source.Comment)))
                                ? source.Comment.size()
                                : 0;
    source.Comment.resize(got);
  }
  return source;
}

// ---------------------------------------------------------------------------
// Names

std::string ShownNameOf(const zipformat::DirectoryEntry& entry, CPOpts codePage) {
  std::string name = zipformat::DecodeStoredText(zipformat::TextBeforeZero(entry.name), EncodingOf(entry, codePage),
                                                 {platform::Utf8ToAnsi, platform::OemToChar});
  std::replace(name.begin(), name.end(), '/', '\\');
  return name;
}

std::string StoredNameFor(std::string_view shownName, const zipformat::DirectoryEntry& entry, CPOpts codePage) {
  std::string name;
  switch (EncodingOf(entry, codePage)) {
    case zipformat::StoredTextEncoding::Utf8:
      name = platform::AnsiToUtf8(shownName);
      break;
    case zipformat::StoredTextEncoding::Oem:
      name = platform::CharToOem(shownName);
      break;
    case zipformat::StoredTextEncoding::AsStored:
      name = shownName;
      break;
  }
  std::replace(name.begin(), name.end(), '\\', '/');
  return name;
}

std::size_t FindIgnoringAsciiCase(std::string_view name, std::string_view text) {
  const auto found = std::search(name.begin(), name.end(), text.begin(), text.end(),
                                 [](char left, char right) { return FoldAsciiCase(left) == FoldAsciiCase(right); });
  return found == name.end() && !text.empty() ? std::string_view::npos : static_cast<std::size_t>(found - name.begin());
}

// ---------------------------------------------------------------------------
// The output and its replacement

void TZipBuilder::OpenRewriteOutput(const std::string& target, const std::string& tempDir) {
  const std::string workFolder = AppendBackslash(tempDir);
  std::optional<platform::SafeSave> output =
      platform::SafeSave::Create(target, {platform::SaveDurability::FlushToDevice, workFolder, RewriteTemporaryPrefix});
  if (!output) {
    throw EZipBuilder(message_id::TemporaryFileNotCreated, MessageDisplay::ShowBox);
  }
  rewrite_.OutputHandle.emplace(std::move(*output));
}

std::int64_t TZipBuilder::OutputPosition() const { return rewrite_.OutputHandle->Size(); }

void TZipBuilder::WriteChecked(std::span<const std::byte> bytes, int messageId) {
  if (!rewrite_.OutputHandle->Write(bytes)) {
    throw EZipBuilder(messageId, MessageDisplay::ShowBox);
  }
  if (rewrite_.ReportCopyProgress && OnProgress) {
    OnProgress(*this, ProgressType::pgBytesDone, "", static_cast<std::int32_t>(bytes.size()));
  }
}

std::int64_t TZipBuilder::CopyToOutput(platform::FileHandle source, std::int64_t offset, std::int64_t count) {
  platform::SafeSave& output = *rewrite_.OutputHandle;
  std::int64_t copied = 0;
  while (copied < count) {
    const std::int64_t piece = std::min(count - copied, DataCopyPieceSize);
    const std::int64_t before = output.Size();
    const bool succeeded = output.AppendRange(source, offset + copied, piece);
    copied += output.Size() - before;
    if (!succeeded) {
      return copied;
    }
    if (rewrite_.ReportCopyProgress && OnProgress) {
      OnProgress(*this, ProgressType::pgBytesDone, "", static_cast<std::int32_t>(piece));
    }
    toolkit_.ProcessPendingMessages();
  }
  return copied;
}

void TZipBuilder::ReplaceWithRewriteOutput(DeleteOpts howToDelete) {
  platform::SafeSave& output = *rewrite_.OutputHandle;
  output.StampDate(rewrite_.SavedFileDate, platform::DateRequirement::BestEffort);
  const platform::CommitMode mode = howToDelete == DeleteOpts::htdAllowUndo ? platform::CommitMode::ReplaceAndRecycleOld
                                                                            : platform::CommitMode::ReplaceTarget;
  if (!output.Commit(mode)) {
    throw EZipBuilder(message_id::WriteError, MessageDisplay::ShowBox, platform::CommitFailureText(output, "archive"));
  }
  rewrite_.OutputHandle.reset();
}

void TZipBuilder::PlaceNewRewriteOutput() {
  platform::SafeSave& output = *rewrite_.OutputHandle;
  // Refused when a file of the name came meanwhile: nothing is replaced unasked.
  if (!output.Commit(platform::CommitMode::CreateOnly)) {
    throw EZipBuilder(message_id::WriteError, MessageDisplay::ShowBox, platform::CommitFailureText(output, "archive"));
  }
  rewrite_.OutputHandle.reset();
}

void TZipBuilder::AbandonRewriteOutput() {
  if (rewrite_.OutputHandle) {
    rewrite_.OutputHandle->Cancel();
    rewrite_.OutputHandle.reset();
  }
}

// ---------------------------------------------------------------------------
// Entries

std::int64_t TZipBuilder::CopyEntry(platform::FileHandle archive, std::int64_t position,
                                    const zipformat::CentralHeader& central, const LocalHeaderChange& change) {
  const zipformat::ReadAtFunction readAt = ReadAtOf(archive);
  std::array<std::byte, zipformat::LocalHeaderSize> fixed{};
  if (!zipformat::ReadExactly(readAt, position, fixed)) {
    throw EZipBuilder(message_id::LocalHeaderReadError, MessageDisplay::ShowBox);
  }
  const std::optional<zipformat::LocalEntry> local = zipformat::ReadLocalEntry(readAt, position, central);
  if (!local) {
    throw EZipBuilder(message_id::LocalHeaderSignatureWrong, MessageDisplay::ShowBox);
  }
  std::string name(local->header.nameLength, '\0');
  if (!zipformat::ReadExactly(readAt, position + zipformat::LocalHeaderSize, std::as_writable_bytes(std::span(name)))) {
    throw EZipBuilder(message_id::LocalFileNameReadError, MessageDisplay::ShowBox);
  }
  zipformat::LocalHeader header = local->header;
  if (change.NewName) {
    name = *change.NewName;
  }
  if (name.size() > 0xFFFF) {
    throw EZipBuilder(message_id::LocalHeaderWriteError, MessageDisplay::ShowBox,
                      "The new name is longer than 65535 bytes: " + name.substr(0, 80) + "...");
  }
  header.nameLength = static_cast<std::uint16_t>(name.size());
  if (change.DateTime != 0) {
    header.dosDateTime = change.DateTime;
  }
  const std::int64_t newOffset = OutputPosition();
  if (newOffset > LargestOffset) {
    throw EZipBuilder(message_id::LocalHeaderWriteError, MessageDisplay::ShowBox,
                      "The archive would grow past 4 GiB, which needs Zip64.");
  }
  std::vector<std::byte> headerBytes(zipformat::LocalHeaderSize + name.size());
  zipformat::WriteLocalHeader(headerBytes, header);
  std::copy_n(BytesOf(name).begin(), name.size(), headerBytes.begin() + zipformat::LocalHeaderSize);
  WriteChecked(headerBytes, message_id::LocalHeaderWriteError);
  CopyEntryRest(archive, *local, central);
  return newOffset;
}

// The local extra field, the data and the data descriptor, as they are stored.
void TZipBuilder::CopyEntryRest(platform::FileHandle archive, const zipformat::LocalEntry& local,
                                const zipformat::CentralHeader& central) {
  const std::int64_t extraStart =
      local.headerOffset + static_cast<std::int64_t>(zipformat::LocalHeaderSize) + local.header.nameLength;
  const std::int64_t end = local.headerOffset + zipformat::MeasureStoredLength(ReadAtOf(archive), local, central);
  const std::int64_t copied = CopyToOutput(archive, extraStart, end - extraStart);
  if (copied == end - extraStart) {
    return;
  }
  // Which part came short says what is damaged (or what could not be written).
  const std::int64_t reached = extraStart + std::max<std::int64_t>(copied, 0);
  if (reached < local.dataOffset) {
    throw EZipBuilder(message_id::LocalExtraFieldReadError, MessageDisplay::ShowBox);
  }
  if (reached < local.dataEnd) {
    throw EZipBuilder(message_id::ZippedDataReadError, MessageDisplay::ShowBox);
  }
  throw EZipBuilder(message_id::DataDescriptorError, MessageDisplay::ShowBox);
}

// ---------------------------------------------------------------------------
// The directory

void TZipBuilder::WriteDirectoryAndEnd(std::span<const NewCentralEntry> entries, std::string_view comment) {
  if (entries.size() > MostEntries) {
    throw EZipBuilder(message_id::EndRecordWriteError, MessageDisplay::ShowBox, "More than 65535 entries need Zip64.");
  }
  const std::int64_t directoryOffset = OutputPosition();
  std::vector<std::byte> directory;
  for (const NewCentralEntry& entry : entries) {
    zipformat::CentralHeader header = entry.Stored->header;
    header.localHeaderOffset = static_cast<std::uint32_t>(entry.Patch->LocalHeaderOffset);
    header.nameLength = static_cast<std::uint16_t>(entry.Patch->Name.size());
    header.diskStart = 0;
    if (entry.Patch->DateTime != 0) {
      header.dosDateTime = entry.Patch->DateTime;
    }
    const std::size_t start = directory.size();
    directory.resize(start + zipformat::CentralHeaderSize);
    zipformat::WriteCentralHeader(std::span(directory).subspan(start), header);
    for (const std::string_view part : {std::string_view(entry.Patch->Name), std::string_view(entry.Stored->extra),
                                        std::string_view(entry.Stored->comment)}) {
      const std::span<const std::byte> bytes = BytesOf(part);
      directory.insert(directory.end(), bytes.begin(), bytes.end());
    }
  }
  if (directoryOffset + static_cast<std::int64_t>(directory.size()) > LargestOffset) {
    throw EZipBuilder(message_id::CentralHeaderWriteError, MessageDisplay::ShowBox,
                      "The archive would grow past 4 GiB, which needs Zip64.");
  }
  WriteChecked(directory, message_id::CentralHeaderWriteError);

  const std::string_view keptComment = comment.substr(0, zipformat::MaximumCommentLength);
  zipformat::EndRecord end;
  end.entriesOnThisDisk = static_cast<std::uint16_t>(entries.size());
  end.totalEntries = end.entriesOnThisDisk;
  end.directorySize = static_cast<std::uint32_t>(directory.size());
  end.directoryOffset = static_cast<std::uint32_t>(directoryOffset);
  end.commentLength = static_cast<std::uint16_t>(keptComment.size());
  std::vector<std::byte> endBytes(zipformat::EndRecordSize);
  zipformat::WriteEndRecord(endBytes, end);
  const std::span<const std::byte> commentBytes = BytesOf(keptComment);
  endBytes.insert(endBytes.end(), commentBytes.begin(), commentBytes.end());
  WriteChecked(endBytes, message_id::EndRecordWriteError);
}

// ---------------------------------------------------------------------------
// Running an operation

int TZipBuilder::RunRewrite(const std::function<void()>& work) {
  try {
    work();
    return rewrite_result::Success;
  } catch (const EZipBuilder& error) {
    AbandonRewriteOutput();
    ReportZipError(error);
    return rewrite_result::Reported;
  } catch (const std::bad_alloc&) {
    AbandonRewriteOutput();
    ReportMessage(message_id::MemoryNotAvailable);
    return rewrite_result::OutOfMemory;
  } catch (const std::exception& error) {
    AbandonRewriteOutput();
    const std::string text = error.what();
    ReportMessage(message_id::RewriteUnknownError, text.empty() ? std::string() : "\n" + text);
    return rewrite_result::OtherFailure;
  } catch (...) {
    AbandonRewriteOutput();
    ReportMessage(message_id::RewriteUnknownError);
    return rewrite_result::OtherFailure;
  }
}

}  // namespace zipbuilder
