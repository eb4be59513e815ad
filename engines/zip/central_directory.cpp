#include "engines/zip/central_directory.h"

#include <algorithm>
#include <array>

namespace engines::zip {

namespace zf = zipformat;

namespace {

std::span<const std::byte> BytesOf(std::string_view text) {
  return std::as_bytes(std::span(text.data(), text.size()));
}

}  // namespace

void WriteLocalHeader(ArchiveOutput& output, const zf::LocalHeader& header, std::string_view name) {
  std::array<std::byte, zf::LocalHeaderSize> fixed{};
  zf::WriteLocalHeader(fixed, header);
  output.Write(fixed);
  output.Write(BytesOf(name));
}

DirectoryOutcome WriteCentralDirectory(ArchiveOutput& output, const std::vector<CentralEntry>& entries,
                                       std::string_view comment) {
  if (entries.size() > MostEntries) {
    return DirectoryOutcome::TooLarge;
  }
  const std::int64_t directoryStart = output.Position();
  for (const CentralEntry& entry : entries) {
    zf::CentralHeader header = entry.header;
    header.nameLength = static_cast<std::uint16_t>(entry.name.size());
    header.extraLength = static_cast<std::uint16_t>(entry.extra.size());
    header.commentLength = static_cast<std::uint16_t>(entry.comment.size());
    std::array<std::byte, zf::CentralHeaderSize> fixed{};
    zf::WriteCentralHeader(fixed, header);
    output.Write(fixed);
    output.Write(BytesOf(entry.name));
    output.Write(BytesOf(entry.extra));
    output.Write(BytesOf(entry.comment));
  }
  const std::int64_t directoryEnd = output.Position();
  if (directoryEnd > LargestOffset) {
    return DirectoryOutcome::TooLarge;
  }
  const std::string_view keptComment = comment.substr(0, zf::MaximumCommentLength);
  zf::EndRecord end;
  end.entriesOnThisDisk = static_cast<std::uint16_t>(entries.size());
  end.totalEntries = end.entriesOnThisDisk;
  end.directorySize = static_cast<std::uint32_t>(directoryEnd - directoryStart);
  end.directoryOffset = static_cast<std::uint32_t>(directoryStart);
  end.commentLength = static_cast<std::uint16_t>(keptComment.size());
  std::array<std::byte, zf::EndRecordSize> fixed{};
  zf::WriteEndRecord(fixed, end);
  output.Write(fixed);
  output.Write(BytesOf(keptComment));
  return DirectoryOutcome::Written;
}

std::uint32_t NewestDateTime(const std::vector<CentralEntry>& entries) {
  std::uint32_t newest = 0;
  for (const CentralEntry& entry : entries) {
    newest = std::max(newest, entry.header.dosDateTime);
  }
  return newest;
}

}  // namespace engines::zip
