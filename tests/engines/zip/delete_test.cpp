// Deleting entries through the library: which entries the specifications
// select, and that everything else is copied as it was.
#include "tests/engines/unzip/test_archive_writer.h"
#include "tests/engines/zip/zip_test_fixture.h"
#include "zipformat/records.h"

namespace engines::zip::testing {
namespace {

using Names = std::vector<std::string>;

const std::string Stub = "#!self-extractor stub\n";

class DeleteEntries : public ZipEngineTest {
 protected:
  void SetUp() override {
    using unzip::testing::Descriptor;
    using unzip::testing::StoreAs;
    std::vector<std::byte> bytes(reinterpret_cast<const std::byte*>(Stub.data()),
                                 reinterpret_cast<const std::byte*>(Stub.data()) + Stub.size());
    const std::vector<std::byte> archive =
        unzip::testing::BuildArchive({
                                         {.name = "a.txt", .content = "first"},
                                         {.name = "docs/", .content = ""},
                                         {.name = "docs/B.TXT", .content = "second", .storeAs = StoreAs::Stored},
                                         {.name = "docs/c.log", .content = "third", .descriptor = Descriptor::AfterData},
                                         {.name = "d.bin", .content = std::string(4000, 'd'), .password = "pw"},
                                     })
            .bytes;
    bytes.insert(bytes.end(), archive.begin(), archive.end());
    unzip::testing::WriteBytes(ArchivePath(), bytes);
  }

  RunResult Delete(std::vector<std::string> specifications, std::vector<std::string> exclusions = {}) {
    ZipRequest request;
    request.archive = ArchivePath();
    request.deleteEntries = true;
    for (std::string& text : specifications) {
      request.specifications.push_back({.text = std::move(text)});
    }
    request.exclusions = std::move(exclusions);
    return Run(request);
  }
};

struct DeleteCase {
  std::string title;
  std::vector<std::string> specifications;
  std::vector<std::string> exclusions;
  Names remaining;
};

class Deletions : public DeleteEntries, public ::testing::WithParamInterface<DeleteCase> {};

TEST_P(Deletions, RemoveWhatTheSpecificationsSelect) {
  const std::size_t before = 5;
  const RunResult result = Delete(GetParam().specifications, GetParam().exclusions);
  EXPECT_EQ(result.count, static_cast<std::int32_t>(before - GetParam().remaining.size()));
  const InspectedArchive archive = Inspect(ArchivePath());
  EXPECT_TRUE(archive.problems.empty()) << ::testing::PrintToString(archive.problems);
  EXPECT_EQ(archive.Names(), GetParam().remaining);
  EXPECT_EQ(archive.firstLocalHeader, Stub.size()) << "the stub stays in front";
}

INSTANTIATE_TEST_SUITE_P(
    DeleteEntries, Deletions,
    ::testing::Values(DeleteCase{"OneName", {"a.txt"}, {}, {"docs/", "docs/B.TXT", "docs/c.log", "d.bin"}},
                      DeleteCase{"WithoutRegardToCaseOrSeparator", {"DOCS\\b.txt"}, {}, {"a.txt", "docs/", "docs/c.log", "d.bin"}},
                      DeleteCase{"StarCrossesFolders", {"*.txt"}, {}, {"docs/", "docs/c.log", "d.bin"}},
                      DeleteCase{"AFolderEntryByItsName", {"docs"}, {}, {"a.txt", "docs/B.TXT", "docs/c.log", "d.bin"}},
                      DeleteCase{"EverythingBelowAFolderAndItsEntry", {"docs/*"}, {}, {"a.txt", "d.bin"}},
                      DeleteCase{"SeveralLinesAndAnExclusion", {"docs/*", "d.bin"}, {"*.log"}, {"a.txt", "docs/c.log"}},
                      DeleteCase{"AddMarkersMeanNothing", {">docs/B.txt", "|a.txt<pw"}, {}, {"docs/", "docs/c.log", "d.bin"}},
                      DeleteCase{"QuestionMark", {"?.bin"}, {}, {"a.txt", "docs/", "docs/B.TXT", "docs/c.log"}}),
    [](const auto& named) { return named.param.title; });

TEST_F(DeleteEntries, KeptEntriesAreCopiedAsTheyWere) {
  EXPECT_EQ(Delete({"a.txt"}).count, 1);
  const InspectedArchive archive = Inspect(ArchivePath());
  const InspectedEntry* encrypted = archive.Find("d.bin");
  ASSERT_NE(encrypted, nullptr);
  EXPECT_NE(encrypted->central.flags & zipformat::general_flag::Encrypted, 0);
  EXPECT_NE(archive.Find("docs/c.log")->central.flags & zipformat::general_flag::DataDescriptor, 0);
  ExpectArchiveHolds({{"docs/B.TXT", "second"}, {"docs/c.log", "third"}, {"d.bin", std::string(4000, 'd')}}, "pw");
}

TEST_F(DeleteEntries, NothingMatchingLeavesTheArchiveUntouched) {
  const std::vector<std::byte> before = ReadBytes(ArchivePath());
  EXPECT_EQ(Delete({"*.none", "zzz"}).count, 0);
  EXPECT_EQ(ReadBytes(ArchivePath()), before);
  ASSERT_FALSE(callback_.Of(EngineAction::Message).empty());
  EXPECT_EQ(callback_.Of(EngineAction::Message).back().value1, 4) << "NothingMatched";
}

TEST_F(DeleteEntries, DeletingEveryEntryLeavesAnEmptyArchive) {
  EXPECT_EQ(Delete({"*"}).count, 5);
  const InspectedArchive archive = Inspect(ArchivePath());
  EXPECT_TRUE(archive.problems.empty());
  EXPECT_TRUE(archive.entries.empty());
  EXPECT_EQ(ReadBytes(ArchivePath()).size(), Stub.size() + zipformat::EndRecordSize);
}

TEST_F(DeleteEntries, AFileThatIsNoArchiveIsRefused) {
  MakeFile(ArchivePath(), "not a zip archive at all");
  EXPECT_EQ(Delete({"*"}).count, 0);
  EXPECT_EQ(ReadFile(ArchivePath()), "not a zip archive at all");
  ASSERT_FALSE(callback_.Of(EngineAction::Message).empty());
  EXPECT_EQ(callback_.Of(EngineAction::Message).back().value1, 2) << "ArchiveUnreadable";
}

}  // namespace
}  // namespace engines::zip::testing
