#include "tests/zipbuilder/test_files.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <span>
#include <sstream>
#include <stdexcept>

#include "engines/shared/crc32.h"
#include "engines/shared/deflate_codec.h"
#include "engines/shared/memory_stream_header.h"
#include "zipformat/records.h"

namespace zipbuilder::testing_support {

namespace {

namespace zip_format = zipformat;

constexpr std::uint16_t VersionNeededToExtract = 20;
constexpr std::uint32_t FixedDosDateTime = 0x5A215C00;  // 2025-01-01 11:32:00

std::filesystem::path UniqueFolderName() {
  std::random_device seed;
  std::mt19937_64 generator(seed());
  return std::filesystem::temp_directory_path() /
         ("zipbuilder-binding-" + std::to_string(generator() % 1'000'000'000));
}

std::span<const std::byte> BytesOf(std::string_view text) { return std::as_bytes(std::span(text.data(), text.size())); }

std::string Deflate(std::string_view content) {
  engines::shared::StreamingDeflater deflater(6);
  std::string output(content.size() + 1024, '\0');
  const auto step = deflater.Deflate(BytesOf(content), std::as_writable_bytes(std::span(output.data(), output.size())),
                                     engines::shared::DeflateFlush::FinishStream);
  if (!step.finished || step.consumed != content.size()) {
    throw std::runtime_error("deflate did not finish in one step");
  }
  output.resize(step.produced);
  return output;
}

std::uint32_t Crc(std::string_view content) { return engines::shared::UpdateCrc32(0, BytesOf(content)); }

std::string FixedPart(std::size_t size, auto writer) {
  std::string bytes(size, '\0');
  writer(std::as_writable_bytes(std::span(bytes.data(), bytes.size())));
  return bytes;
}

}  // namespace

ScratchFolder::ScratchFolder() {
  std::filesystem::path folder = UniqueFolderName();
  while (!std::filesystem::create_directory(folder)) {
    folder = UniqueFolderName();
  }
  path_ = folder.string();
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string ScratchFolder::PathOf(std::string_view relativeName) const {
  return (std::filesystem::path(path_) / std::filesystem::path(relativeName)).make_preferred().string();
}

void ScratchFolder::WriteFile(std::string_view relativeName, std::string_view contents) const {
  const std::filesystem::path file = PathOf(relativeName);
  std::filesystem::create_directories(file.parent_path());
  std::ofstream stream(file, std::ios::binary | std::ios::trunc);
  stream.write(contents.data(), static_cast<std::streamsize>(contents.size()));
}

std::optional<std::string> ScratchFolder::ReadFile(std::string_view relativeName) const {
  std::ifstream stream(PathOf(relativeName), std::ios::binary);
  if (!stream) {
    return std::nullopt;
  }
  std::ostringstream contents;
  contents << stream.rdbuf();
  return contents.str();
}

void ScratchFolder::CreateFolder(std::string_view relativeName) const {
  std::filesystem::create_directories(PathOf(relativeName));
}

std::string BuildArchive(const std::vector<ArchiveEntry>& entries) {
  std::string archive;
  std::string directory;
  for (const ArchiveEntry& entry : entries) {
    const bool deflated = entry.Compression == EntryCompression::Deflated;
    const std::string data = deflated ? Deflate(entry.Content) : entry.Content;
    zip_format::LocalHeader local;
    local.versionNeeded = VersionNeededToExtract;
    local.method = deflated ? zip_format::compression_method::Deflated : zip_format::compression_method::Stored;
    local.dosDateTime = FixedDosDateTime;
    local.crc32 = Crc(entry.Content);
    local.compressedSize = static_cast<std::uint32_t>(data.size());
    local.uncompressedSize = static_cast<std::uint32_t>(entry.Content.size());
    local.nameLength = static_cast<std::uint16_t>(entry.Name.size());

    zip_format::CentralHeader central;
    central.versionMadeBy = VersionNeededToExtract;
    central.hostSystem = zip_format::host_system::MsDos;
    central.versionNeeded = local.versionNeeded;
    central.method = local.method;
    central.dosDateTime = local.dosDateTime;
    central.crc32 = local.crc32;
    central.compressedSize = local.compressedSize;
    central.uncompressedSize = local.uncompressedSize;
    central.nameLength = local.nameLength;
    central.localHeaderOffset = static_cast<std::uint32_t>(archive.size());

    archive += FixedPart(zip_format::LocalHeaderSize, [&](auto bytes) { zip_format::WriteLocalHeader(bytes, local); });
    archive += entry.Name;
    archive += data;
    directory +=
        FixedPart(zip_format::CentralHeaderSize, [&](auto bytes) { zip_format::WriteCentralHeader(bytes, central); });
    directory += entry.Name;
  }
  zip_format::EndRecord end;
  end.entriesOnThisDisk = static_cast<std::uint16_t>(entries.size());
  end.totalEntries = end.entriesOnThisDisk;
  end.directorySize = static_cast<std::uint32_t>(directory.size());
  end.directoryOffset = static_cast<std::uint32_t>(archive.size());
  archive += directory;
  archive += FixedPart(zip_format::EndRecordSize, [&](auto bytes) { zip_format::WriteEndRecord(bytes, end); });
  return archive;
}

std::string BuildDeflatedMemoryStream(std::string_view content) {
  engines::shared::MemoryStreamHeader header;
  header.method = zipformat::compression_method::Deflated;
  header.crc32 = Crc(content);
  std::string stream = FixedPart(engines::shared::MemoryStreamHeaderSize, [&](auto bytes) {
    engines::shared::WriteMemoryStreamHeader(bytes, header);
  });
  return stream + Deflate(content);
}

}  // namespace zipbuilder::testing_support
