// Rename: new names, and new dates, for entries of ZipFileName, without an
// engine. The archive is written again into a safe save: the bytes in front of
// the first entry, then every entry in central-directory order with its local
// header rewritten and the rest (local extra field, data, data descriptor)
// copied as stored, then the new central directory, the end record and the
// comment. Only the complete new archive takes the archive's name.
//
// Names are matched as List shows them (ANSI, "\" between folders) and written
// back in the entry's own encoding; an entry no item matches keeps its stored
// name bytes in both headers.
#include <algorithm>
#include <vector>

#include "platform/files.h"
#include "zipbuilder/archive_rewrite.h"
#include "zipbuilder/file_checks.h"
#include "zipbuilder/message_table.h"
#include "zipbuilder/path_text.h"
#include "zipbuilder/scope_exit.h"
#include "zipbuilder/scoped_file.h"
#include "zipbuilder/zip_builder.h"
#include "zipformat/records.h"

namespace zipbuilder {

namespace {

[[nodiscard]] bool HasEmptyFileNamePart(std::string_view name) { return name.empty() || name.back() == '\\'; }

[[nodiscard]] std::string FolderPartOf(std::string_view name) {
  const std::size_t separator = name.rfind('\\');
  return separator == std::string_view::npos ? std::string() : std::string(name.substr(0, separator + 1));
}

[[nodiscard]] std::string WithForwardSlashes(std::string name) {
  std::replace(name.begin(), name.end(), '\\', '/');
  return name;
}

// "/" becomes "\"; an OldName without a file-name part names a folder, and its
// NewName then only gives the new folder. False when an item would rename a
// file to a folder name.
[[nodiscard]] bool NormaliseItems(std::span<RenameItem> items) {
  for (RenameItem& item : items) {
    item.OldName = SlashesToBackslashes(item.OldName);
    item.NewName = SlashesToBackslashes(item.NewName);
    if (HasEmptyFileNamePart(item.OldName)) {
      item.NewName = AppendBackslash(FolderPartOf(item.NewName));
      item.OldName = AppendBackslash(item.OldName);
    } else if (HasEmptyFileNamePart(item.NewName)) {
      return false;
    }
  }
  return true;
}

// The traditional encryption checks a password against the high byte of the
// stored time when a data descriptor follows the data: a new date would make
// every password look wrong.
[[nodiscard]] bool DateIsPartOfPasswordCheck(const zipformat::CentralHeader& header) {
  constexpr std::uint16_t both = zipformat::general_flag::Encrypted | zipformat::general_flag::DataDescriptor;
  return (header.flags & both) == both;
}

[[nodiscard]] std::int32_t ClampToEventValue(std::int64_t value) {
  return static_cast<std::int32_t>(std::min<std::int64_t>(value, 0x7FFFFFFF));
}

// One entry's new name and date by the items, and the message that tells it.
struct RenamedEntry {
  std::string ShownName;
  bool Renamed = false;
  std::uint32_t DateTime = 0;
  std::string Message;
};

[[nodiscard]] RenamedEntry ApplyItems(std::string shownName, std::span<const RenameItem> items,
                                      std::uint32_t defaultDateTime) {
  RenamedEntry entry{std::move(shownName), false, defaultDateTime, {}};
  entry.Message = LoadMessageText(message_id::RenameProcessing, "Processing: ") + WithForwardSlashes(entry.ShownName);
  for (const RenameItem& item : items) {
    const std::size_t position = FindIgnoringAsciiCase(entry.ShownName, item.OldName);
    if (position == std::string::npos) {
      continue;
    }
    entry.ShownName.replace(position, item.OldName.size(), item.NewName);
    entry.Renamed = true;
    entry.Message +=
        LoadMessageText(message_id::RenameRenamedTo, " renamed to: ") + WithForwardSlashes(entry.ShownName);
    if (item.DateTime != 0) {
      entry.DateTime = item.DateTime;
    }
  }
  return entry;
}

}  // namespace

int TZipBuilder::Rename(std::span<RenameItem> items, std::uint32_t dateTime) {
  // A rename started from an event handler of another zip-side operation would
  // rewrite the archive under it.
  if (zipSideBusy_) {
    return rewrite_result::Busy;
  }
  zipSideBusy_ = true;
  rewrite_.ReportCopyProgress = false;
  directory_.WorkFileName = zipFileName_;
  PushBusyCursor();
  const ScopeExit idle([this] {
    rewrite_.ReportCopyProgress = false;
    zipSideBusy_ = false;
    PopBusyCursor();
  });
  if (!NormaliseItems(items)) {
    return rewrite_result::NewNameWithoutFileName;
  }
  const int result = RunRewrite([&] { RenameEntries(items, dateTime); });
  if (OnProgress) {
    OnProgress(*this, ProgressType::pgBatchEnd, "", 0);
  }
  if (result == rewrite_result::Success) {
    List();
  }
  return result;
}

void TZipBuilder::RenameEntries(std::span<const RenameItem> items, std::uint32_t dateTime) {
  if (!FileExists(zipFileName_)) {
    throw EZipBuilder(message_id::InputFileMissing, MessageDisplay::ShowBox);
  }
  ScopedFile archive = OpenForReading(zipFileName_);
  if (!archive.IsOpen()) {
    throw EZipBuilder(message_id::InputFileMissing, MessageDisplay::ShowBox);
  }
  if (!platform::GetFileDosDateTime(archive.Get(), rewrite_.SavedFileDate)) {
    throw EZipBuilder(message_id::SeekError, MessageDisplay::ShowBox);
  }
  const RewriteSource source = ReadRewriteSource(archive.Get());
  const std::vector<zipformat::DirectoryEntry>& entries = source.Directory.entries;
  OpenRewriteOutput(zipFileName_, tempDir_);
  if (CopyToOutput(archive.Get(), 0, source.PrefixSize) != source.PrefixSize) {
    throw EZipBuilder(message_id::RenameSfxHeaderCopyError, MessageDisplay::ShowBox);
  }

  std::int64_t totalSize = 0;
  for (const zipformat::DirectoryEntry& entry : entries) {
    totalSize += std::int64_t{entry.header.nameLength} + entry.header.compressedSize + entry.header.extraLength;
  }
  rewrite_.ReportCopyProgress = true;
  if (OnProgress) {
    OnProgress(*this, ProgressType::pgFileCount, "", static_cast<std::int32_t>(entries.size()));
    OnProgress(*this, ProgressType::pgTotalSize, "", ClampToEventValue(totalSize));
  }

  std::vector<EntryPatch> patches(entries.size());
  std::vector<NewCentralEntry> directory(entries.size());
  for (std::size_t index = 0; index < entries.size(); ++index) {
    const zipformat::DirectoryEntry& entry = entries[index];
    const RenamedEntry renamed = ApplyItems(ShownNameOf(entry, codePage_), items, dateTime);
    if (OnMessage) {
      OnMessage(*this, 0, renamed.Message);
    }
    if (OnProgress) {
      OnProgress(*this, ProgressType::pgNewFile, SlashesToBackslashes(renamed.ShownName),
                 ClampToEventValue(std::int64_t{entry.header.nameLength} + entry.header.extraLength +
                                   entry.header.compressedSize));
    }
    EntryPatch& patch = patches[index];
    patch.Name = renamed.Renamed ? StoredNameFor(renamed.ShownName, entry, codePage_) : entry.name;
    patch.DateTime = DateIsPartOfPasswordCheck(entry.header) ? 0 : renamed.DateTime;
    LocalHeaderChange change{renamed.Renamed ? std::optional<std::string>(patch.Name) : std::nullopt, patch.DateTime};
    patch.LocalHeaderOffset = CopyEntry(archive.Get(), source.LocalHeaderPosition(entry), entry.header, change);
    directory[index] = {&entry, &patch};
  }
  rewrite_.ReportCopyProgress = false;
  WriteDirectoryAndEnd(directory, source.Comment);
  // Only read from; it must be closed before the new archive can take its name.
  static_cast<void>(archive.Close());
  ReplaceWithRewriteOutput(howToDelete_);
}

}  // namespace zipbuilder
