#include "engines/unzip/entry_decoder.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "engines/shared/crc32.h"
#include "zipformat/records.h"

namespace engines::unzip {

namespace zf = zipformat;

namespace {

// Whole entries reach the sink in pieces of this size, so that progress and a
// cancel still come between the writes of a large file.
constexpr std::size_t WholeEntryWritePiece = 1024u * 1024;

// Reads the next piece of stored bytes and decrypts it in place.
bool ReadPiece(StoredBytesSource& source, std::optional<shared::TraditionalCipher>& cipher, std::span<std::byte> into) {
  if (!source.Read(into)) {
    return false;
  }
  if (cipher) {
    cipher->Decrypt(into);
  }
  return true;
}

DecodeResult Finished(std::uint32_t foundCrc, std::uint32_t expectedCrc) {
  return DecodeResult{foundCrc == expectedCrc ? DecodeOutcome::Complete : DecodeOutcome::CrcMismatch, foundCrc};
}

DecodeResult CopyStored(const EntryShape& shape, StoredBytesSource& source,
                        std::optional<shared::TraditionalCipher>& cipher, OutputSink& sink,
                        const ProgressReport& progress, DecodeWorkspace& workspace) {
  if (shape.storedSize != shape.uncompressedSize) {
    return DecodeResult{DecodeOutcome::SizeMismatch, 0};
  }
  shared::Crc32 crc;
  while (source.Remaining() > 0) {
    const std::span<std::byte> piece =
        workspace.input.First(static_cast<std::size_t>(std::min<std::uint64_t>(StreamChunkSize, source.Remaining())));
    if (!ReadPiece(source, cipher, piece)) {
      return DecodeResult{DecodeOutcome::ReadError, 0};
    }
    crc.Update(piece);
    if (!sink.Write(piece)) {
      return DecodeResult{DecodeOutcome::WriteError, 0};
    }
    if (progress(static_cast<std::uint32_t>(piece.size())) == Flow::Stop) {
      return DecodeResult{DecodeOutcome::Stopped, 0};
    }
  }
  return Finished(crc.Value(), shape.expectedCrc);
}

DecodeResult WriteInPieces(std::span<const std::byte> bytes, OutputSink& sink, const ProgressReport& progress) {
  do {
    const std::span<const std::byte> piece = bytes.first(std::min(bytes.size(), WholeEntryWritePiece));
    if (!sink.Write(piece)) {
      return DecodeResult{DecodeOutcome::WriteError, 0};
    }
    if (progress(static_cast<std::uint32_t>(piece.size())) == Flow::Stop) {
      return DecodeResult{DecodeOutcome::Stopped, 0};
    }
    bytes = bytes.subspan(piece.size());
  } while (!bytes.empty());
  return DecodeResult{};
}

DecodeResult InflateWhole(const EntryShape& shape, StoredBytesSource& source,
                          std::optional<shared::TraditionalCipher>& cipher, OutputSink& sink,
                          const ProgressReport& progress, DecodeWorkspace& workspace) {
  // Every allocation happens before the first byte is read, so that running out of
  // memory here leaves the source untouched for the streaming decoder.
  std::span<std::byte> output = sink.DirectBuffer(shape.uncompressedSize);
  const bool direct = output.size() == shape.uncompressedSize && !output.empty();
  const std::span<std::byte> stored = workspace.input.First(shape.storedSize);
  if (!direct) {
    output = workspace.output.First(shape.uncompressedSize);
  }
  if (!ReadPiece(source, cipher, stored)) {
    return DecodeResult{DecodeOutcome::ReadError, 0};
  }
  switch (workspace.wholeInflater.Inflate(stored, output)) {
    case shared::WholeInflateResult::Success:
      break;
    case shared::WholeInflateResult::SizeMismatch:
      return DecodeResult{DecodeOutcome::SizeMismatch, 0};
    case shared::WholeInflateResult::DataError:
      return DecodeResult{DecodeOutcome::DataError, 0};
    case shared::WholeInflateResult::OutOfMemory:
      return DecodeResult{DecodeOutcome::OutOfMemory, 0};
  }
  // The sink gets the bytes whatever their CRC: keeping a damaged file is the
  // caller's decision, taken after the mismatch is reported.
  const std::uint32_t foundCrc = shared::UpdateCrc32(0, output);
  if (direct) {
    return progress(shape.uncompressedSize) == Flow::Stop ? DecodeResult{DecodeOutcome::Stopped, 0}
                                                          : Finished(foundCrc, shape.expectedCrc);
  }
  const DecodeResult written = WriteInPieces(output, sink, progress);
  return written.outcome == DecodeOutcome::Complete ? Finished(foundCrc, shape.expectedCrc) : written;
}

DecodeResult InflateStreaming(const EntryShape& shape, StoredBytesSource& source,
                              std::optional<shared::TraditionalCipher>& cipher, OutputSink& sink,
                              const ProgressReport& progress, DecodeWorkspace& workspace) {
  shared::StreamingInflater inflater;
  if (!inflater.IsReady()) {
    return DecodeResult{DecodeOutcome::OutOfMemory, 0};
  }
  const std::span<std::byte> input = workspace.input.First(StreamChunkSize);
  const std::span<std::byte> outputChunk = workspace.output.First(StreamChunkSize);
  shared::Crc32 crc;
  std::span<const std::byte> pending;
  std::uint64_t produced = 0;
  // One spare byte: output past the declared size lands there and is never written.
  std::byte overflowProbe{};
  for (;;) {
    if (pending.empty() && source.Remaining() > 0) {
      const std::span<std::byte> piece =
          input.first(static_cast<std::size_t>(std::min<std::uint64_t>(StreamChunkSize, source.Remaining())));
      if (!ReadPiece(source, cipher, piece)) {
        return DecodeResult{DecodeOutcome::ReadError, 0};
      }
      pending = piece;
    }
    const std::uint64_t room = shape.uncompressedSize - produced;
    const std::span<std::byte> output =
        room == 0 ? std::span(&overflowProbe, 1)
                  : outputChunk.first(static_cast<std::size_t>(std::min<std::uint64_t>(StreamChunkSize, room)));
    const shared::InflateStep step = inflater.Inflate(pending, output);
    pending = pending.subspan(step.consumed);
    if (room == 0 && step.produced > 0) {
      return DecodeResult{DecodeOutcome::SizeMismatch, 0};
    }
    if (step.produced > 0) {
      const std::span<const std::byte> decoded = output.first(step.produced);
      produced += step.produced;
      crc.Update(decoded);
      if (!sink.Write(decoded)) {
        return DecodeResult{DecodeOutcome::WriteError, 0};
      }
      if (progress(static_cast<std::uint32_t>(step.produced)) == Flow::Stop) {
        return DecodeResult{DecodeOutcome::Stopped, 0};
      }
    }
    if (step.status == shared::InflateStatus::StreamEnd) {
      break;
    }
    if (step.status == shared::InflateStatus::DataError) {
      return DecodeResult{DecodeOutcome::DataError, 0};
    }
    if (step.status == shared::InflateStatus::NeedsInput && pending.empty() && source.Remaining() == 0) {
      return DecodeResult{DecodeOutcome::DataError, 0};
    }
  }
  if (produced != shape.uncompressedSize) {
    return DecodeResult{DecodeOutcome::SizeMismatch, 0};
  }
  return Finished(crc.Value(), shape.expectedCrc);
}

bool FitsInMemory(const EntryShape& shape) {
  return shape.uncompressedSize <= WholeEntryLimit && shape.storedSize <= WholeEntryLimit;
}

}  // namespace

std::span<std::byte> ScratchBuffer::First(std::size_t size) {
  if (size > size_) {
    Release();
    bytes_ = std::make_unique_for_overwrite<std::byte[]>(size);
    size_ = size;
  }
  return std::span(bytes_.get(), size);
}

void ScratchBuffer::Release() {
  bytes_.reset();
  size_ = 0;
}

bool ArchiveBytesSource::Read(std::span<std::byte> into) {
  if (into.size() > remaining_ || !archive_.ReadAt(offset_, into)) {
    return false;
  }
  offset_ += static_cast<std::int64_t>(into.size());
  remaining_ -= into.size();
  return true;
}

bool MemoryBytesSource::Read(std::span<std::byte> into) {
  if (into.size() > bytes_.size()) {
    return false;
  }
  if (!into.empty()) {
    std::memcpy(into.data(), bytes_.data(), into.size());
  }
  bytes_ = bytes_.subspan(into.size());
  return true;
}

DecodeResult DecodeEntry(const EntryShape& shape, StoredBytesSource& source,
                         std::optional<shared::TraditionalCipher>& cipher, OutputSink& sink,
                         const ProgressReport& progress, DecodeWorkspace& workspace) {
  if (shape.method == zf::compression_method::Stored) {
    return CopyStored(shape, source, cipher, sink, progress, workspace);
  }
  if (FitsInMemory(shape)) {
    try {
      return InflateWhole(shape, source, cipher, sink, progress, workspace);
    } catch (const std::bad_alloc&) {
      // Not enough memory for the whole entry at once: streaming needs far less.
      workspace.input.Release();
      workspace.output.Release();
    }
  }
  return InflateStreaming(shape, source, cipher, sink, progress, workspace);
}

}  // namespace engines::unzip
