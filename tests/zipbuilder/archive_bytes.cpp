#include "tests/zipbuilder/archive_bytes.h"

#include <array>

namespace zipbuilder::archive_bytes {

namespace {

constexpr std::uint32_t FixedDosDateTime = 0x5A215C00;  // 2025-01-01 11:32:00

std::array<std::uint32_t, 256> MakeCrcTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t index = 0; index < table.size(); ++index) {
    std::uint32_t value = index;
    for (int bit = 0; bit < 8; ++bit) {
      value = (value & 1) != 0 ? 0xEDB88320u ^ (value >> 1) : value >> 1;
    }
    table[index] = value;
  }
  return table;
}

}  // namespace

std::uint32_t Crc32(std::string_view data) {
  static const std::array<std::uint32_t, 256> table = MakeCrcTable();
  std::uint32_t crc = 0xFFFFFFFFu;
  for (const char character : data) {
    crc = table[(crc ^ static_cast<std::uint8_t>(character)) & 0xFF] ^ (crc >> 8);
  }
  return crc ^ 0xFFFFFFFFu;
}

void AppendUint16(std::string& bytes, std::uint16_t value) {
  bytes.push_back(static_cast<char>(value & 0xFF));
  bytes.push_back(static_cast<char>(value >> 8));
}

void AppendUint32(std::string& bytes, std::uint32_t value) {
  AppendUint16(bytes, static_cast<std::uint16_t>(value & 0xFFFF));
  AppendUint16(bytes, static_cast<std::uint16_t>(value >> 16));
}

namespace {

[[nodiscard]] std::uint16_t FlagsOf(const Entry& entry) {
  return entry.DataDescriptor == Descriptor::None ? entry.Flags : static_cast<std::uint16_t>(entry.Flags | 0x0008);
}

}  // namespace

std::string LocalHeaderWithData(const Entry& entry) {
  std::string bytes;
  const bool followed = entry.DataDescriptor != Descriptor::None;
  AppendUint32(bytes, 0x04034B50);
  AppendUint16(bytes, 20);
  AppendUint16(bytes, FlagsOf(entry));
  AppendUint16(bytes, 0);  // stored
  AppendUint32(bytes, FixedDosDateTime);
  AppendUint32(bytes, followed ? 0 : Crc32(entry.Data));
  AppendUint32(bytes, followed ? 0 : static_cast<std::uint32_t>(entry.Data.size()));
  AppendUint32(bytes, followed ? 0 : static_cast<std::uint32_t>(entry.Data.size()));
  AppendUint16(bytes, static_cast<std::uint16_t>(entry.Name.size()));
  AppendUint16(bytes, static_cast<std::uint16_t>(entry.LocalExtra.size()));
  bytes += entry.Name + entry.LocalExtra + entry.Data;
  if (followed) {
    if (entry.DataDescriptor == Descriptor::WithSignature) {
      AppendUint32(bytes, 0x08074B50);
    }
    AppendUint32(bytes, Crc32(entry.Data));
    AppendUint32(bytes, static_cast<std::uint32_t>(entry.Data.size()));
    AppendUint32(bytes, static_cast<std::uint32_t>(entry.Data.size()));
  }
  return bytes;
}

std::string CentralHeader(const Entry& entry, std::uint32_t localHeaderOffset, std::uint16_t diskStart) {
  std::string bytes;
  AppendUint32(bytes, 0x02014B50);
  bytes.push_back(static_cast<char>(entry.VersionMadeBy));
  bytes.push_back(static_cast<char>(entry.HostSystem));
  AppendUint16(bytes, 20);
  AppendUint16(bytes, FlagsOf(entry));
  AppendUint16(bytes, 0);
  AppendUint32(bytes, FixedDosDateTime);
  AppendUint32(bytes, Crc32(entry.Data));
  AppendUint32(bytes, static_cast<std::uint32_t>(entry.Data.size()));
  AppendUint32(bytes, static_cast<std::uint32_t>(entry.Data.size()));
  AppendUint16(bytes, static_cast<std::uint16_t>(entry.Name.size()));
  AppendUint16(bytes, static_cast<std::uint16_t>(entry.Extra.size()));
  AppendUint16(bytes, static_cast<std::uint16_t>(entry.Comment.size()));
  AppendUint16(bytes, diskStart);
  AppendUint16(bytes, 0);
  AppendUint32(bytes, entry.Name.ends_with('/') ? 0x10u : 0x20u);
  AppendUint32(bytes, localHeaderOffset);
  return bytes + entry.Name + entry.Extra + entry.Comment;
}

std::string EndRecord(const EndRecordFields& fields) {
  std::string bytes;
  AppendUint32(bytes, 0x06054B50);
  AppendUint16(bytes, fields.ThisDisk);
  AppendUint16(bytes, fields.DirectoryDisk);
  AppendUint16(bytes, fields.EntriesOnThisDisk);
  AppendUint16(bytes, fields.TotalEntries);
  AppendUint32(bytes, fields.DirectorySize);
  AppendUint32(bytes, fields.DirectoryOffset);
  AppendUint16(bytes, static_cast<std::uint16_t>(fields.Comment.size()));
  return bytes + fields.Comment;
}

std::string SpanMark() {
  std::string bytes;
  AppendUint32(bytes, 0x08074B50);
  return bytes;
}

std::string BuildArchive(const std::vector<Entry>& entries, const Layout& layout) {
  const std::uint32_t offsetBase = layout.OffsetsIncludePrefix ? static_cast<std::uint32_t>(layout.Prefix.size()) : 0;
  std::string data;
  std::vector<std::uint32_t> offsets(entries.size());
  for (std::size_t step = 0; step < entries.size(); ++step) {
    const std::size_t index = layout.DataInReverseOrder ? entries.size() - 1 - step : step;
    data += layout.GapBeforeEachEntry;
    offsets[index] = offsetBase + static_cast<std::uint32_t>(data.size());
    data += LocalHeaderWithData(entries[index]);
  }
  std::string directory;
  for (std::size_t index = 0; index < entries.size(); ++index) {
    directory += CentralHeader(entries[index], offsets[index]);
  }
  const auto count = static_cast<std::uint16_t>(entries.size());
  EndRecordFields end;
  end.EntriesOnThisDisk = layout.StatedEntryCount.value_or(count);
  end.TotalEntries = layout.StatedEntryCount.value_or(count);
  end.DirectorySize = static_cast<std::uint32_t>(directory.size());
  end.DirectoryOffset = offsetBase + static_cast<std::uint32_t>(data.size());
  end.Comment = layout.ArchiveComment;
  std::string record = EndRecord(end);
  if (layout.StatedCommentLength) {
    record[20] = static_cast<char>(*layout.StatedCommentLength & 0xFF);
    record[21] = static_cast<char>(*layout.StatedCommentLength >> 8);
  }
  return layout.Prefix + data + directory + record + layout.Trailer;
}

}  // namespace zipbuilder::archive_bytes
