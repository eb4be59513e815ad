#include "engines/zip/memory_compression.h"

#include <algorithm>
#include <cstring>

#include "engines/shared/crc32.h"
#include "engines/shared/memory_stream_header.h"
#include "engines/shared/whole_deflate.h"
#include "zipformat/records.h"

namespace engines::zip {

namespace zf = zipformat;

namespace {

// The method and the size of the data written after the header.
struct Encoded {
  std::uint16_t method = zf::compression_method::Stored;
  std::size_t size = 0;
};

std::optional<Encoded> Encode(const ZipCommand& command, std::span<std::byte> room) {
  const std::span<const std::byte> input = command.memoryInput;
  if (command.level > 0 && input.size() > 2) {
    shared::WholeBufferDeflater deflater(command.level);
    // Deflated data must come out smaller than the input and fit the room.
    const std::size_t offered = std::min(room.size(), input.size() - 1);
    const std::size_t produced = deflater.Compress(input, room.first(offered));
    if (produced > 0) {
      return Encoded{zf::compression_method::Deflated, produced};
    }
  }
  if (room.size() < input.size()) {
    return std::nullopt;
  }
  if (!input.empty()) {
    std::memcpy(room.data(), input.data(), input.size());
  }
  return Encoded{zf::compression_method::Stored, input.size()};
}

}  // namespace

std::int32_t CompressMemory(const ZipCommand& command, CallbackChannel& channel, std::uint32_t& produced) {
  produced = 0;
  const std::uint64_t size = command.memoryInput.size();
  if (channel.FileCount(1) == Flow::Stop || channel.TotalSize(size) == Flow::Stop ||
      channel.NewFile({}, size) == Flow::Stop) {
    return 0;
  }
  const std::span<std::byte> output(static_cast<std::byte*>(command.memoryOutput.buffer), command.memoryOutput.size);
  if (output.size() < shared::MemoryStreamHeaderSize) {
    static_cast<void>(channel.Message(ZipErrorValue::OutputTooSmall, "Memory output: no room for the 6-byte header"));
    return 0;
  }
  const std::optional<Encoded> encoded = Encode(command, output.subspan(shared::MemoryStreamHeaderSize));
  if (!encoded) {
    static_cast<void>(channel.Message(ZipErrorValue::OutputTooSmall, "Memory output: the buffer is too small"));
    return 0;
  }
  shared::WriteMemoryStreamHeader(output, {encoded->method, shared::UpdateCrc32(0, command.memoryInput)});
  produced = static_cast<std::uint32_t>(shared::MemoryStreamHeaderSize + encoded->size);
  if (channel.BytesDone(size) == Flow::Stop) {
    produced = 0;
    return 0;
  }
  static_cast<void>(channel.BatchEnd());
  return 1;
}

}  // namespace engines::zip
