#include "engines/zip/command.h"

#include <algorithm>
#include <cstring>

namespace engines::zip {

namespace {

// Paths and passwords longer than this are not texts a caller meant to pass.
constexpr std::size_t LongestText = 32768;

std::string CopyText(const char* text) {
  if (text == nullptr) {
    return {};
  }
  return std::string(text, strnlen(text, LongestText));
}

bool IsSet(std::int32_t flag) {
  return flag != 0;
}

std::vector<std::string> SplitSuffixes(const std::string& list) {
  std::vector<std::string> suffixes;
  std::size_t start = 0;
  while (start <= list.size()) {
    const std::size_t end = std::min(list.find(':', start), list.size());
    if (end > start) {
      suffixes.push_back(list.substr(start, end - start));
    }
    start = end + 1;
  }
  return suffixes;
}

Operation OperationOf(const ZipCommandRecord& record) {
  if (IsSet(record.Header.DeleteCommand)) {
    return Operation::Delete;
  }
  if (IsSet(record.InputFromMemory)) {
    return IsSet(record.OutputToMemory) ? Operation::CompressMemory : Operation::AddMemoryEntry;
  }
  return Operation::AddFiles;
}

Replacement ReplacementOf(const ZipCommandHeader& header) {
  if (IsSet(header.Update)) {
    return Replacement::Update;
  }
  return IsSet(header.Freshen) ? Replacement::Freshen : Replacement::Always;
}

FileSpecification SpecificationFrom(const ZipSpecificationEntry& entry) {
  FileSpecification specification;
  specification.pattern = CopyText(entry.Specification);
  specification.wantsEncryption = IsSet(entry.Encrypt);
  const std::string password = CopyText(entry.Password).substr(0, MaximumPasswordLength);
  if (specification.wantsEncryption && !password.empty()) {
    specification.password = password;
  }
  specification.recursion = entry.Recurse != 0 ? Recursion::IntoSubfolders : Recursion::ThisFolderOnly;
  specification.rootFolder = CopyText(entry.RootDir);
  return specification;
}

std::optional<std::string> RecordProblem(const ZipCommandRecord& record) {
  if (record.EndMarker != CommandRecordEndMarker) {
    return "the command record has no end marker where this engine expects it";
  }
  if (record.Header.SpecificationCount < 0 ||
      (record.Header.SpecificationCount > 0 && record.Specifications == nullptr)) {
    return "the command record's file specifications are missing";
  }
  if (record.ExclusionCount < 0 || (record.ExclusionCount > 0 && record.ExclusionTexts == nullptr)) {
    return "the command record's exclusions are missing";
  }
  if (IsSet(record.InputFromMemory) && record.InputBuffer == nullptr && record.InputSize > 0) {
    return "memory input was asked for without an input buffer";
  }
  if (IsSet(record.OutputToMemory) && !IsSet(record.InputFromMemory)) {
    return "memory output needs memory input";
  }
  if (IsSet(record.OutputToMemory) && record.OutputBuffer == nullptr) {
    return "memory output was asked for without an output buffer";
  }
  const bool needsArchive = !IsSet(record.OutputToMemory);
  if (needsArchive && (record.Header.ArchivePath == nullptr || *record.Header.ArchivePath == '\0')) {
    return "no archive was named";
  }
  return std::nullopt;
}

void ReadOptions(const ZipCommandRecord& record, ZipCommand& command) {
  const ZipCommandHeader& header = record.Header;
  command.level = std::clamp(header.CompressionLevel, 0, 9);
  command.folderNames = IsSet(header.DropFolderNames) ? FolderNames::Drop : FolderNames::Keep;
  command.folderEntries = IsSet(header.DirectoryEntries) ? FolderEntries::Add : FolderEntries::Omit;
  command.hiddenFiles = IsSet(header.HiddenFiles) ? HiddenFiles::Include : HiddenFiles::Skip;
  command.volumeLabel = IsSet(header.Volume) ? VolumeLabel::Include : VolumeLabel::Omit;
  command.replacement = ReplacementOf(header);
  command.sources = IsSet(header.Move) ? SourcesAfterwards::Remove : SourcesAfterwards::Keep;
  command.archiveDate = IsSet(header.ZipTime) ? ArchiveDate::NewestEntry : ArchiveDate::WhenWritten;
  command.nameForm = IsSet(header.ForceDosNames) ? NameForm::Dos83 : NameForm::AsGiven;
  command.codePage = static_cast<zipformat::CodePageChoice>(record.CodePage);
  command.archiveBitSelection = record.ArchiveOnly != 0 ? ArchiveBitSelection::ArchiveBitSet
                                                        : ArchiveBitSelection::AnyFile;
  command.archiveBitAfterwards = record.ResetArchive != 0 ? ArchiveBitAfterwards::Clear : ArchiveBitAfterwards::Keep;
  command.oldArchive = IsSet(record.RecycleBin) ? OldArchive::ToRecycleBin : OldArchive::Replace;
  command.verbosity = IsSet(header.Verbose) || IsSet(header.Trace) ? Verbosity::Verbose : Verbosity::Quiet;
  command.storedSuffixes = SplitSuffixes(CopyText(header.StoredSuffixes));
}

}  // namespace

std::optional<ZipCommand> ReadCommandRecord(const ZipCommandRecord& record, std::string& problem) {
  if (const std::optional<std::string> found = RecordProblem(record)) {
    problem = *found;
    return std::nullopt;
  }
  ZipCommand command;
  command.operation = OperationOf(record);
  command.archivePath = CopyText(record.Header.ArchivePath);
  command.tempFolder = CopyText(record.TempDir);
  if (record.ArchiveComment != nullptr) {
    command.archiveComment = CopyText(record.ArchiveComment);
  }
  ReadOptions(record, command);
  for (std::int32_t index = 0; index < record.Header.SpecificationCount; ++index) {
    FileSpecification specification = SpecificationFrom(record.Specifications[index]);
    if (!specification.pattern.empty()) {
      command.specifications.push_back(std::move(specification));
    }
  }
  for (std::int32_t index = 0; index < record.ExclusionCount; ++index) {
    std::string exclusion = CopyText(record.ExclusionTexts[index]);
    if (!exclusion.empty()) {
      command.exclusions.push_back(std::move(exclusion));
    }
  }
  if (record.InputFromMemory != 0) {
    command.memoryInput = std::span(static_cast<const std::byte*>(record.InputBuffer), record.InputSize);
    command.memoryAttributes = record.MemoryEntryAttributes;
    command.memoryDosDateTime = record.MemoryEntryDosDateTime;
  }
  if (record.OutputToMemory != 0) {
    command.memoryOutput = MemoryOutput{record.OutputBuffer, record.OutputSize};
  }
  return command;
}

}  // namespace engines::zip
