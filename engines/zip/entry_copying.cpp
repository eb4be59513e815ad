#include "engines/zip/entry_copying.h"

#include <algorithm>
#include <vector>

namespace engines::zip {

namespace {

constexpr std::int64_t CopyPieceSize = 1 << 20;

bool CopyBytes(const ExistingArchive& archive, std::int64_t position, std::int64_t length, ArchiveOutput& output) {
  std::vector<std::byte> buffer(static_cast<std::size_t>(std::min(length, CopyPieceSize)));
  while (length > 0) {
    const auto piece = static_cast<std::size_t>(std::min(length, CopyPieceSize));
    const std::span<std::byte> bytes = std::span(buffer).first(piece);
    if (!archive.ReadAt(position, bytes)) {
      return false;
    }
    output.Write(bytes);
    position += static_cast<std::int64_t>(piece);
    length -= static_cast<std::int64_t>(piece);
  }
  return true;
}

}  // namespace

bool CopyPrefix(const ExistingArchive& archive, ArchiveOutput& output) {
  return CopyBytes(archive, 0, archive.PrefixLength(), output);
}

std::optional<CentralEntry> CopyEntry(const ExistingArchive& archive, const ExistingEntry& entry,
                                      ArchiveOutput& output) {
  CentralEntry copied{entry.header, entry.name, entry.extra, entry.comment};
  copied.header.localHeaderOffset = static_cast<std::uint32_t>(output.Position());
  copied.header.diskStart = 0;
  if (output.Position() > LargestOffset ||
      !CopyBytes(archive, entry.localHeaderPosition, entry.storedLength, output)) {
    return std::nullopt;
  }
  return copied;
}

}  // namespace engines::zip
