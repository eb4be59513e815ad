#include "engines/unzip/memory_decoding.h"

#include <optional>
#include <string>

#include "engines/shared/memory_stream_header.h"
#include "engines/unzip/entry_decoder.h"
#include "zipformat/records.h"

namespace engines::unzip {

namespace zf = zipformat;

namespace {

std::string_view Describe(DecodeOutcome outcome) {
  switch (outcome) {
    case DecodeOutcome::DataError:
      return "Memory input: the compressed data is damaged";
    case DecodeOutcome::SizeMismatch:
      return "Memory input: the data does not decode to the output size";
    case DecodeOutcome::OutOfMemory:
      return "Memory input: not enough memory to decode it";
    default:
      return "Memory input: the data cannot be decoded";
  }
}

UnzipErrorValue ErrorOf(DecodeOutcome outcome) {
  return outcome == DecodeOutcome::OutOfMemory ? UnzipErrorValue::OutOfMemory : UnzipErrorValue::FormatError;
}

// Runs the batch between its count and its end; 1 when the output is complete.
std::int32_t DecodeInto(const UnzipCommand& command, CallbackChannel& channel, Flow& flow) {
  const std::span<const std::byte> input = *command.memoryInput;
  const std::uint32_t size = command.memoryOutput->size;
  const std::optional<shared::MemoryStreamHeader> header = shared::ParseMemoryStreamHeader(input);
  if (!header) {
    flow = channel.Message(UnzipErrorValue::FormatError, "Memory input: shorter than its 6-byte header");
    return 0;
  }
  if (header->method != zf::compression_method::Stored && header->method != zf::compression_method::Deflated) {
    flow = channel.Message(UnzipErrorValue::Unsupported,
                           "Memory input: compression method " + std::to_string(header->method) + " is not supported");
    return 0;
  }
  if ((flow = channel.NewFile({}, size)) == Flow::Stop) {
    return 0;
  }
  void* address = nullptr;
  if ((flow = channel.RequestOutputMemory(size, command.memoryOutput->buffer, size, address)) == Flow::Stop) {
    return 0;
  }
  if (address == nullptr && size > 0) {
    flow = channel.Message(UnzipErrorValue::OutOfMemory, "Memory input: no memory was given for the output");
    return 0;
  }
  const std::span<const std::byte> data = input.subspan(shared::MemoryStreamHeaderSize);
  MemoryBytesSource source(data);
  MemorySink sink(std::span(static_cast<std::byte*>(address), address == nullptr ? 0 : size));
  std::optional<shared::TraditionalCipher> noCipher;
  DecodeWorkspace workspace;
  const EntryShape shape{header->method, static_cast<std::uint32_t>(data.size()), size, header->crc32};
  const ProgressReport progress = [&channel](std::uint32_t bytes) { return channel.BytesDone(bytes); };
  const DecodeResult result = DecodeEntry(shape, source, noCipher, sink, progress, workspace);
  if (result.outcome == DecodeOutcome::Complete) {
    return 1;
  }
  if (result.outcome == DecodeOutcome::Stopped) {
    flow = Flow::Stop;
    return 0;
  }
  if (result.outcome == DecodeOutcome::CrcMismatch) {
    CrcDecision decision = CrcDecision::Drop;
    flow = channel.ReportCrcError({}, result.foundCrc, header->crc32, decision);
    return flow == Flow::Continue && decision == CrcDecision::Keep ? 1 : 0;
  }
  flow = channel.Message(ErrorOf(result.outcome), std::string(Describe(result.outcome)));
  return 0;
}

}  // namespace

std::int32_t DecodeMemoryInput(const UnzipCommand& command, CallbackChannel& channel) {
  const std::uint32_t size = command.memoryOutput->size;
  if (channel.FileCount(1) == Flow::Stop || channel.TotalSize(size) == Flow::Stop) {
    return 0;
  }
  Flow flow = Flow::Continue;
  const std::int32_t decoded = DecodeInto(command, channel, flow);
  if (flow == Flow::Continue) {
    static_cast<void>(channel.BatchEnd());
  }
  return decoded;
}

}  // namespace engines::unzip
