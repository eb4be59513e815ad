// Decoding one entry's stored bytes: read, decrypt, inflate (or copy), check the
// CRC-32 and hand the result to a sink, with progress between the pieces.
//
// Guarantees: never more than the declared uncompressed size reaches the sink; the
// outcome is Complete only when exactly that size came out and its CRC-32 is the
// expected one. On a CRC mismatch the sink has received every decoded byte, so
// that a caller who keeps the damaged file gets all of it. Entries up to
// WholeEntryLimit (both sizes) are decoded in one piece by the whole-buffer
// decoder; larger ones stream in fixed chunks, so memory stays bounded whatever
// the entry size.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>

#include "engines/shared/inflate_codec.h"
#include "engines/shared/traditional_encryption.h"
#include "engines/unzip/archive_reader.h"
#include "engines/unzip/callback_channel.h"
#include "engines/unzip/output_sink.h"

namespace engines::unzip {

inline constexpr std::uint32_t WholeEntryLimit = 32u * 1024 * 1024;
inline constexpr std::size_t StreamChunkSize = 256u * 1024;

// The stored bytes of one entry, read in order.
class StoredBytesSource {
 public:
  virtual ~StoredBytesSource() = default;
  // Fills all of `into`, which is never larger than Remaining(); false on a read failure.
  [[nodiscard]] virtual bool Read(std::span<std::byte> into) = 0;
  [[nodiscard]] virtual std::uint64_t Remaining() const = 0;
};

class ArchiveBytesSource final : public StoredBytesSource {
 public:
  ArchiveBytesSource(const ArchiveFile& archive, std::int64_t offset, std::uint64_t length)
      : archive_(archive), offset_(offset), remaining_(length) {}
  [[nodiscard]] bool Read(std::span<std::byte> into) override;
  [[nodiscard]] std::uint64_t Remaining() const override { return remaining_; }

 private:
  const ArchiveFile& archive_;
  std::int64_t offset_;
  std::uint64_t remaining_;
};

class MemoryBytesSource final : public StoredBytesSource {
 public:
  explicit MemoryBytesSource(std::span<const std::byte> bytes) : bytes_(bytes) {}
  [[nodiscard]] bool Read(std::span<std::byte> into) override;
  [[nodiscard]] std::uint64_t Remaining() const override { return bytes_.size(); }

 private:
  std::span<const std::byte> bytes_;
};

struct EntryShape {
  std::uint16_t method = 0;
  std::uint32_t storedSize = 0;  // the data after any encryption header
  std::uint32_t uncompressedSize = 0;
  std::uint32_t expectedCrc = 0;
};

enum class DecodeOutcome { Complete, CrcMismatch, DataError, SizeMismatch, ReadError, WriteError, OutOfMemory, Stopped };

struct DecodeResult {
  DecodeOutcome outcome = DecodeOutcome::Complete;
  std::uint32_t foundCrc = 0;
};

// Called with the number of bytes decoded since the last call.
using ProgressReport = std::function<Flow(std::uint32_t bytesDone)>;

// A scratch block that only grows. Its bytes are left as they are: growing it
// neither copies the old bytes nor clears the new ones, work that showed in the
// profile of large entries.
class ScratchBuffer {
 public:
  // The first `size` bytes, of unspecified content.
  [[nodiscard]] std::span<std::byte> First(std::size_t size);
  void Release();

 private:
  std::unique_ptr<std::byte[]> bytes_;
  std::size_t size_ = 0;
};

// Buffers and the whole-buffer decoder, kept for all entries of one command.
class DecodeWorkspace {
 public:
  ScratchBuffer input;
  ScratchBuffer output;
  shared::WholeBufferInflater wholeInflater;
};

[[nodiscard]] DecodeResult DecodeEntry(const EntryShape& shape, StoredBytesSource& source,
                                       std::optional<shared::TraditionalCipher>& cipher, OutputSink& sink,
                                       const ProgressReport& progress, DecodeWorkspace& workspace);

}  // namespace engines::unzip
