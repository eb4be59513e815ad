// A new entry as the add plans it, before any of its data is read.
#pragma once

#include <cstdint>
#include <cstddef>
#include <optional>
#include <span>
#include <string>

#include "engines/zip/stored_names.h"

namespace engines::zip {

enum class EntryOrigin { DiskFile, DiskFolder, Memory, VolumeLabel };

struct PlannedEntry {
  EntryOrigin origin = EntryOrigin::DiskFile;
  std::string diskPath;     // disk files and folders
  std::span<const std::byte> memory;  // the caller's data for a memory entry
  std::string displayName;  // the ANSI name callbacks show
  EncodedText name;         // as stored
  EncodedText comment;     // as stored
  std::uint32_t dosDateTime = 0;
  std::uint32_t dosAttributes = 0;
  std::optional<std::uint32_t> unixMode;  // where the platform has permission bits
  std::uint64_t size = 0;
  int level = 6;  // 0: stored
  std::optional<std::string> password;

  [[nodiscard]] bool HasData() const { return origin == EntryOrigin::DiskFile || origin == EntryOrigin::Memory; }
};

}  // namespace engines::zip
