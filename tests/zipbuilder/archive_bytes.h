// Archives built byte by byte for the directory reader tests, so that every
// field the reader looks at (offsets, counts, lengths, flags, host system) can be
// set to what a test needs, including values no archiver would write.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zipbuilder::archive_bytes {

// How an entry's CRC and sizes follow its data, when they do (general flag bit 3).
enum class Descriptor : std::uint8_t { None, WithSignature, WithoutSignature };

struct Entry {
  std::string Name;  // as stored: "/" between folders, in the archive's code page
  std::string Data;  // stored without compression
  std::string Comment;
  std::string Extra;       // the central extra field
  std::string LocalExtra;  // the local one, which may differ, as Info-ZIP's does
  Descriptor DataDescriptor = Descriptor::None;
  std::uint16_t Flags = 0;
  std::uint8_t HostSystem = 0;  // 0 MS-DOS, 3 Unix, 11 NTFS
  std::uint8_t VersionMadeBy = 20;
};

struct Layout {
  // Bytes in front of the archive, as a self-extractor stub.
  std::string Prefix;
  // True: the offsets count from the file's start (a stub whose offsets were
  // adjusted); false: from the archive's start (a stub simply put in front).
  bool OffsetsIncludePrefix = false;
  std::string ArchiveComment;
  // Overrides of what the end record states.
  std::optional<std::uint16_t> StatedCommentLength;
  std::optional<std::uint16_t> StatedEntryCount;
  // Bytes behind the comment (padding or garbage).
  std::string Trailer;
  // The entries' data lies in the reverse of the directory's order.
  bool DataInReverseOrder = false;
  // Bytes that belong to no entry, in front of every local header.
  std::string GapBeforeEachEntry;
};

// Local headers with their data, the central directory and the end record.
[[nodiscard]] std::string BuildArchive(const std::vector<Entry>& entries, const Layout& layout = {});

// A central directory header alone, for sets whose directory is cut between disks.
[[nodiscard]] std::string CentralHeader(const Entry& entry, std::uint32_t localHeaderOffset,
                                        std::uint16_t diskStart = 0);

struct EndRecordFields {
  std::uint16_t ThisDisk = 0;
  std::uint16_t DirectoryDisk = 0;
  std::uint16_t EntriesOnThisDisk = 0;
  std::uint16_t TotalEntries = 0;
  std::uint32_t DirectorySize = 0;
  std::uint32_t DirectoryOffset = 0;
  std::string Comment;
};
[[nodiscard]] std::string EndRecord(const EndRecordFields& fields);

// A local header with the entry's data behind it.
[[nodiscard]] std::string LocalHeaderWithData(const Entry& entry);

// The first bytes of the first file of a spanned set.
[[nodiscard]] std::string SpanMark();

[[nodiscard]] std::uint32_t Crc32(std::string_view data);

// Little-endian integers appended to `bytes`.
void AppendUint16(std::string& bytes, std::uint16_t value);
void AppendUint32(std::string& bytes, std::uint32_t value);

}  // namespace zipbuilder::archive_bytes
