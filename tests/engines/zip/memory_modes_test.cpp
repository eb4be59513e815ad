// One entry from the caller's memory into an archive, and memory compressed into
// memory in the form the unzip engine takes back as memory input.
#include "engines/shared/crc32.h"
#include "engines/shared/memory_stream_header.h"
#include "platform/date_time.h"
#include "platform/files.h"
#include "tests/engines/unzip/test_archive_writer.h"
#include "tests/engines/zip/zip_test_fixture.h"
#include "zipformat/records.h"

namespace engines::zip::testing {
namespace {

namespace zf = zipformat;

std::vector<std::byte> BytesOf(const std::string& text) {
  const auto* start = reinterpret_cast<const std::byte*>(text.data());
  return std::vector<std::byte>(start, start + text.size());
}

class MemoryModes : public ZipEngineTest {};

TEST_F(MemoryModes, AnEntryFromMemoryTakesItsNameAttributesAndDate) {
  const std::vector<std::byte> input = BytesOf(TextOfSize(50000));
  const std::uint32_t date = unzip::testing::DosDateTime(2019, 3, 4, 5, 6, 8);
  ZipRequest request;
  request.archive = ArchivePath();
  request.specifications = {{.text = "memory\\stream.txt"}};
  request.input = &input;
  request.memoryAttributes = platform::file_attribute::ReadOnly | platform::file_attribute::Archive;
  request.memoryDosDateTime = date;
  EXPECT_EQ(Run(request).count, 1);
  const InspectedArchive archive = Inspect(ArchivePath());
  ASSERT_EQ(archive.Names(), std::vector<std::string>{"memory/stream.txt"});
  const zf::CentralHeader& header = archive.entries[0].central;
  EXPECT_EQ(header.dosDateTime, date);
  EXPECT_EQ(header.externalAttributes, platform::file_attribute::ReadOnly | platform::file_attribute::Archive);
  EXPECT_EQ(header.hostSystem, zf::host_system::MsDos);
  EXPECT_EQ(header.method, zf::compression_method::Deflated);
  ExpectArchiveHolds({{"memory/stream.txt", TextOfSize(50000)}});
}

TEST_F(MemoryModes, ALargeIncompressibleEntryFromMemoryIsStored) {
  const std::string noise = RandomBytes(9 * 1024 * 1024 + 3, 10);
  const std::vector<std::byte> input = BytesOf(noise);
  ZipRequest request;
  request.archive = ArchivePath();
  request.specifications = {{.text = "noise.bin"}};
  request.input = &input;
  EXPECT_EQ(Run(request).count, 1);
  EXPECT_EQ(Inspect(ArchivePath()).entries.at(0).central.method, zf::compression_method::Stored);
  ExpectArchiveHolds({{"noise.bin", noise}});
}

TEST_F(MemoryModes, AnEntryFromMemoryWithoutADateIsDatedNow) {
  const std::vector<std::byte> input = BytesOf("now");
  ZipRequest request;
  request.archive = ArchivePath();
  request.specifications = {{.text = "now.txt"}};
  request.input = &input;
  const std::uint32_t before = platform::SystemTimeToDosDateTime(platform::GetLocalTime());
  EXPECT_EQ(Run(request).count, 1);
  const std::uint32_t after = platform::SystemTimeToDosDateTime(platform::GetLocalTime());
  const std::uint32_t stamped = Inspect(ArchivePath()).entries.at(0).central.dosDateTime;
  EXPECT_GE(stamped, before);
  EXPECT_LE(stamped, after);
}

// The round trip the component relies on: compress into a buffer of the input's
// size plus 6, then hand exactly the produced bytes to the unzip engine.
std::string RoundTrip(const std::string& content, int level, std::uint16_t& method) {
  const std::vector<std::byte> input = BytesOf(content);
  std::vector<std::byte> compressed(input.size() + shared::MemoryStreamHeaderSize);
  ZipRequest request;
  request.level = level;
  request.input = &input;
  request.output = &compressed;
  RecordingCallback callback;
  const RunResult result = RunZip(LibraryEngine(), request, callback);
  EXPECT_EQ(result.count, 1);
  EXPECT_GE(result.outputSize, shared::MemoryStreamHeaderSize);
  EXPECT_LE(result.outputSize, compressed.size());
  compressed.resize(result.outputSize);
  const std::optional<shared::MemoryStreamHeader> header = shared::ParseMemoryStreamHeader(compressed);
  method = header ? header->method : 0xFFFF;
  EXPECT_EQ(header->crc32, shared::UpdateCrc32(0, input));

  std::vector<std::byte> output(content.size());
  unzip::testing::UnzipRequest unzip;
  unzip.outputToMemory = true;
  unzip.outputBuffer = &output;
  unzip.inputBuffer = &compressed;
  unzip::testing::RecordingCallback unzipCallback;
  EXPECT_EQ(unzip::testing::RunEngine(unzip::testing::LibraryEngine(), unzip, unzipCallback), 1);
  return std::string(reinterpret_cast<const char*>(output.data()), output.size());
}

struct MemoryCase {
  std::string title;
  std::string content;
  int level;
  std::uint16_t method;
};

class MemoryRoundTrips : public ::testing::TestWithParam<MemoryCase> {};

TEST_P(MemoryRoundTrips, ComeBackThroughTheUnzipEngine) {
  std::uint16_t method = 0;
  EXPECT_EQ(RoundTrip(GetParam().content, GetParam().level, method), GetParam().content);
  EXPECT_EQ(method, GetParam().method);
}

INSTANTIATE_TEST_SUITE_P(
    MemoryModes, MemoryRoundTrips,
    ::testing::Values(MemoryCase{"TextDeflated", TextOfSize(300000), 6, zf::compression_method::Deflated},
                      MemoryCase{"TextAtLevel9", TextOfSize(1000), 9, zf::compression_method::Deflated},
                      MemoryCase{"LevelZeroStores", TextOfSize(1000), 0, zf::compression_method::Stored},
                      MemoryCase{"NoiseStored", RandomBytes(100000, 3), 6, zf::compression_method::Stored},
                      MemoryCase{"OneByteStored", "x", 6, zf::compression_method::Stored}),
    [](const auto& named) { return named.param.title; });

TEST_F(MemoryModes, AnOutputBufferWithoutRoomForTheDataFails) {
  const std::vector<std::byte> input = BytesOf(RandomBytes(1000, 4));
  std::vector<std::byte> output(input.size());
  ZipRequest request;
  request.input = &input;
  request.output = &output;
  const RunResult result = Run(request);
  EXPECT_EQ(result.count, 0);
  EXPECT_EQ(result.outputSize, 0u);
  ASSERT_FALSE(callback_.Of(EngineAction::Message).empty());
  EXPECT_EQ(callback_.Of(EngineAction::Message).back().value1, 11) << "OutputTooSmall";
}

}  // namespace
}  // namespace engines::zip::testing
