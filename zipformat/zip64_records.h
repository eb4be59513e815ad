// The Zip64 records: the Zip64 end of central directory record (Zip64 end
// record), its locator, which stands right in front of the classic end record,
// and the Zip64 extended information extra field (header ID 0x0001) of central
// and local headers.
//
// The extra field holds only the values whose classic field carries the marker
// (0xFFFFFFFF for a size or an offset, 0xFFFF for a disk number), always in the
// same order: uncompressed size, compressed size, local header offset, disk start.
// Like the classic records, these are parsed from and written to caller-owned
// buffers only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "zipformat/records.h"

namespace zipformat {

inline constexpr std::uint32_t Zip64EndRecordSignature = 0x06064B50;
// The fixed part; a record may carry an extensible data sector behind it.
inline constexpr std::size_t Zip64EndRecordSize = 56;
inline constexpr std::uint16_t Zip64ExtraId = 0x0001;
// An extra field block: a 2-byte ID and a 2-byte length, then that many bytes.
inline constexpr std::size_t ExtraBlockHeaderSize = 4;
// The version needed to extract that Zip64 records ask for (4.5).
inline constexpr std::uint16_t Zip64VersionNeeded = 45;

struct Zip64EndRecord {
  std::uint16_t versionMadeBy = 0;
  std::uint16_t versionNeeded = 0;
  std::uint32_t thisDisk = 0;
  std::uint32_t directoryDisk = 0;
  std::uint64_t entriesOnThisDisk = 0;
  std::uint64_t totalEntries = 0;
  std::uint64_t directorySize = 0;
  std::uint64_t directoryOffset = 0;
};

struct Zip64Locator {
  std::uint32_t endRecordDisk = 0;    // the disk that holds the Zip64 end record
  std::uint64_t endRecordOffset = 0;  // where it starts on that disk
  std::uint32_t totalDisks = 0;
};

[[nodiscard]] std::optional<Zip64EndRecord> ParseZip64EndRecord(std::span<const std::byte> bytes);
[[nodiscard]] std::optional<Zip64Locator> ParseZip64Locator(std::span<const std::byte> bytes);
// Write the signature and the fixed part; `bytes` must hold at least the record's size.
void WriteZip64EndRecord(std::span<std::byte> bytes, const Zip64EndRecord& record);
void WriteZip64Locator(std::span<std::byte> bytes, const Zip64Locator& locator);

// The sizes, offset and disk of an entry, 64 bits wide.
struct EntryExtent {
  std::uint64_t uncompressedSize = 0;
  std::uint64_t compressedSize = 0;
  std::uint64_t localHeaderOffset = 0;
  std::uint32_t diskStart = 0;
};

// Which of the classic fields defer to the extra field.
struct DeferredFields {
  bool uncompressedSize = false;
  bool compressedSize = false;
  bool localHeaderOffset = false;
  bool diskStart = false;

  [[nodiscard]] bool Any() const { return uncompressedSize || compressedSize || localHeaderOffset || diskStart; }
  // The bytes these fields take in the extra field's data.
  [[nodiscard]] std::size_t DataLength() const;
};

[[nodiscard]] DeferredFields DeferredFieldsOf(const CentralHeader& header);
// A local header has no offset and no disk; its sizes defer when either holds the
// marker (a writer that streams sets both).
[[nodiscard]] DeferredFields DeferredFieldsOf(const LocalHeader& header);

// The data of the first block with `id` in `extra`; nothing when there is none or
// the field is cut short before it ends.
[[nodiscard]] std::optional<std::string_view> FindExtraBlock(std::string_view extra, std::uint16_t id);

enum class ExtentReading : std::uint8_t {
  Read,
  MissingExtra,  // a field defers, but the extra field has no Zip64 block
  ShortExtra,    // the Zip64 block holds fewer values than the fields that defer
};

struct ExtentResult {
  ExtentReading reading = ExtentReading::Read;
  EntryExtent extent;  // the classic values, with those that defer replaced
};

// The real sizes, offset and disk of a central header, from its Zip64 block
// where the header defers to it.
[[nodiscard]] ExtentResult ReadEntryExtent(const CentralHeader& header, std::string_view extra);
// The same for a local header (sizes only; offset and disk stay 0).
[[nodiscard]] ExtentResult ReadEntryExtent(const LocalHeader& header, std::string_view extra);

// A Zip64 block (header ID, length and data) holding the values `fields` names,
// in the standard order, taken from `extent`.
[[nodiscard]] std::string MakeZip64ExtraBlock(const DeferredFields& fields, const EntryExtent& extent);

}  // namespace zipformat
