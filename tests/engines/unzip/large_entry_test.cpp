// Entries larger than any buffer the engine keeps: they stream, and the process
// stays below 100 MiB resident whatever their size. A program of its own, so that
// no other test's allocations count towards its peak.
#include <gtest/gtest.h>

#include <fstream>
#include <optional>

#include "tests/engines/unzip/engine_harness.h"
#include "tests/engines/unzip/test_archive_writer.h"

namespace engines::unzip::testing {
namespace {

namespace fs = std::filesystem;

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

void ExtractAndCheck(std::uint64_t size) {
  ScratchFolder scratch;
  WriteLargeArchive(scratch / "large.zip", "large.log", size);
  UnzipRequest request;
  request.archive = (scratch / "large.zip").string();
  request.baseFolder = (scratch / "out").string();
  fs::create_directories(scratch / "out");
  RecordingCallback callback;
  ASSERT_EQ(RunEngine(LinkedEngine(), request, callback), 1) << size;
  EXPECT_EQ(fs::file_size(scratch / "out" / "large.log"), size);
  EXPECT_GE(callback.Of(EngineAction::BytesDone).size(), size / (1 * MiB)) << "progress between the pieces";
}

TEST(LargeEntries, StreamAndStayBelow100MiBResident) {
  ExtractAndCheck(32 * MiB);   // the largest entry decoded in one piece
  ExtractAndCheck(300 * MiB);  // streamed
  const std::optional<std::uint64_t> peak = PeakResidentBytes();
  if (!peak) {
    GTEST_SKIP() << "this system does not report the peak resident size";
  }
  EXPECT_LT(*peak, 100 * MiB);
  std::cout << "peak resident: " << *peak / MiB << " MiB\n";
}

}  // namespace
}  // namespace engines::unzip::testing
