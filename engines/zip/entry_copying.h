// Entries already in an archive go into the new one as they are: their bytes are
// copied, never decompressed or recompressed, and only their offset changes.
#pragma once

#include <optional>

#include "engines/zip/archive_output.h"
#include "engines/zip/central_directory.h"
#include "engines/zip/existing_archive.h"

namespace engines::zip {

// Copies the bytes in front of the first entry (a self-extractor stub).
[[nodiscard]] bool CopyPrefix(const ExistingArchive& archive, ArchiveOutput& output);

// Copies one entry; its central record with the new offset, or nothing when the
// old archive could not be read.
[[nodiscard]] std::optional<CentralEntry> CopyEntry(const ExistingArchive& archive, const ExistingEntry& entry,
                                                    ArchiveOutput& output);

}  // namespace engines::zip
