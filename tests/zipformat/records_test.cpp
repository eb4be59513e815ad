#include "zipformat/records.h"

#include <gtest/gtest.h>

#include <vector>

namespace zipformat {
namespace {

TEST(ZipFormat, CentralHeaderRoundTripsEveryField) {
  CentralHeader header;
  header.versionMadeBy = 20;
  header.hostSystem = host_system::WindowsNtfs;
  header.versionNeeded = 20;
  header.flags = general_flag::Encrypted | general_flag::Utf8Names;
  header.method = compression_method::Deflated;
  header.dosDateTime = 0x5A21'7C3E;
  header.crc32 = 0xDEADBEEF;
  header.compressedSize = 123456;
  header.uncompressedSize = 654321;
  header.nameLength = 7;
  header.extraLength = 9;
  header.commentLength = 11;
  header.diskStart = 2;
  header.internalAttributes = 1;
  header.externalAttributes = 0x81B60020;
  header.localHeaderOffset = 0x01020304;
  std::vector<std::byte> bytes(CentralHeaderSize);
  WriteCentralHeader(bytes, header);
  // Offsets fixed by the format, checked on the bytes themselves.
  EXPECT_EQ(std::to_integer<int>(bytes[0]), 'P');
  EXPECT_EQ(std::to_integer<int>(bytes[5]), host_system::WindowsNtfs);
  EXPECT_EQ(std::to_integer<int>(bytes[12]), 0x3E);  // time low byte first
  EXPECT_EQ(std::to_integer<int>(bytes[15]), 0x5A);  // date high byte last
  EXPECT_EQ(std::to_integer<int>(bytes[45]), 0x01);

  const std::optional<CentralHeader> parsed = ParseCentralHeader(bytes);
  ASSERT_TRUE(parsed.has_value());
  EXPECT_EQ(parsed->hostSystem, header.hostSystem);
  EXPECT_EQ(parsed->flags, header.flags);
  EXPECT_EQ(parsed->dosDateTime, header.dosDateTime);
  EXPECT_EQ(parsed->crc32, header.crc32);
  EXPECT_EQ(parsed->compressedSize, header.compressedSize);
  EXPECT_EQ(parsed->uncompressedSize, header.uncompressedSize);
  EXPECT_EQ(parsed->VariableLength(), 27u);
  EXPECT_EQ(parsed->externalAttributes, header.externalAttributes);
  EXPECT_EQ(parsed->localHeaderOffset, header.localHeaderOffset);
}

TEST(ZipFormat, LocalHeaderRoundTrips) {
  LocalHeader header;
  header.flags = general_flag::DataDescriptor;
  header.method = compression_method::Stored;
  header.dosDateTime = 0x1234'5678;
  header.crc32 = 1;
  header.compressedSize = 2;
  header.uncompressedSize = 3;
  header.nameLength = 4;
  header.extraLength = 5;
  std::vector<std::byte> bytes(LocalHeaderSize);
  WriteLocalHeader(bytes, header);
  const std::optional<LocalHeader> parsed = ParseLocalHeader(bytes);
  ASSERT_TRUE(parsed.has_value());
  EXPECT_EQ(parsed->flags, header.flags);
  EXPECT_EQ(parsed->dosDateTime, header.dosDateTime);
  EXPECT_EQ(parsed->uncompressedSize, 3u);
  EXPECT_EQ(parsed->VariableLength(), 9u);
}

TEST(ZipFormat, ParsersRefuseShortBuffersAndWrongSignatures) {
  std::vector<std::byte> bytes(CentralHeaderSize);
  WriteCentralHeader(bytes, CentralHeader{});
  EXPECT_FALSE(ParseCentralHeader(std::span(bytes).first(CentralHeaderSize - 1)).has_value());
  EXPECT_FALSE(ParseLocalHeader(bytes).has_value());
  EXPECT_FALSE(ParseEndRecord(bytes).has_value());
  bytes[3] = std::byte{0};
  EXPECT_FALSE(ParseCentralHeader(bytes).has_value());
}

std::vector<std::byte> EndRecordBytes(std::uint16_t entries, std::size_t commentLength) {
  std::vector<std::byte> bytes(EndRecordSize + commentLength, std::byte{'c'});
  EndRecord record;
  record.totalEntries = entries;
  record.commentLength = static_cast<std::uint16_t>(commentLength);
  WriteEndRecord(bytes, record);
  return bytes;
}

TEST(ZipFormat, FindsTheEndRecordBehindDataCommentsAndGarbage) {
  struct Case {
    const char* what;
    std::size_t before;
    std::size_t comment;
    std::size_t garbage;
  };
  const Case cases[] = {
      {"record only", 0, 0, 0},
      {"data before", 500, 0, 0},
      {"comment", 500, 100, 0},
      {"garbage after", 500, 0, 37},
      {"longest comment", 10, MaximumCommentLength, 0},
  };
  for (const Case& entry : cases) {
    std::vector<std::byte> tail(entry.before, std::byte{0x11});
    const std::vector<std::byte> record = EndRecordBytes(3, entry.comment);
    tail.insert(tail.end(), record.begin(), record.end());
    tail.insert(tail.end(), entry.garbage, std::byte{0});
    const std::optional<std::size_t> found = FindEndRecord(tail);
    ASSERT_TRUE(found.has_value()) << entry.what;
    EXPECT_EQ(*found, entry.before) << entry.what;
    EXPECT_EQ(ParseEndRecord(std::span(tail).subspan(*found))->totalEntries, 3) << entry.what;
  }
  EXPECT_FALSE(FindEndRecord(std::vector<std::byte>(21)).has_value());
  EXPECT_FALSE(FindEndRecord(std::vector<std::byte>(5000, std::byte{'P'})).has_value());
}

TEST(ZipFormat, AnyZip64MarkerInARecordIsNoticed) {
  EXPECT_FALSE(UsesZip64Markers(EndRecord{}));
  EXPECT_FALSE(UsesZip64Markers(CentralHeader{}));
  const auto endRecordWith = [](auto change) {
    EndRecord record;
    change(record);
    return UsesZip64Markers(record);
  };
  EXPECT_TRUE(endRecordWith([](EndRecord& record) { record.thisDisk = 0xFFFF; }));
  EXPECT_TRUE(endRecordWith([](EndRecord& record) { record.directoryDisk = 0xFFFF; }));
  EXPECT_TRUE(endRecordWith([](EndRecord& record) { record.entriesOnThisDisk = 0xFFFF; }));
  EXPECT_TRUE(endRecordWith([](EndRecord& record) { record.totalEntries = 0xFFFF; }));
  EXPECT_TRUE(endRecordWith([](EndRecord& record) { record.directorySize = 0xFFFFFFFF; }));
  EXPECT_TRUE(endRecordWith([](EndRecord& record) { record.directoryOffset = 0xFFFFFFFF; }));
  EXPECT_FALSE(endRecordWith([](EndRecord& record) { record.totalEntries = 0xFFFE; }));

  const auto headerWith = [](auto change) {
    CentralHeader header;
    change(header);
    return UsesZip64Markers(header);
  };
  EXPECT_TRUE(headerWith([](CentralHeader& header) { header.compressedSize = 0xFFFFFFFF; }));
  EXPECT_TRUE(headerWith([](CentralHeader& header) { header.uncompressedSize = 0xFFFFFFFF; }));
  EXPECT_TRUE(headerWith([](CentralHeader& header) { header.localHeaderOffset = 0xFFFFFFFF; }));
  EXPECT_TRUE(headerWith([](CentralHeader& header) { header.diskStart = 0xFFFF; }));
  EXPECT_FALSE(headerWith([](CentralHeader& header) { header.compressedSize = 0xFFFFFFFE; }));
}

TEST(ZipFormat, TheZip64LocatorIsKnownByItsSignatureAndSize) {
  std::vector<std::byte> bytes(Zip64LocatorSize);
  bytes[0] = std::byte{'P'};
  bytes[1] = std::byte{'K'};
  bytes[2] = std::byte{6};
  bytes[3] = std::byte{7};
  EXPECT_TRUE(IsZip64Locator(bytes));
  EXPECT_FALSE(IsZip64Locator(std::span(bytes).first(Zip64LocatorSize - 1)));
  bytes[2] = std::byte{5};
  EXPECT_FALSE(IsZip64Locator(bytes));
}

}  // namespace
}  // namespace zipformat
