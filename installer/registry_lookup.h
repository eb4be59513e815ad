// The registry lookup of the target table's installation folders: each row's key
// is opened, its value read as text and cut to what one buffer holds.
#pragma once

#include <array>
#include <cstddef>
#include <string>

#include "installer/target_table.h"

namespace installer {

// One row's folder passes through a buffer of this size: at most 255 characters.
inline constexpr std::size_t TargetFolderBufferSize = 256;
using TargetFolderBuffer = std::array<char, TargetFolderBufferSize>;

// The folder each row's lookup found; empty until ReadAllTargetFolders, and empty
// for a row whose folder was not found.
extern std::array<std::string, KnownTargetCount> TargetFolders;

// Reads the folder that `target` records into `buffer` (NUL-terminated; empty when
// none). True when the key opened and the value was read as text (a missing or
// empty value reads as an empty text). A value of 256 characters or more is cut
// to its first 255.
[[nodiscard]] bool ReadTargetFolder(const KnownTarget& target, TargetFolderBuffer& buffer);
[[nodiscard]] bool ReadTargetFolder(std::size_t index, TargetFolderBuffer& buffer);

// Looks up every row, each with a registry reader and a buffer of its own.
void ReadAllTargetFolders();

}  // namespace installer
