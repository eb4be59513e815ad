// The archive directory reader: List turns the central directory of ZipFileName
// into DirEntries, following it to other disks of a spanned set, and learns the
// prefix size, the directory's offset and the archive comment on the way.
//
// Divisions: List and its failure handling; locating the directory; the central
// headers; entry texts.
//
// The headers are walked by the zip format core, which reads the file a chunk
// at a time, because an archive may hold 65535 entries and three small reads per
// header would cost more than everything else List does.
#include <algorithm>
#include <limits>
#include <new>
#include <utility>

#include "platform/text.h"
#include "zipbuilder/file_checks.h"
#include "zipbuilder/file_read_at.h"
#include "zipbuilder/message_table.h"
#include "zipbuilder/oem_ansi_convert.h"
#include "zipbuilder/path_text.h"
#include "zipbuilder/scope_exit.h"
#include "zipbuilder/zip_builder.h"
#include "zipformat/directory_placement.h"
#include "zipformat/directory_walker.h"
#include "zipformat/records.h"
#include "zipformat/text_encoding.h"

namespace zipbuilder {

namespace {

// True when nothing follows the last "\" or ":" of a name: a folder entry.
// Only the last character decides, which keeps a 65535-entry listing fast.
[[nodiscard]] bool HasEmptyNamePart(std::string_view fileName) {
  return fileName.empty() || fileName.back() == '\\' || fileName.back() == ':';
}

// A damaged directory offset can push the prefix past what the state holds.
[[nodiscard]] std::int32_t ClampToPrefixSize(std::int64_t value) {
  return static_cast<std::int32_t>(std::min<std::int64_t>(value, std::numeric_limits<std::int32_t>::max()));
}

// The ZipDirEntry fields that mirror bytes 4 to 45 of the central header.
[[nodiscard]] CentralHeaderFields FieldsOf(const zipformat::CentralHeader& header) {
  CentralHeaderFields fields{};
  fields.VersionMadeBy = header.versionMadeBy;
  fields.HostSystem = header.hostSystem;
  fields.VersionNeeded = header.versionNeeded;
  fields.Flags = header.flags;
  fields.Method = header.method;
  fields.DosDateTime = header.dosDateTime;
  fields.Crc32 = header.crc32;
  fields.CompressedSize = header.compressedSize;
  fields.UncompressedSize = header.uncompressedSize;
  fields.NameLength = header.nameLength;
  fields.ExtraLength = header.extraLength;
  fields.CommentLength = header.commentLength;
  fields.DiskStart = header.diskStart;
  fields.InternalAttributes = header.internalAttributes;
  fields.ExternalAttributes = header.externalAttributes;
  fields.LocalHeaderOffset = header.localHeaderOffset;
  return fields;
}

}  // namespace

void TZipBuilder::ClearEntryList() { dirEntries_.clear(); }

void TZipBuilder::CloseArchiveHandle() {
  if (directory_.ArchiveHandle == platform::InvalidFileHandle) {
    return;
  }
  // Only ever opened for reading: a failing close loses nothing.
  static_cast<void>(platform::CloseHandle(directory_.ArchiveHandle));
  directory_.ArchiveHandle = platform::InvalidFileHandle;
}

void TZipBuilder::List() {
  if (mode_ == ComponentMode::Designing) {
    return;
  }
  ClearEntryList();
  directory_.ArchiveFileSize = 0;
  directory_.DirectoryOffset = 0;
  directory_.PrefixSize = 0;
  directory_.SkippedDirCount = 0;
  directory_.Spanned = false;

  if (FileExists(zipFileName_)) {
    PushBusyCursor();
    // The cursor and the file are given back even when an event handler raises
    // from inside a report.
    const ScopeExit cleanup([this] {
      PopBusyCursor();
      CloseArchiveHandle();
    });
    bool failed = true;
    try {
      ReadDirectory();
      failed = false;
    } catch (const EZipBuilder& error) {
      ReportZipError(error);
    } catch (const std::bad_alloc&) {
      ReportMessage(message_id::MemoryNotAvailable);
    } catch (const std::exception& error) {
      ReportMessage(message_id::ListUnknownError, std::string("\n") + error.what());
    } catch (...) {
      ReportMessage(message_id::ListUnknownError);
    }
    if (failed) {
      // Assigned directly: going through the setter would list again.
      zipFileName_.clear();
      directory_.PrefixSize = 0;
    }
  }
  if (OnDirUpdate) {
    OnDirUpdate(*this);
  }
}

void TZipBuilder::ReadDirectory() {
  directory_.WorkFileName = zipFileName_;
  directory_.WorkDrive = DriveRootOf(platform::GetFullPathName(directory_.WorkFileName));
  if (!CheckDrive()) {
    throw EZipBuilder(message_id::DriveNotDefined, directory_.WorkDrive);
  }
  EndRecord endRecord;
  // With Raise, LocateEndRecord answers true or raises.
  static_cast<void>(LocateEndRecord(endRecord, EndRecordFailure::Raise));
  directory_.LastDiskNumber = endRecord.thisDisk;
  if (endRecord.thisDisk > 0) {
    directory_.Spanned = true;
  }
  // The file just opened is the one holding the end record, whatever disk an
  // earlier List left CurrentDisk at; a continued directory counts on from it.
  directory_.CurrentDisk = endRecord.thisDisk;

  if (endRecord.directoryDisk != endRecord.thisDisk) {
    SelectDisk(endRecord.directoryDisk);
    std::int64_t directoryFileSize = 0;
    if (!platform::GetFileSize(directory_.ArchiveHandle, directoryFileSize) ||
        directoryFileSize > std::numeric_limits<std::int32_t>::max()) {
      throw EZipBuilder(message_id::ListSeekError, MessageDisplay::ShowBox);
    }
    directory_.ArchiveEnd = static_cast<std::int32_t>(directoryFileSize);
  }
  const zipformat::DirectoryPlacement placement = zipformat::PlaceDirectory(endRecord, directory_.EndRecordOffset);

  directory_.StructureWarning = placement.StructureWarning();
  if (directory_.StructureWarning) {
    ReportMessage(message_id::ListStructureWarning);
  }
  if (!platform::SetFilePointer(directory_.ArchiveHandle, placement.start, platform::SeekOrigin::Begin, nullptr)) {
    throw EZipBuilder(message_id::ListSeekError, MessageDisplay::ShowBox);
  }
  directory_.DirectoryOffset = static_cast<std::uint32_t>(placement.start);
  zipformat::PrefixMeasure prefix(directory_.ArchiveEnd);
  directory_.PrefixSize = ClampToPrefixSize(prefix.SoFar());

  ReadCentralHeaders(endRecord, placement.start, prefix);
  directory_.LastDiskNumber = endRecord.thisDisk;
  directory_.PrefixSize = ClampToPrefixSize(prefix.Result(placement));
}

void TZipBuilder::ReadCentralHeaders(const EndRecord& endRecord, std::int64_t directoryStart,
                                     zipformat::PrefixMeasure& prefix) {
  const std::size_t entryCount = endRecord.totalEntries;
  // A hostile count must not reserve more than the directory can hold.
  dirEntries_.reserve(std::min<std::size_t>(entryCount, endRecord.directorySize / zipformat::CentralHeaderSize));

  zipformat::CentralDirectoryWalker walker(ReadAtOf(directory_.ArchiveHandle), directoryStart);
  zipformat::DirectoryEntry stored;
  for (std::size_t index = 0; index < entryCount; ++index) {
    ReadCentralHeader(walker, endRecord, stored);
    auto entry = std::make_unique<ZipDirEntry>();
    static_cast<CentralHeaderFields&>(*entry) = FieldsOf(stored.header);
    entry->FileName = EntryTextToAnsi(zipformat::TextBeforeZero(stored.name), stored.header.flags);
    std::replace(entry->FileName.begin(), entry->FileName.end(), '/', '\\');
    entry->Encrypted = (stored.header.flags & zipformat::general_flag::Encrypted) != 0;
    entry->ExtraData.assign(reinterpret_cast<const std::uint8_t*>(stored.extra.data()),
                            reinterpret_cast<const std::uint8_t*>(stored.extra.data()) + stored.extra.size());
    if (!stored.comment.empty()) {
      entry->FileComment = EntryTextToAnsi(zipformat::TextBeforeZero(stored.comment), stored.header.flags);
    }

    prefix.NoteLocalHeaderOffset(stored.header.localHeaderOffset);
    directory_.PrefixSize = ClampToPrefixSize(prefix.SoFar());
    if (!useDirOnlyEntries_ && HasEmptyNamePart(entry->FileName)) {
      ++directory_.SkippedDirCount;
      continue;
    }
    dirEntries_.push_back(std::move(entry));
    if (OnNewName) {
      OnNewName(*this, static_cast<int>(index + 1), *dirEntries_.back());
    }
  }
}

void TZipBuilder::ReadCentralHeader(zipformat::CentralDirectoryWalker& walker, const EndRecord& endRecord,
                                    zipformat::DirectoryEntry& stored) {
  zipformat::WalkStep step = walker.Next(stored);
  // A short header means the directory goes on at the start of the next disk.
  while (step == zipformat::WalkStep::HeaderShort) {
    if (directory_.CurrentDisk >= endRecord.thisDisk) {
      throw EZipBuilder(message_id::CentralHeaderReadError, MessageDisplay::ShowBox);
    }
    SelectDisk(directory_.CurrentDisk + 1);
    walker.ContinueOn(ReadAtOf(directory_.ArchiveHandle), 0);
    step = walker.Next(stored);
  }
  if (step == zipformat::WalkStep::SignatureWrong) {
    throw EZipBuilder(message_id::CentralHeaderSignatureWrong, MessageDisplay::ShowBox);
  }
  if (step == zipformat::WalkStep::NameShort) {
    throw EZipBuilder(message_id::CentralFileNameReadError, MessageDisplay::ShowBox);
  }
  // Set once the name is read, so that each header's texts are converted by its own bytes.
  directory_.LastVersionMadeBy = stored.header.versionMadeBy;
  directory_.LastHostSystem = stored.header.hostSystem;
  if (step == zipformat::WalkStep::ExtraShort) {
    throw EZipBuilder(message_id::ListSeekError, MessageDisplay::ShowBox);
  }
  if (step == zipformat::WalkStep::CommentShort) {
    throw EZipBuilder(message_id::FileCommentReadError, MessageDisplay::ShowBox);
  }
}

// Bit 11 says the texts are UTF-8, whatever system made the archive; only the
// others are in the OEM or ANSI code page the code page rule decides between.
std::string TZipBuilder::EntryTextToAnsi(std::string_view stored, std::uint16_t flags) const {
  const zipformat::StoredTextEncoding encoding = zipformat::EncodingOfStoredText(
      CodePageChoiceOf(codePage_), directory_.LastHostSystem, directory_.LastVersionMadeBy, flags);
  return zipformat::DecodeStoredText(stored, encoding, {platform::Utf8ToAnsi, platform::OemToChar});
}

}  // namespace zipbuilder
