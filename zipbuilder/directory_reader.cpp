// The archive directory reader: List turns the central directory of ZipFileName
// into DirEntries, following it to other disks of a spanned set, and learns the
// prefix size, the directory's offset and the archive comment on the way.
//
// Divisions: List and its failure handling; locating the directory; the central
// headers; entry texts.
//
// The directory is read through a buffer, a chunk at a time, because an archive
// may hold 65535 entries and three small reads per header would cost more than
// everything else List does.
#include <algorithm>
#include <array>
#include <limits>
#include <new>
#include <utility>

#include "platform/text.h"
#include "zipbuilder/buffered_file_reader.h"
#include "zipbuilder/file_checks.h"
#include "zipbuilder/message_table.h"
#include "zipbuilder/path_text.h"
#include "zipbuilder/zip_builder.h"

namespace zipbuilder {

namespace {

// Runs `action` when the scope is left, however it is left.
template <typename Action>
class ScopeExit {
 public:
  explicit ScopeExit(Action action) : action_(std::move(action)) {}
  ~ScopeExit() { action_(); }
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;

 private:
  Action action_;
};

// True when nothing follows the last "\" or ":" of a name: a folder entry.
// Only the last character decides, which keeps a 65535-entry listing fast.
[[nodiscard]] bool HasEmptyNamePart(std::string_view fileName) {
  return fileName.empty() || fileName.back() == '\\' || fileName.back() == ':';
}

// Stored texts end at their length or at a zero byte, whichever comes first.
[[nodiscard]] std::string_view TextBeforeZero(std::string_view stored) {
  return stored.substr(0, stored.find('\0'));
}

// A damaged directory offset can push the sum below zero or past what the
// state holds; no archive has fewer than 0 bytes in front of it.
[[nodiscard]] std::int32_t ClampToPrefixSize(std::int64_t value) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, 0, std::numeric_limits<std::int32_t>::max()));
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
  directory_.LastDiskNumber = endRecord.ThisDisk();
  if (endRecord.ThisDisk() > 0) {
    directory_.Spanned = true;
  }
  // The file just opened is the one holding the end record, whatever disk an
  // earlier List left CurrentDisk at; a continued directory counts on from it.
  directory_.CurrentDisk = endRecord.ThisDisk();

  const std::int64_t storedStart = endRecord.DirectoryOffset();
  std::int64_t computedStart = 0;
  if (endRecord.DirectoryDisk() != endRecord.ThisDisk()) {
    SelectDisk(endRecord.DirectoryDisk());
    std::int64_t directoryFileSize = 0;
    if (!platform::GetFileSize(directory_.ArchiveHandle, directoryFileSize) ||
        directoryFileSize > std::numeric_limits<std::int32_t>::max()) {
      throw EZipBuilder(message_id::ListSeekError, MessageDisplay::ShowBox);
    }
    directory_.ArchiveEnd = static_cast<std::int32_t>(directoryFileSize);
    computedStart = storedStart;
  } else {
    // The directory ends where the end record begins. Counting back from the
    // record rather than from the comment's end keeps a record whose comment
    // length is wrong from moving the directory.
    computedStart = std::int64_t{directory_.EndRecordOffset} - endRecord.DirectorySize();
  }

  directory_.StructureWarning = storedStart != computedStart;
  if (directory_.StructureWarning) {
    ReportMessage(message_id::ListStructureWarning);
  }
  if (!platform::SetFilePointer(directory_.ArchiveHandle, computedStart, platform::SeekOrigin::Begin, nullptr)) {
    throw EZipBuilder(message_id::ListSeekError, MessageDisplay::ShowBox);
  }
  directory_.DirectoryOffset = static_cast<std::uint32_t>(computedStart);
  directory_.PrefixSize = directory_.ArchiveEnd == static_cast<std::int32_t>(EndRecordSize) ? 0 : directory_.ArchiveEnd;

  ReadCentralHeaders(endRecord);
  directory_.LastDiskNumber = endRecord.ThisDisk();

  // Without entries nothing but the directory's own place tells where the
  // archive data begins: everything in front of it is prefix.
  const std::int64_t prefixSize = endRecord.TotalEntries() == 0
                                      ? computedStart
                                      : directory_.PrefixSize + (computedStart - storedStart);
  directory_.PrefixSize = ClampToPrefixSize(prefixSize);
}

void TZipBuilder::ReadCentralHeaders(const EndRecord& endRecord) {
  const std::size_t entryCount = endRecord.TotalEntries();
  // A hostile count must not reserve more than the directory can hold.
  dirEntries_.reserve(std::min<std::size_t>(entryCount, endRecord.DirectorySize() / CentralHeaderSize));

  BufferedFileReader reader;
  reader.Attach(directory_.ArchiveHandle);
  for (std::size_t index = 0; index < entryCount; ++index) {
    std::unique_ptr<ZipDirEntry> entry = ReadCentralHeader(reader, endRecord);
    const std::uint32_t localHeaderOffset = entry->LocalHeaderOffset;
    if (std::int64_t{localHeaderOffset} < directory_.PrefixSize) {
      directory_.PrefixSize = static_cast<std::int32_t>(localHeaderOffset);
    }
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

std::unique_ptr<ZipDirEntry> TZipBuilder::ReadCentralHeader(BufferedFileReader& reader, const EndRecord& endRecord) {
  std::array<std::uint8_t, CentralHeaderSize> header{};
  // A short header means the directory goes on at the start of the next disk.
  while (reader.Read(header) < header.size()) {
    if (directory_.CurrentDisk >= endRecord.ThisDisk()) {
      throw EZipBuilder(message_id::CentralHeaderReadError, MessageDisplay::ShowBox);
    }
    SelectDisk(directory_.CurrentDisk + 1);
    reader.Attach(directory_.ArchiveHandle);
  }
  if (ReadUint32(header, 0) != zip_signature::CentralHeader) {
    throw EZipBuilder(message_id::CentralHeaderSignatureWrong, MessageDisplay::ShowBox);
  }
  auto entry = std::make_unique<ZipDirEntry>();
  static_cast<CentralHeaderFields&>(*entry) = CentralHeaderFieldsFromHeader(header);
  const std::uint16_t flags = entry->Flags;

  std::string name(entry->NameLength, '\0');
  if (reader.Read(std::span(name)) < name.size()) {
    throw EZipBuilder(message_id::CentralFileNameReadError, MessageDisplay::ShowBox);
  }
  directory_.LastVersionMadeBy = entry->VersionMadeBy;
  directory_.LastHostSystem = entry->HostSystem;
  entry->FileName = EntryTextToAnsi(TextBeforeZero(name), flags);
  std::replace(entry->FileName.begin(), entry->FileName.end(), '/', '\\');
  entry->Encrypted = (flags & entry_flag::Encrypted) != 0;

  entry->ExtraData.resize(entry->ExtraLength);
  if (reader.Read(entry->ExtraData) < entry->ExtraData.size()) {
    throw EZipBuilder(message_id::ListSeekError, MessageDisplay::ShowBox);
  }

  std::string comment(entry->CommentLength, '\0');
  if (reader.Read(std::span(comment)) < comment.size()) {
    throw EZipBuilder(message_id::FileCommentReadError, MessageDisplay::ShowBox);
  }
  if (!comment.empty()) {
    entry->FileComment = EntryTextToAnsi(TextBeforeZero(comment), flags);
  }
  return entry;
}

// Bit 11 says the texts are UTF-8, whatever system made the archive; only the
// others are in the OEM or ANSI code page the code page rule decides between.
std::string TZipBuilder::EntryTextToAnsi(std::string_view stored, std::uint16_t flags) const {
  if ((flags & entry_flag::Utf8Texts) != 0) {
    return platform::Utf8ToAnsi(stored);
  }
  return OemAnsiConvert(stored, CodePageDirection::ToAnsi);
}

}  // namespace zipbuilder
