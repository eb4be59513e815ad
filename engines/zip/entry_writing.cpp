#include "engines/zip/entry_writing.h"

#include <algorithm>
#include <array>
#include <utility>

#include "engines/shared/crc32.h"
#include "platform/date_time.h"
#include "zipformat/records.h"

namespace engines::zip {

namespace zf = zipformat;

namespace {

constexpr std::uint16_t VersionNeeded = 20;
constexpr std::uint8_t UnixVersionMadeBy = 30;
constexpr std::uint8_t DosVersionMadeBy = 20;
constexpr std::uint32_t VolumeLabelAttribute = 0x08;
constexpr std::int64_t RereadPieceSize = 1 << 20;

struct DataFacts {
  std::uint16_t method = zf::compression_method::Stored;
  std::uint16_t flags = 0;
  std::uint32_t crc32 = 0;
  std::uint32_t compressedSize = 0;
  std::uint32_t uncompressedSize = 0;
};

std::uint16_t BaseFlags(const PlannedEntry& entry) {
  const bool utf8 = entry.name.utf8 || entry.comment.utf8;
  std::uint16_t flags = utf8 ? zf::general_flag::Utf8Names : 0;
  if (entry.password) {
    flags |= zf::general_flag::Encrypted;
  }
  return flags;
}

zf::LocalHeader LocalHeaderFor(const PlannedEntry& entry, const DataFacts& facts) {
  zf::LocalHeader header;
  header.versionNeeded = VersionNeeded;
  header.flags = facts.flags;
  header.method = facts.method;
  header.dosDateTime = entry.dosDateTime;
  header.crc32 = facts.crc32;
  header.compressedSize = facts.compressedSize;
  header.uncompressedSize = facts.uncompressedSize;
  header.nameLength = static_cast<std::uint16_t>(entry.name.bytes.size());
  return header;
}

std::uint32_t ExternalAttributes(const PlannedEntry& entry) {
  if (entry.origin == EntryOrigin::VolumeLabel) {
    return VolumeLabelAttribute;
  }
  const std::uint32_t dos = entry.dosAttributes & 0xFF;
  return entry.unixMode ? (*entry.unixMode << 16) | dos : dos;
}

CentralEntry CentralEntryFor(const PlannedEntry& entry, const DataFacts& facts, std::int64_t localHeaderOffset) {
  CentralEntry central;
  zf::CentralHeader& header = central.header;
  header.versionMadeBy = entry.unixMode ? UnixVersionMadeBy : DosVersionMadeBy;
  header.hostSystem = entry.unixMode ? zf::host_system::Unix : zf::host_system::MsDos;
  header.versionNeeded = VersionNeeded;
  header.flags = facts.flags;
  header.method = facts.method;
  header.dosDateTime = entry.dosDateTime;
  header.crc32 = facts.crc32;
  header.compressedSize = facts.compressedSize;
  header.uncompressedSize = facts.uncompressedSize;
  header.externalAttributes = ExternalAttributes(entry);
  header.localHeaderOffset = static_cast<std::uint32_t>(localHeaderOffset);
  central.name = entry.name.bytes;
  central.comment = entry.comment.bytes.substr(0, zf::MaximumCommentLength);
  return central;
}

std::uint32_t EncryptionOverhead(const PlannedEntry& entry) {
  return entry.password ? static_cast<std::uint32_t>(shared::EncryptionHeaderSize) : 0;
}

// An entry's data read a second time, from its file or from the caller's memory.
class SourceRereading {
 public:
  static std::optional<SourceRereading> Open(const PlannedEntry& entry) {
    SourceRereading source;
    source.memory_ = entry.memory;
    if (entry.origin == EntryOrigin::Memory) {
      return source;
    }
    source.file_ = platform::CreateFile(entry.diskPath, platform::FileAccess::Read, platform::FileShare::Read,
                                        platform::FileCreation::OpenExisting);
    if (source.file_ == platform::InvalidFileHandle) {
      return std::nullopt;
    }
    return source;
  }
  SourceRereading(SourceRereading&& other) noexcept
      : memory_(other.memory_), file_(std::exchange(other.file_, platform::InvalidFileHandle)) {}
  SourceRereading& operator=(SourceRereading&&) = delete;
  SourceRereading(const SourceRereading&) = delete;
  SourceRereading& operator=(const SourceRereading&) = delete;
  ~SourceRereading() {
    if (file_ != platform::InvalidFileHandle) {
      platform::CloseHandle(file_);
    }
  }

  // Fills `into` with the next bytes; false when they cannot all be had.
  [[nodiscard]] bool Read(std::span<std::byte> into) {
    if (file_ == platform::InvalidFileHandle) {
      if (into.size() > memory_.size()) {
        return false;
      }
      std::copy_n(memory_.begin(), into.size(), into.begin());
      memory_ = memory_.subspan(into.size());
      return true;
    }
    std::uint32_t read = 0;
    return platform::ReadFile(file_, into.data(), static_cast<std::uint32_t>(into.size()), read) && read == into.size();
  }

 private:
  SourceRereading() = default;
  std::span<const std::byte> memory_;
  platform::FileHandle file_ = platform::InvalidFileHandle;
};

}  // namespace

EntryWriter::EntryWriter(ArchiveOutput& output, CallbackChannel& channel, CompressionPipeline& pipeline)
    : output_(output),
      channel_(channel),
      pipeline_(pipeline),
      // Some runtimes' random_device is deterministic; the clock keeps headers apart.
      random_(std::random_device{}() ^ static_cast<std::uint32_t>(platform::GetUnixTime())) {}

std::optional<shared::TraditionalCipher> EntryWriter::StartEncryption(const PlannedEntry& entry,
                                                                      std::uint8_t checkByte) {
  if (!entry.password) {
    return std::nullopt;
  }
  shared::TraditionalCipher cipher(*entry.password);
  std::array<std::byte, shared::EncryptionHeaderSize> header{};
  std::uniform_int_distribution<int> byte(0, 255);
  for (std::byte& value : header) {
    value = static_cast<std::byte>(byte(random_));
  }
  header.back() = static_cast<std::byte>(checkByte);
  cipher.Encrypt(header);
  output_.Write(header);
  return cipher;
}

void EntryWriter::WriteData(std::optional<shared::TraditionalCipher>& cipher, std::span<std::byte> data) {
  if (cipher) {
    cipher->Encrypt(data);
  }
  output_.Write(data);
}

// The pieces of a source that is left out must not reach the next entry.
void EntryWriter::DrainSource(std::unique_ptr<CompressionJob> job) {
  while (job && job->place != shared::PiecePlace::Last) {
    job = pipeline_.Next();
  }
}

EntryOutcome EntryWriter::Skip(const PlannedEntry& entry, std::int64_t entryStart, ZipErrorValue error,
                               std::string_view why) {
  output_.CutBackTo(entryStart);
  const Flow flow = channel_.Message(error, "Left out " + entry.displayName + ": " + std::string(why));
  return flow == Flow::Stop ? EntryOutcome::Stopped : EntryOutcome::Skipped;
}

EntryOutcome EntryWriter::Write(const PlannedEntry& entry, std::vector<CentralEntry>& directory) {
  if (output_.Position() > LargestOffset) {
    return EntryOutcome::Failed;
  }
  if (!entry.HasData()) {
    return WriteWithoutData(entry, directory);
  }
  std::unique_ptr<CompressionJob> job = pipeline_.Next();
  if (!job) {
    return EntryOutcome::Failed;
  }
  if (job->readStatus != ReadStatus::Complete) {
    return Skip(entry, output_.Position(), ZipErrorValue::SourceUnreadable, "the file cannot be opened or read");
  }
  if (job->outOfMemory) {
    DrainSource(std::move(job));
    return Skip(entry, output_.Position(), ZipErrorValue::OutOfMemory, "not enough memory to compress it");
  }
  if (job->shape == JobShape::Whole) {
    return WriteWhole(entry, *job, directory);
  }
  return WritePieces(entry, std::move(job), directory);
}

EntryOutcome EntryWriter::WriteWithoutData(const PlannedEntry& entry, std::vector<CentralEntry>& directory) {
  DataFacts facts;
  facts.flags = BaseFlags(entry) & ~zf::general_flag::Encrypted;
  const std::int64_t entryStart = output_.Position();
  WriteLocalHeader(output_, LocalHeaderFor(entry, facts), entry.name.bytes);
  directory.push_back(CentralEntryFor(entry, facts, entryStart));
  return EntryOutcome::Written;
}

EntryOutcome EntryWriter::WriteWhole(const PlannedEntry& entry, CompressionJob& job,
                                     std::vector<CentralEntry>& directory) {
  std::vector<std::byte>& data = job.deflated ? job.output : job.input;
  DataFacts facts;
  facts.method = job.deflated ? zf::compression_method::Deflated : zf::compression_method::Stored;
  facts.flags = BaseFlags(entry);
  facts.crc32 = job.crc32;
  facts.compressedSize = static_cast<std::uint32_t>(data.size()) + EncryptionOverhead(entry);
  facts.uncompressedSize = static_cast<std::uint32_t>(job.inputSize);
  const std::int64_t entryStart = output_.Position();
  WriteLocalHeader(output_, LocalHeaderFor(entry, facts), entry.name.bytes);
  std::optional<shared::TraditionalCipher> cipher = StartEncryption(entry, static_cast<std::uint8_t>(job.crc32 >> 24));
  WriteData(cipher, data);
  directory.push_back(CentralEntryFor(entry, facts, entryStart));
  return channel_.BytesDone(job.inputSize) == Flow::Stop ? EntryOutcome::Stopped : EntryOutcome::Written;
}

// Pieces come one after the other; the sizes and the CRC are known only at the
// end, so they are written into the local header afterwards or, for encrypted
// data (whose check byte must be chosen before the data), into a data descriptor.
EntryOutcome EntryWriter::WritePieces(const PlannedEntry& entry, std::unique_ptr<CompressionJob> job,
                                      std::vector<CentralEntry>& directory) {
  DataFacts facts;
  facts.method = job->coding == Coding::Deflate ? zf::compression_method::Deflated : zf::compression_method::Stored;
  facts.flags = BaseFlags(entry);
  if (entry.password) {
    facts.flags |= zf::general_flag::DataDescriptor;
  }
  const std::int64_t entryStart = output_.Position();
  WriteLocalHeader(output_, LocalHeaderFor(entry, facts), entry.name.bytes);
  const std::uint8_t checkByte = shared::EncryptionCheckByte(facts.flags, 0, entry.dosDateTime);
  std::optional<shared::TraditionalCipher> cipher = StartEncryption(entry, checkByte);
  std::uint64_t compressed = EncryptionOverhead(entry);
  std::uint64_t uncompressed = 0;
  std::uint32_t crc = 0;
  for (;;) {
    if (job->readStatus != ReadStatus::Complete) {
      return Skip(entry, entryStart, ZipErrorValue::SourceUnreadable, "the file could not be read to its end");
    }
    if (job->outOfMemory) {
      DrainSource(std::move(job));
      return Skip(entry, entryStart, ZipErrorValue::OutOfMemory, "not enough memory to compress it");
    }
    std::vector<std::byte>& data = job->deflated ? job->output : job->input;
    crc = shared::CombineCrc32(crc, job->crc32, job->inputSize);
    compressed += data.size();
    uncompressed += job->inputSize;
    WriteData(cipher, data);
    if (channel_.BytesDone(job->inputSize) == Flow::Stop) {
      return EntryOutcome::Stopped;
    }
    if (job->place == shared::PiecePlace::Last) {
      break;
    }
    job = pipeline_.Next();
    if (!job) {
      return EntryOutcome::Failed;
    }
  }
  if (facts.method == zf::compression_method::Deflated && compressed >= uncompressed + EncryptionOverhead(entry)) {
    output_.CutBackTo(entryStart);
    return RewriteStored(entry, crc, directory);
  }
  facts.crc32 = crc;
  facts.compressedSize = static_cast<std::uint32_t>(compressed);
  facts.uncompressedSize = static_cast<std::uint32_t>(uncompressed);
  if (entry.password) {
    std::array<std::byte, zf::DataDescriptorSize> descriptor{};
    zf::WriteDataDescriptor(descriptor, zf::DataDescriptor{crc, facts.compressedSize, facts.uncompressedSize});
    output_.Write(descriptor);
  } else {
    std::array<std::byte, zf::LocalHeaderSize> header{};
    zf::WriteLocalHeader(header, LocalHeaderFor(entry, facts));
    output_.Overwrite(entryStart + static_cast<std::int64_t>(zf::LocalHeaderCrcAndSizesOffset),
                      std::span(header).subspan(zf::LocalHeaderCrcAndSizesOffset, zf::LocalHeaderCrcAndSizesLength));
  }
  directory.push_back(CentralEntryFor(entry, facts, entryStart));
  return EntryOutcome::Written;
}

// Deflating a large file made it larger: it is read again and stored as it is.
// Its CRC is known by now, so no data descriptor is needed.
EntryOutcome EntryWriter::RewriteStored(const PlannedEntry& entry, std::uint32_t crc32,
                                        std::vector<CentralEntry>& directory) {
  const std::int64_t entryStart = output_.Position();
  DataFacts facts;
  facts.flags = BaseFlags(entry);
  facts.crc32 = crc32;
  facts.uncompressedSize = static_cast<std::uint32_t>(entry.size);
  facts.compressedSize = facts.uncompressedSize + EncryptionOverhead(entry);
  std::optional<SourceRereading> source = SourceRereading::Open(entry);
  if (!source) {
    return Skip(entry, entryStart, ZipErrorValue::SourceUnreadable, "the file cannot be opened again");
  }
  WriteLocalHeader(output_, LocalHeaderFor(entry, facts), entry.name.bytes);
  std::optional<shared::TraditionalCipher> cipher = StartEncryption(entry, static_cast<std::uint8_t>(crc32 >> 24));
  std::vector<std::byte> buffer(static_cast<std::size_t>(RereadPieceSize));
  std::uint64_t left = entry.size;
  shared::Crc32 check;
  bool readable = true;
  while (left > 0 && readable) {
    const std::span<std::byte> data = std::span(buffer).first(static_cast<std::size_t>(std::min<std::uint64_t>(left, buffer.size())));
    readable = source->Read(data);
    check.Update(data);
    WriteData(cipher, data);
    left -= data.size();
  }
  if (!readable || check.Value() != crc32) {
    return Skip(entry, entryStart, ZipErrorValue::SourceUnreadable, "the file changed while it was being added");
  }
  directory.push_back(CentralEntryFor(entry, facts, entryStart));
  return EntryOutcome::Written;
}

}  // namespace engines::zip
