// The library as the component finds it: its entry points by name, its versions,
// and records it must refuse without crashing.
#include <gtest/gtest.h>

#include "engines/engine_records.h"
#include "tests/engines/zip/zip_harness.h"

namespace engines::zip::testing {
namespace {

TEST(ZipLibrary, ExportsItsEntryPointsWithTheirVersions) {
  ASSERT_NE(LibraryEngine(), nullptr);
  const auto version = reinterpret_cast<EngineVersionFunction>(LibraryEntry(ZipVersionEntryName));
  const auto privateVersion = reinterpret_cast<EngineVersionFunction>(LibraryEntry(ZipPrivVersionEntryName));
  ASSERT_NE(version, nullptr);
  ASSERT_NE(privateVersion, nullptr);
  EXPECT_EQ(version(), 160);
  EXPECT_EQ(privateVersion(), 1600);
}

TEST(ZipLibrary, RefusesRecordsItCannotUse) {
  ASSERT_NE(LibraryEngine(), nullptr);
  EXPECT_EQ(LibraryEngine()(nullptr), 0);

  struct Case {
    std::string title;
    std::function<void(ZipCommandRecord&)> spoil;
  };
  const std::vector<Case> cases = {
      {"no end marker", [](ZipCommandRecord& record) { record.EndMarker = 0; }},
      {"no archive", [](ZipCommandRecord& record) { record.Header.ArchivePath = nullptr; }},
      {"specifications missing", [](ZipCommandRecord& record) { record.Specifications = nullptr; }},
      {"memory output without input", [](ZipCommandRecord& record) { record.OutputToMemory = 1; }},
  };
  for (const Case& spoiled : cases) {
    RecordingCallback callback;
    const std::string archive = "never-written.zip";
    const char* specification = "*.txt";
    ZipSpecificationEntry entry{};
    entry.Specification = specification;
    ZipCommandRecord record{};
    record.Header.Caller = &callback;
    record.Header.RecordVersion = CommandRecordVersion;
    record.Header.Callback = &RecordingCallback::Answer;
    record.Header.AddCommand = 1;
    record.Header.SpecificationCount = 1;
    record.Header.ArchivePath = archive.c_str();
    record.Specifications = &entry;
    record.EndMarker = CommandRecordEndMarker;
    spoiled.spoil(record);
    EXPECT_EQ(LibraryEngine()(&record), 0) << spoiled.title;
    ASSERT_EQ(callback.events.size(), 1u) << spoiled.title;
    EXPECT_EQ(callback.events[0].action, EngineAction::Message);
    EXPECT_EQ(callback.events[0].value1, 1) << "BadCommand";
  }
}

}  // namespace
}  // namespace engines::zip::testing
