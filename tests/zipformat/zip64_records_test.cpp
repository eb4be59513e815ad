#include "zipformat/zip64_records.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "zipformat/little_endian.h"

namespace zipformat {
namespace {

constexpr std::uint64_t BeyondFourGiB = 0x1'2345'6789ULL;

[[nodiscard]] std::string Block(std::uint16_t id, const std::string& data) {
  std::string block(4, '\0');
  const std::span<std::byte> bytes = std::as_writable_bytes(std::span(block));
  WriteUint16(bytes, 0, id);
  WriteUint16(bytes, 2, static_cast<std::uint16_t>(data.size()));
  return block + data;
}

[[nodiscard]] std::string Values(std::initializer_list<std::uint64_t> values) {
  std::string data(values.size() * 8, '\0');
  std::size_t position = 0;
  for (const std::uint64_t value : values) {
    WriteUint64(std::as_writable_bytes(std::span(data)), position, value);
    position += 8;
  }
  return data;
}

TEST(Zip64Records, EndRecordAndLocatorRoundTripAtTheirStandardOffsets) {
  const Zip64EndRecord record{45, 45, 2, 1, 70000, 140000, BeyondFourGiB, BeyondFourGiB + 7};
  std::vector<std::byte> bytes(Zip64EndRecordSize);
  WriteZip64EndRecord(bytes, record);
  EXPECT_EQ(ReadUint64(bytes, 4), 44u) << "the size of the rest of the record";
  EXPECT_EQ(ReadUint64(bytes, 48), BeyondFourGiB + 7) << "the directory offset is the last field";
  const std::optional<Zip64EndRecord> parsed = ParseZip64EndRecord(bytes);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->totalEntries, 140000u);
  EXPECT_EQ(parsed->entriesOnThisDisk, 70000u);
  EXPECT_EQ(parsed->directorySize, BeyondFourGiB);
  EXPECT_EQ(parsed->thisDisk, 2u);
  EXPECT_EQ(parsed->directoryDisk, 1u);

  std::vector<std::byte> locatorBytes(Zip64LocatorSize);
  WriteZip64Locator(locatorBytes, {3, BeyondFourGiB, 4});
  const std::optional<Zip64Locator> locator = ParseZip64Locator(locatorBytes);
  ASSERT_TRUE(locator);
  EXPECT_EQ(locator->endRecordDisk, 3u);
  EXPECT_EQ(locator->endRecordOffset, BeyondFourGiB);
  EXPECT_EQ(locator->totalDisks, 4u);

  EXPECT_FALSE(ParseZip64EndRecord(std::span(bytes).first(Zip64EndRecordSize - 1)));
  EXPECT_FALSE(ParseZip64Locator(std::span(bytes).first(Zip64LocatorSize))) << "an end record is no locator";
}

TEST(Zip64Records, OnlyTheFieldsThatHoldTheMarkerAreReadInTheStandardOrder) {
  CentralHeader header;
  header.uncompressedSize = Zip64Marker;
  header.compressedSize = 1000;
  header.localHeaderOffset = Zip64Marker;
  const std::string extra =
      Block(0x5455, "\x03\x01\x02\x03\x04") + Block(Zip64ExtraId, Values({BeyondFourGiB, BeyondFourGiB + 1}));

  const ExtentResult result = ReadEntryExtent(header, extra);

  ASSERT_EQ(result.reading, ExtentReading::Read);
  EXPECT_EQ(result.extent.uncompressedSize, BeyondFourGiB);
  EXPECT_EQ(result.extent.compressedSize, 1000u) << "a field without the marker is taken as it is";
  EXPECT_EQ(result.extent.localHeaderOffset, BeyondFourGiB + 1);
  EXPECT_EQ(result.extent.diskStart, 0u);
}

TEST(Zip64Records, ALocalHeaderDefersBothSizesWhenEitherHoldsTheMarker) {
  LocalHeader header;
  header.compressedSize = Zip64Marker;
  header.uncompressedSize = 0;
  const ExtentResult result = ReadEntryExtent(header, Block(Zip64ExtraId, Values({BeyondFourGiB, 5})));
  ASSERT_EQ(result.reading, ExtentReading::Read);
  EXPECT_EQ(result.extent.uncompressedSize, BeyondFourGiB);
  EXPECT_EQ(result.extent.compressedSize, 5u);
}

TEST(Zip64Records, MissingShortAndCutBlocksAreToldApart) {
  CentralHeader header;
  header.compressedSize = Zip64Marker;
  header.diskStart = Zip64CountMarker;
  EXPECT_EQ(ReadEntryExtent(header, "").reading, ExtentReading::MissingExtra);
  EXPECT_EQ(ReadEntryExtent(header, Block(0x7875, "ux")).reading, ExtentReading::MissingExtra);
  EXPECT_EQ(ReadEntryExtent(header, Block(Zip64ExtraId, Values({1}))).reading, ExtentReading::ShortExtra)
      << "the disk number is missing";
  std::string cut = Block(Zip64ExtraId, Values({1, 2}));
  cut.pop_back();
  EXPECT_EQ(ReadEntryExtent(header, cut).reading, ExtentReading::MissingExtra) << "a block that runs past the field";
  EXPECT_FALSE(FindExtraBlock("\x01", Zip64ExtraId));

  const CentralHeader classic;
  EXPECT_EQ(ReadEntryExtent(classic, "").reading, ExtentReading::Read) << "nothing defers, nothing is needed";
}

TEST(Zip64Records, AMadeBlockReadsBackWhateverFieldsItHolds) {
  for (const DeferredFields fields :
       {DeferredFields{true, true, false, false}, DeferredFields{false, false, true, false},
        DeferredFields{true, false, true, true}}) {
    const EntryExtent extent{BeyondFourGiB, BeyondFourGiB * 2, BeyondFourGiB * 3, 9};
    const std::string block = MakeZip64ExtraBlock(fields, extent);
    EXPECT_EQ(block.size(), 4 + fields.DataLength());
    CentralHeader header;
    header.uncompressedSize = fields.uncompressedSize ? Zip64Marker : 1;
    header.compressedSize = fields.compressedSize ? Zip64Marker : 2;
    header.localHeaderOffset = fields.localHeaderOffset ? Zip64Marker : 3;
    header.diskStart = fields.diskStart ? Zip64CountMarker : 0;
    const ExtentResult result = ReadEntryExtent(header, block);
    ASSERT_EQ(result.reading, ExtentReading::Read);
    EXPECT_EQ(result.extent.uncompressedSize, fields.uncompressedSize ? extent.uncompressedSize : 1);
    EXPECT_EQ(result.extent.compressedSize, fields.compressedSize ? extent.compressedSize : 2);
    EXPECT_EQ(result.extent.localHeaderOffset, fields.localHeaderOffset ? extent.localHeaderOffset : 3);
    EXPECT_EQ(result.extent.diskStart, fields.diskStart ? 9u : 0u);
  }
}

}  // namespace
}  // namespace zipformat
