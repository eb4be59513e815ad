// The command record, read once into plain values the rest of the engine uses.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engines/engine_records.h"
#include "zipformat/text_encoding.h"

namespace engines::unzip {

// The record's code page field: 0 automatic, 1 none, 2 OEM.
using CodePageOption = zipformat::CodePageChoice;
enum class OperationMode { Extract, TestOnly };
enum class FolderNames { Recreate, Drop };
enum class ExistingFiles { Ask, Overwrite };
enum class ReplacementRule { Always, Freshen, Update };
enum class Verbosity { Quiet, Verbose };

struct MemoryOutput {
  void* buffer = nullptr;
  std::uint32_t size = 0;
};

struct UnzipCommand {
  std::string archivePath;
  std::string baseFolder;  // empty: the current folder
  std::string password;
  std::uint32_t passwordRequests = 0;
  std::vector<std::string> specifications;  // empty: every entry
  CodePageOption codePage = CodePageOption::Automatic;
  OperationMode mode = OperationMode::Extract;
  FolderNames folderNames = FolderNames::Drop;
  ExistingFiles existingFiles = ExistingFiles::Ask;
  ReplacementRule replacement = ReplacementRule::Always;
  Verbosity verbosity = Verbosity::Quiet;
  std::optional<MemoryOutput> memoryOutput;
  std::optional<std::span<const std::byte>> memoryInput;
};

// Reads a 148-byte layout record. On failure, `problem` says why in words.
[[nodiscard]] std::optional<UnzipCommand> ReadCommandRecord(const UnzipCommandRecord& record, std::string& problem);

}  // namespace engines::unzip
