#include "engines/unzip/command.h"

#include <cstring>

namespace engines::unzip {

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

ReplacementRule ReplacementFrom(const UnzipCommandHeader& header) {
  if (IsSet(header.Update)) {
    return ReplacementRule::Update;
  }
  return IsSet(header.Freshen) ? ReplacementRule::Freshen : ReplacementRule::Always;
}

}  // namespace

std::optional<UnzipCommand> ReadCommandRecord(const UnzipCommandRecord& record, std::string& problem) {
  const UnzipCommandHeader& header = record.Header;
  if (record.EndMarker != CommandRecordEndMarker) {
    problem = "the command record has no end marker where this engine expects it";
    return std::nullopt;
  }
  if (header.RecordVersion < static_cast<std::uint32_t>(UnzipCompactRecordVersion)) {
    problem = "the command record is of a version this engine cannot read";
    return std::nullopt;
  }
  if (record.SpecificationCount < 0 || (record.SpecificationCount > 0 && record.Specifications == nullptr)) {
    problem = "the command record's file specifications are missing";
    return std::nullopt;
  }
  const bool memoryInput = IsSet(record.InputFromMemory);
  if (memoryInput && record.InputBuffer == nullptr) {
    problem = "memory input was asked for without an input buffer";
    return std::nullopt;
  }
  if (!memoryInput && (record.ArchivePath == nullptr || *record.ArchivePath == '\0')) {
    problem = "no archive was named";
    return std::nullopt;
  }
  if (memoryInput && !IsSet(record.OutputToMemory)) {
    problem = "memory input can only be decoded into memory";
    return std::nullopt;
  }

  UnzipCommand command;
  command.archivePath = CopyText(record.ArchivePath);
  command.baseFolder = CopyText(record.BaseFolder);
  command.password = CopyText(header.Password).substr(0, MaximumPasswordLength);
  command.passwordRequests = record.PasswordReqCount;
  command.codePage = static_cast<CodePageOption>(header.CodePage);
  command.mode = IsSet(header.Test) ? OperationMode::TestOnly : OperationMode::Extract;
  command.folderNames = IsSet(header.DirectoryNames) ? FolderNames::Recreate : FolderNames::Drop;
  command.existingFiles = IsSet(header.Overwrite) ? ExistingFiles::Overwrite : ExistingFiles::Ask;
  command.replacement = ReplacementFrom(header);
  command.verbosity = IsSet(header.Verbose) || IsSet(header.Trace) ? Verbosity::Verbose : Verbosity::Quiet;
  for (std::int32_t index = 0; index < record.SpecificationCount; ++index) {
    std::string specification = CopyText(record.Specifications[index].Specification);
    if (!specification.empty()) {
      command.specifications.push_back(std::move(specification));
    }
  }
  if (IsSet(record.OutputToMemory)) {
    command.memoryOutput = MemoryOutput{record.OutputBuffer, record.OutputSize};
  }
  if (memoryInput) {
    command.memoryInput = std::span(static_cast<const std::byte*>(record.InputBuffer), record.InputSize);
  }
  return command;
}

}  // namespace engines::unzip
