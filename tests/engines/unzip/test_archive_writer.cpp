#include "tests/engines/unzip/test_archive_writer.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "engines/shared/crc32.h"
#include "engines/shared/deflate_codec.h"
#include "engines/shared/traditional_encryption.h"
#include "zipformat/records.h"

namespace engines::unzip::testing {

namespace zf = zipformat;

namespace {

std::span<const std::byte> BytesOf(const std::string& text) {
  return std::as_bytes(std::span(text.data(), text.size()));
}

std::vector<std::byte> Deflate(std::span<const std::byte> input) {
  shared::StreamingDeflater deflater(6);
  std::vector<std::byte> output;
  std::vector<std::byte> chunk(65536);
  for (;;) {
    const shared::DeflateStep step = deflater.Deflate(input, chunk, shared::DeflateFlush::FinishStream);
    input = input.subspan(step.consumed);
    output.insert(output.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(step.produced));
    if (step.finished) {
      return output;
    }
  }
}

void Append(std::vector<std::byte>& to, std::span<const std::byte> bytes) {
  to.insert(to.end(), bytes.begin(), bytes.end());
}

std::vector<std::byte> Encrypt(const TestEntry& entry, std::uint32_t crc, std::vector<std::byte> stored) {
  const std::uint16_t flags = entry.descriptor == Descriptor::AfterData ? zf::general_flag::DataDescriptor : 0;
  std::vector<std::byte> encrypted(shared::EncryptionHeaderSize);
  for (std::size_t index = 0; index < encrypted.size(); ++index) {
    encrypted[index] = static_cast<std::byte>(index * 29 + 101);
  }
  encrypted.back() = static_cast<std::byte>(shared::EncryptionCheckByte(flags, crc, entry.dosDateTime));
  Append(encrypted, stored);
  shared::TraditionalCipher(entry.password).Encrypt(encrypted);
  return encrypted;
}

struct EntryLayout {
  zf::CentralHeader central;
  std::size_t localOffset = 0;
};

}  // namespace

BuiltArchive BuildArchive(const std::vector<TestEntry>& entries) {
  BuiltArchive archive;
  std::vector<EntryLayout> layouts;
  for (const TestEntry& entry : entries) {
    const std::uint32_t crc = shared::UpdateCrc32(0, BytesOf(entry.content));
    std::vector<std::byte> stored = entry.storeAs == StoreAs::Deflated
                                        ? Deflate(BytesOf(entry.content))
                                        : std::vector<std::byte>(BytesOf(entry.content).begin(), BytesOf(entry.content).end());
    std::uint16_t flags = entry.extraFlags;
    if (!entry.password.empty()) {
      stored = Encrypt(entry, crc, std::move(stored));
      flags |= zf::general_flag::Encrypted;
    }
    if (entry.descriptor == Descriptor::AfterData) {
      flags |= zf::general_flag::DataDescriptor;
    }
    zf::CentralHeader central;
    central.versionMadeBy = entry.versionMadeBy;
    central.hostSystem = entry.hostSystem;
    central.versionNeeded = 20;
    central.flags = flags;
    central.method = entry.declaredMethod.value_or(entry.storeAs == StoreAs::Deflated ? zf::compression_method::Deflated
                                                                                      : zf::compression_method::Stored);
    central.dosDateTime = entry.dosDateTime;
    central.crc32 = entry.declaredCrc.value_or(crc);
    central.compressedSize = static_cast<std::uint32_t>(stored.size());
    central.uncompressedSize = entry.declaredUncompressedSize.value_or(static_cast<std::uint32_t>(entry.content.size()));
    central.nameLength = static_cast<std::uint16_t>(entry.name.size());
    central.commentLength = static_cast<std::uint16_t>(entry.comment.size());
    central.externalAttributes = entry.externalAttributes;
    central.localHeaderOffset = static_cast<std::uint32_t>(archive.bytes.size());

    zf::LocalHeader local;
    local.versionNeeded = central.versionNeeded;
    local.flags = flags;
    local.method = central.method;
    local.dosDateTime = central.dosDateTime;
    if (entry.descriptor == Descriptor::None) {
      local.crc32 = central.crc32;
      local.compressedSize = central.compressedSize;
      local.uncompressedSize = central.uncompressedSize;
    }
    local.nameLength = central.nameLength;
    std::vector<std::byte> header(zf::LocalHeaderSize);
    zf::WriteLocalHeader(header, local);
    Append(archive.bytes, header);
    Append(archive.bytes, BytesOf(entry.name));
    archive.dataOffsets.push_back(archive.bytes.size());
    Append(archive.bytes, stored);
    if (entry.descriptor == Descriptor::AfterData) {
      std::vector<std::byte> descriptor(zf::DataDescriptorSize);
      zf::WriteDataDescriptor(descriptor, {central.crc32, central.compressedSize, central.uncompressedSize});
      Append(archive.bytes, descriptor);
    }
    layouts.push_back({central, central.localHeaderOffset});
  }
  const std::size_t directoryStart = archive.bytes.size();
  for (std::size_t index = 0; index < entries.size(); ++index) {
    std::vector<std::byte> header(zf::CentralHeaderSize);
    zf::WriteCentralHeader(header, layouts[index].central);
    Append(archive.bytes, header);
    Append(archive.bytes, BytesOf(entries[index].name));
    Append(archive.bytes, BytesOf(entries[index].comment));
  }
  zf::EndRecord end;
  end.entriesOnThisDisk = static_cast<std::uint16_t>(entries.size());
  end.totalEntries = end.entriesOnThisDisk;
  end.directorySize = static_cast<std::uint32_t>(archive.bytes.size() - directoryStart);
  end.directoryOffset = static_cast<std::uint32_t>(directoryStart);
  std::vector<std::byte> record(zf::EndRecordSize);
  zf::WriteEndRecord(record, end);
  Append(archive.bytes, record);
  return archive;
}

void WriteLargeArchive(const std::filesystem::path& path, const std::string& name, std::uint64_t size) {
  std::ofstream file(path, std::ios::binary);
  const std::string pattern = "Lines of a large log file, line after line, 0123456789.\n";
  std::string block;
  while (block.size() < 1024 * 1024) {
    block += pattern;
  }
  zf::LocalHeader local;
  local.versionNeeded = 20;
  local.flags = zf::general_flag::DataDescriptor;
  local.method = zf::compression_method::Deflated;
  local.dosDateTime = DefaultDosDateTime;
  local.nameLength = static_cast<std::uint16_t>(name.size());
  std::vector<std::byte> header(zf::LocalHeaderSize);
  zf::WriteLocalHeader(header, local);
  file.write(reinterpret_cast<const char*>(header.data()), static_cast<std::streamsize>(header.size()));
  file << name;

  shared::StreamingDeflater deflater(1);
  shared::Crc32 crc;
  std::vector<std::byte> chunk(1 << 20);
  std::uint64_t compressed = 0;
  std::uint64_t remaining = size;
  bool finished = false;
  while (!finished) {
    const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(remaining, block.size()));
    std::span<const std::byte> input = BytesOf(block).first(take);
    crc.Update(input);
    remaining -= take;
    const shared::DeflateFlush flush =
        remaining == 0 ? shared::DeflateFlush::FinishStream : shared::DeflateFlush::MoreInputFollows;
    do {
      const shared::DeflateStep step = deflater.Deflate(input, chunk, flush);
      input = input.subspan(step.consumed);
      file.write(reinterpret_cast<const char*>(chunk.data()), static_cast<std::streamsize>(step.produced));
      compressed += step.produced;
      finished = step.finished;
    } while (!input.empty() || (flush == shared::DeflateFlush::FinishStream && !finished));
  }
  zf::CentralHeader central;
  central.versionMadeBy = 20;
  central.versionNeeded = 20;
  central.flags = local.flags;
  central.method = local.method;
  central.dosDateTime = local.dosDateTime;
  central.crc32 = crc.Value();
  central.compressedSize = static_cast<std::uint32_t>(compressed);
  central.uncompressedSize = static_cast<std::uint32_t>(size);
  central.nameLength = local.nameLength;
  std::vector<std::byte> descriptor(zf::DataDescriptorSize);
  zf::WriteDataDescriptor(descriptor, {central.crc32, central.compressedSize, central.uncompressedSize});
  file.write(reinterpret_cast<const char*>(descriptor.data()), static_cast<std::streamsize>(descriptor.size()));
  const auto directoryStart = static_cast<std::uint32_t>(file.tellp());
  std::vector<std::byte> centralBytes(zf::CentralHeaderSize);
  zf::WriteCentralHeader(centralBytes, central);
  file.write(reinterpret_cast<const char*>(centralBytes.data()), static_cast<std::streamsize>(centralBytes.size()));
  file << name;
  zf::EndRecord end;
  end.entriesOnThisDisk = 1;
  end.totalEntries = 1;
  end.directorySize = static_cast<std::uint32_t>(zf::CentralHeaderSize + name.size());
  end.directoryOffset = directoryStart;
  std::vector<std::byte> record(zf::EndRecordSize);
  zf::WriteEndRecord(record, end);
  file.write(reinterpret_cast<const char*>(record.data()), static_cast<std::streamsize>(record.size()));
  if (!file) {
    throw std::runtime_error("cannot write " + path.string());
  }
}

void WriteBytes(const std::filesystem::path& path, const std::vector<std::byte>& bytes) {
  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!file) {
    throw std::runtime_error("cannot write " + path.string());
  }
}

std::string ReadText(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void WriteText(const std::filesystem::path& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary);
  file << text;
}

}  // namespace engines::unzip::testing
