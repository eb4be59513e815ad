// Files larger than any buffer the engine keeps, and many files compressed at
// once: the process stays below 100 MiB resident whatever the sizes. A program of
// its own, so that no other test's allocations count towards its peak.
#include <gtest/gtest.h>

#include <fstream>
#include <iostream>
#include <optional>

#include "tests/engines/unzip/engine_harness.h"
#include "tests/engines/zip/archive_inspection.h"
#include "tests/engines/zip/test_tree.h"
#include "tests/engines/zip/zip_harness.h"
#include "zipformat/records.h"

namespace engines::zip::testing {
namespace {

constexpr std::uint64_t MiB = 1024 * 1024;

// The process's peak resident size, where the system tells it (Linux, and Wine on Linux).
std::optional<std::uint64_t> PeakResidentBytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.starts_with("VmHWM:")) {
      return std::stoull(line.substr(6)) * 1024;
    }
  }
  return std::nullopt;
}

// Text with a stretch of noise every few megabytes, written a megabyte at a time.
void WriteLargeFile(const std::filesystem::path& path, std::uint64_t size) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream file(path, std::ios::binary);
  const std::string text = TextOfSize(MiB);
  const std::string noise = RandomBytes(MiB, 9);
  for (std::uint64_t written = 0, index = 0; written < size; written += MiB, ++index) {
    const std::string& piece = index % 5 == 4 ? noise : text;
    file.write(piece.data(), static_cast<std::streamsize>(std::min<std::uint64_t>(MiB, size - written)));
  }
}

TEST(LargeFiles, StreamInPiecesAndStayBelow100MiBResident) {
  const unzip::testing::ScratchFolder scratch;
  WriteLargeFile(scratch.Path() / "in" / "large.log", 300 * MiB + 12345);
  for (int index = 0; index < 24; ++index) {
    WriteLargeFile(scratch.Path() / "in" / ("medium" + std::to_string(index) + ".dat"), 7 * MiB + index);
  }
  ZipRequest request;
  request.archive = (scratch.Path() / "large.zip").string();
  request.specifications = {{.text = "in/*", .rootFolder = scratch.Path().string()}};
  RecordingCallback callback;
  ASSERT_EQ(RunZip(LibraryEngine(), request, callback).count, 25);

  const InspectedArchive archive = Inspect(request.archive);
  EXPECT_TRUE(archive.problems.empty()) << ::testing::PrintToString(archive.problems);
  const InspectedEntry* large = archive.Find("in/large.log");
  ASSERT_NE(large, nullptr);
  EXPECT_EQ(large->central.uncompressedSize, 300 * MiB + 12345);
  EXPECT_EQ(large->central.method, zipformat::compression_method::Deflated);
  EXPECT_GE(callback.Of(EngineAction::BytesDone).size(), 300u) << "progress between the pieces";
  if (PeerToolsAvailable()) {
    EXPECT_EQ(std::system(("unzip -tq '" + request.archive + "' >/dev/null").c_str()), 0);
  }
  const std::optional<std::uint64_t> peak = PeakResidentBytes();
  if (!peak) {
    GTEST_SKIP() << "this system does not report the peak resident size";
  }
  EXPECT_LT(*peak, 100 * MiB);
  std::cout << "peak resident: " << *peak / MiB << " MiB\n";
}

}  // namespace
}  // namespace engines::zip::testing
