// An entry's bytes in front of and behind its data: the local header, from which
// the data's offset follows, and the data descriptor, which the stored length of
// the entry takes in when the header's flags announce one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "zipformat/read_at.h"
#include "zipformat/records.h"

namespace zipformat {

struct LocalEntry {
  LocalHeader header;
  std::int64_t headerOffset = 0;  // where the local header begins
  std::int64_t dataOffset = 0;    // the first stored byte (an encryption header included)
  std::int64_t dataEnd = 0;       // just past the stored data, by the central header's compressed size
};

// Reads the local header at `headerOffset` of the entry that `central`
// describes; nothing when it cannot be read whole or is no local header.
[[nodiscard]] std::optional<LocalEntry> ReadLocalEntry(const ReadAtFunction& readAt, std::int64_t headerOffset,
                                                       const CentralHeader& central);

// The length of a data descriptor that begins with `firstBytes`: 16 with its
// signature, 12 without (also when fewer than four bytes are there).
[[nodiscard]] std::size_t DataDescriptorLength(std::span<const std::byte> firstBytes);

// The bytes the entry takes in the archive: local header, name, extra field,
// data and, when the central header's flags say one follows, the data
// descriptor, with or without its signature.
[[nodiscard]] std::int64_t MeasureStoredLength(const ReadAtFunction& readAt, const LocalEntry& entry,
                                               const CentralHeader& central);

}  // namespace zipformat
