// The folder, archive and checks most zip engine tests share.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "tests/engines/unzip/engine_harness.h"
#include "tests/engines/zip/archive_inspection.h"
#include "tests/engines/zip/test_tree.h"
#include "tests/engines/zip/zip_harness.h"

namespace engines::zip::testing {

class ZipEngineTest : public ::testing::Test {
 protected:
  [[nodiscard]] std::filesystem::path Source() const { return scratch_ / "src"; }
  [[nodiscard]] std::string ArchivePath() const { return (scratch_ / "out.zip").string(); }

  // A request for the archive with one recursive line taking everything in src,
  // names relative to the scratch folder.
  [[nodiscard]] ZipRequest AddEverything() const {
    ZipRequest request;
    request.archive = ArchivePath();
    request.specifications = {{.text = "src/*.*", .recurse = true, .rootFolder = scratch_.Path().string()}};
    return request;
  }

  RunResult Run(const ZipRequest& request) {
    const ExecFunction exec = LibraryEngine();
    EXPECT_NE(exec, nullptr) << "zipdll.dll cannot be loaded";
    return exec == nullptr ? RunResult{} : RunZip(exec, request, callback_);
  }

  // The archive is sound by our own reading, the unzip engine extracts exactly
  // `files`, and natively unzip, 7z and Python agree.
  void ExpectArchiveHolds(const std::map<std::string, std::string>& files, const std::string& password = {}) {
    const InspectedArchive archive = Inspect(ArchivePath());
    EXPECT_TRUE(archive.problems.empty()) << ::testing::PrintToString(archive.problems);
    EXPECT_EQ(ExtractWithUnzipEngine(ArchivePath(), password), files);
    if (PeerToolsAvailable()) {
      const std::vector<std::string> verdicts = PeerVerdicts(ArchivePath(), files, password);
      EXPECT_TRUE(verdicts.empty()) << ::testing::PrintToString(verdicts);
    }
  }

  unzip::testing::ScratchFolder scratch_;
  RecordingCallback callback_;
};

}  // namespace engines::zip::testing
