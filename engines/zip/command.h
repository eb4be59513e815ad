// The command record, read once into plain values the rest of the engine uses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engines/engine_records.h"
#include "zipformat/text_encoding.h"

namespace engines::zip {

enum class Operation { AddFiles, AddMemoryEntry, CompressMemory, Delete };
enum class Recursion { ThisFolderOnly, IntoSubfolders };
enum class FolderNames { Keep, Drop };
enum class FolderEntries { Add, Omit };
enum class HiddenFiles { Skip, Include };
enum class VolumeLabel { Omit, Include };
enum class Replacement { Always, Freshen, Update };
enum class SourcesAfterwards { Keep, Remove };
enum class ArchiveDate { WhenWritten, NewestEntry };
enum class NameForm { AsGiven, Dos83 };
enum class ArchiveBitSelection { AnyFile, ArchiveBitSet };
enum class ArchiveBitAfterwards { Keep, Clear };
enum class OldArchive { Replace, ToRecycleBin };
enum class Verbosity { Quiet, Verbose };

// One line of the caller's file specifications.
struct FileSpecification {
  std::string pattern;
  std::optional<std::string> password;  // encrypt what this line selects
  bool wantsEncryption = false;         // encryption asked for, with or without a password
  Recursion recursion = Recursion::ThisFolderOnly;
  std::string rootFolder;  // empty: the current folder
};

struct MemoryOutput {
  void* buffer = nullptr;
  std::uint32_t size = 0;
};

struct ZipCommand {
  Operation operation = Operation::AddFiles;
  std::string archivePath;
  std::string tempFolder;  // empty: beside the archive
  std::optional<std::string> archiveComment;
  std::vector<FileSpecification> specifications;
  std::vector<std::string> exclusions;
  std::vector<std::string> storedSuffixes;  // ".gif", ".png", ...
  int level = 6;
  FolderNames folderNames = FolderNames::Keep;
  FolderEntries folderEntries = FolderEntries::Add;
  HiddenFiles hiddenFiles = HiddenFiles::Skip;
  VolumeLabel volumeLabel = VolumeLabel::Omit;
  Replacement replacement = Replacement::Always;
  SourcesAfterwards sources = SourcesAfterwards::Keep;
  ArchiveDate archiveDate = ArchiveDate::WhenWritten;
  NameForm nameForm = NameForm::AsGiven;
  zipformat::CodePageChoice codePage = zipformat::CodePageChoice::Automatic;  // how new texts are stored
  ArchiveBitSelection archiveBitSelection = ArchiveBitSelection::AnyFile;
  ArchiveBitAfterwards archiveBitAfterwards = ArchiveBitAfterwards::Keep;
  OldArchive oldArchive = OldArchive::Replace;
  Verbosity verbosity = Verbosity::Quiet;  // a message for every entry added or deleted
  std::span<const std::byte> memoryInput;
  std::uint32_t memoryAttributes = 0;
  std::uint32_t memoryDosDateTime = 0;
  MemoryOutput memoryOutput;
};

// Reads a 216-byte layout record. On failure, `problem` says why in words.
[[nodiscard]] std::optional<ZipCommand> ReadCommandRecord(const ZipCommandRecord& record, std::string& problem);

}  // namespace engines::zip
