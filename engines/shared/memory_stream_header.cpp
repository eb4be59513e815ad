#include "engines/shared/memory_stream_header.h"

#include "zipformat/little_endian.h"

namespace engines::shared {

using zipformat::ReadUint16;
using zipformat::ReadUint32;
using zipformat::WriteUint16;
using zipformat::WriteUint32;

std::optional<MemoryStreamHeader> ParseMemoryStreamHeader(std::span<const std::byte> bytes) {
  if (bytes.size() < MemoryStreamHeaderSize) {
    return std::nullopt;
  }
  return MemoryStreamHeader{ReadUint16(bytes, 0), ReadUint32(bytes, 2)};
}

void WriteMemoryStreamHeader(std::span<std::byte> bytes, const MemoryStreamHeader& header) {
  WriteUint16(bytes, 0, header.method);
  WriteUint32(bytes, 2, header.crc32);
}

}  // namespace engines::shared
