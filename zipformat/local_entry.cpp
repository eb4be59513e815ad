#include "zipformat/local_entry.h"

#include <array>

#include "zipformat/little_endian.h"

namespace zipformat {

namespace {
constexpr std::size_t SignatureSize = 4;
}  // namespace

std::optional<LocalEntry> ReadLocalEntry(const ReadAtFunction& readAt, std::int64_t headerOffset,
                                         const CentralHeader& central) {
  std::array<std::byte, LocalHeaderSize> fixed{};
  if (!ReadExactly(readAt, headerOffset, fixed)) {
    return std::nullopt;
  }
  const std::optional<LocalHeader> header = ParseLocalHeader(fixed);
  if (!header) {
    return std::nullopt;
  }
  LocalEntry entry;
  entry.header = *header;
  entry.headerOffset = headerOffset;
  entry.dataOffset = headerOffset + static_cast<std::int64_t>(LocalHeaderSize + header->VariableLength());
  entry.dataEnd = entry.dataOffset + central.compressedSize;
  return entry;
}

std::size_t DataDescriptorLength(std::span<const std::byte> firstBytes) {
  const bool hasSignature = firstBytes.size() >= SignatureSize && ReadUint32(firstBytes, 0) == DataDescriptorSignature;
  return hasSignature ? DataDescriptorSize : UnsignedDataDescriptorSize;
}

std::int64_t MeasureStoredLength(const ReadAtFunction& readAt, const LocalEntry& entry,
                                 const CentralHeader& central) {
  std::int64_t end = entry.dataEnd;
  if ((central.flags & general_flag::DataDescriptor) != 0) {
    std::array<std::byte, SignatureSize> signature{};
    const std::span<const std::byte> read =
        ReadExactly(readAt, end, signature) ? std::span<const std::byte>(signature) : std::span<const std::byte>();
    end += static_cast<std::int64_t>(DataDescriptorLength(read));
  }
  return end - entry.headerOffset;
}

}  // namespace zipformat
