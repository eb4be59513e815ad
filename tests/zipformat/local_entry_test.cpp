// An entry's local header, where its data begins, and how long it is stored.
#include "zipformat/local_entry.h"

#include <gtest/gtest.h>

#include <ostream>

#include "tests/zipformat/memory_archive.h"
#include "zipformat/single_disk_directory.h"

namespace zipformat {
namespace {

using testing_support::BuildArchive;
using testing_support::BuiltArchive;
using testing_support::Descriptor;
using testing_support::MemorySource;
using testing_support::TestEntry;

struct MeasureCase {
  const char* description;
  Descriptor descriptor;
  std::int64_t descriptorLength;
};

void PrintTo(const MeasureCase& test, std::ostream* out) { *out << test.description; }

class MeasureTest : public testing::TestWithParam<MeasureCase> {};

TEST_P(MeasureTest, TheStoredLengthTakesInTheDataDescriptor) {
  const TestEntry measured{.name = "dir/name.txt", .data = "0123456789", .descriptor = GetParam().descriptor};
  const BuiltArchive archive = BuildArchive({measured, {.name = "next.txt", .data = "n"}}, {.prefix = "STUB"});
  MemorySource source(archive.bytes);
  const DirectoryReading reading = ReadSingleDiskDirectory(source.Size(), source.Reader());
  ASSERT_EQ(reading.problem, DirectoryProblem::None);
  const CentralHeader& central = reading.directory.entries[0].header;
  const std::int64_t headerOffset = central.localHeaderOffset + reading.directory.placement.Displacement();

  const std::optional<LocalEntry> local = ReadLocalEntry(source.Reader(), headerOffset, central);
  ASSERT_TRUE(local.has_value());
  EXPECT_EQ(local->headerOffset, archive.localHeaderPositions[0]);
  EXPECT_EQ(local->dataOffset, archive.localHeaderPositions[0] + 30 + 12);
  EXPECT_EQ(local->dataEnd, local->dataOffset + 10);
  EXPECT_EQ(archive.bytes.substr(static_cast<std::size_t>(local->dataOffset), 10), "0123456789");
  // The next entry begins right behind the measured one.
  EXPECT_EQ(MeasureStoredLength(source.Reader(), *local, central), 30 + 12 + 10 + GetParam().descriptorLength);
  EXPECT_EQ(headerOffset + MeasureStoredLength(source.Reader(), *local, central), archive.localHeaderPositions[1]);
}

INSTANTIATE_TEST_SUITE_P(Descriptors, MeasureTest,
                         testing::Values(MeasureCase{"no data descriptor", Descriptor::None, 0},
                                         MeasureCase{"a descriptor with its signature", Descriptor::Signed, 16},
                                         MeasureCase{"a descriptor without its signature", Descriptor::Unsigned,
                                                     12}));

TEST(LocalEntry, ADescriptorAtTheVeryEndOfTheFileCountsWithoutSignature) {
  MemorySource source(BuildArchive({{.name = "a", .data = "xyz"}}).bytes);
  CentralHeader central;
  central.flags = general_flag::DataDescriptor;
  central.compressedSize = 3;
  LocalEntry entry;
  entry.headerOffset = 0;
  entry.dataEnd = source.Size() - 2;
  EXPECT_EQ(MeasureStoredLength(source.Reader(), entry, central), source.Size() - 2 + 12);
}

TEST(LocalEntry, DataDescriptorLengthIsSixteenOnlyWithTheSignature) {
  const std::byte signature[] = {std::byte{'P'}, std::byte{'K'}, std::byte{7}, std::byte{8}};
  const std::byte crc[] = {std::byte{'P'}, std::byte{'K'}, std::byte{3}, std::byte{4}};
  EXPECT_EQ(DataDescriptorLength(signature), 16u);
  EXPECT_EQ(DataDescriptorLength(crc), 12u);
  EXPECT_EQ(DataDescriptorLength(std::span(signature).first(3)), 12u);
}

TEST(LocalEntry, NothingWhereNoLocalHeaderCanBeRead) {
  const BuiltArchive archive = BuildArchive({{.name = "a.txt", .data = "alpha"}});
  MemorySource source(archive.bytes);
  const CentralHeader central;
  EXPECT_TRUE(ReadLocalEntry(source.Reader(), 0, central).has_value());
  EXPECT_FALSE(ReadLocalEntry(source.Reader(), 1, central).has_value()) << "no signature there";
  EXPECT_FALSE(ReadLocalEntry(source.Reader(), source.Size() - 10, central).has_value()) << "runs past the end";
  source.UnreachableFrom(0);
  EXPECT_FALSE(ReadLocalEntry(source.Reader(), 0, central).has_value()) << "out of reach";
}

}  // namespace
}  // namespace zipformat
