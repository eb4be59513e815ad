// Archives of other archivers (Info-ZIP zip, 7-Zip, bsdtar, Python's zipfile),
// made at build time, list with the names, sizes, CRCs and comments that Python's
// zipfile reads from them (see interop/make_interop_archives.py).
#include <cctype>
#include <fstream>
#include <sstream>

#include "platform/text.h"
#include "tests/zipbuilder/listing_fixture.h"
#include "zipbuilder/message_table.h"
#include "zipbuilder/path_text.h"

namespace zipbuilder {
namespace {

struct ExpectedEntry {
  std::uint32_t Crc32 = 0;
  std::uint32_t CompressedSize = 0;
  std::uint32_t UncompressedSize = 0;
  std::string Name;  // UTF-8, "/" between folders
  std::string Comment;
};

struct InteropArchive {
  std::string FileName;
  std::string SkipReason;  // set when the archive could not be made
  std::int32_t PrefixSize = 0;
  bool StructureWarning = false;
  std::string Comment;
  std::vector<ExpectedEntry> Entries;
};

void PrintTo(const InteropArchive& archive, std::ostream* out) { *out << archive.FileName; }

std::string InteropFolder() { return ZIPBUILDER_INTEROP_FOLDER; }

std::string FromHex(const std::string& hex) {
  if (hex == "-") {
    return {};
  }
  std::string bytes;
  for (std::size_t index = 0; index + 1 < hex.size(); index += 2) {
    bytes.push_back(static_cast<char>(std::stoi(hex.substr(index, 2), nullptr, 16)));
  }
  return bytes;
}

std::vector<InteropArchive> ReadManifest() {
  std::ifstream manifest(InteropFolder() + "/manifest.txt");
  if (!manifest) {
    return {InteropArchive{"manifest", "the archives were not made: no " + InteropFolder() + "/manifest.txt"}};
  }
  std::vector<InteropArchive> archives;
  std::string line;
  while (std::getline(manifest, line)) {
    std::istringstream fields(line);
    std::string kind;
    fields >> kind;
    if (kind == "skip") {
      InteropArchive skipped;
      fields >> skipped.FileName;
      std::getline(fields >> std::ws, skipped.SkipReason);
      archives.push_back(skipped);
    } else if (kind == "archive") {
      InteropArchive archive;
      int structureWarning = 0;
      std::string comment;
      fields >> archive.FileName >> archive.PrefixSize >> structureWarning >> comment;
      archive.StructureWarning = structureWarning != 0;
      archive.Comment = FromHex(comment);
      archives.push_back(archive);
    } else if (kind == "entry" && !archives.empty()) {
      ExpectedEntry entry;
      std::string name;
      std::string comment;
      fields >> std::hex >> entry.Crc32 >> std::dec >> entry.CompressedSize >> entry.UncompressedSize >> name >>
          comment;
      entry.Name = FromHex(name);
      entry.Comment = FromHex(comment);
      archives.back().Entries.push_back(entry);
    }
  }
  return archives;
}

class InteropTest : public ListingTest, public testing::WithParamInterface<InteropArchive> {};

TEST_P(InteropTest, ListsWhatZipfileReads) {
  const InteropArchive& expected = GetParam();
  if (!expected.SkipReason.empty()) {
    GTEST_SKIP() << expected.SkipReason;
  }
  component.SetUseDirOnlyEntries(true);
  component.SetZipFileName(InteropFolder() + "/" + expected.FileName);

  const std::vector<int> expectedReports =
      expected.StructureWarning ? std::vector<int>{message_id::ListStructureWarning} : std::vector<int>{};
  EXPECT_EQ(ReportedIds(), expectedReports);
  EXPECT_EQ(Directory().PrefixSize, expected.PrefixSize);
  EXPECT_EQ(Directory().StructureWarning, expected.StructureWarning);
  EXPECT_EQ(Directory().RawComment, expected.Comment);
  ASSERT_EQ(component.DirEntries().size(), expected.Entries.size());
  for (std::size_t index = 0; index < expected.Entries.size(); ++index) {
    const ZipDirEntry& listed = *component.DirEntries()[index];
    const ExpectedEntry& entry = expected.Entries[index];
    const std::uint32_t crc = listed.Crc32;
    const std::uint32_t compressedSize = listed.CompressedSize;
    const std::uint32_t uncompressedSize = listed.UncompressedSize;
    EXPECT_EQ(listed.FileName, SlashesToBackslashes(platform::Utf8ToAnsi(entry.Name))) << "entry " << index;
    EXPECT_EQ(listed.FileComment, platform::Utf8ToAnsi(entry.Comment)) << listed.FileName;
    EXPECT_EQ(crc, entry.Crc32) << listed.FileName;
    EXPECT_EQ(compressedSize, entry.CompressedSize) << listed.FileName;
    EXPECT_EQ(uncompressedSize, entry.UncompressedSize) << listed.FileName;
  }
}

std::string ArchiveTestName(const testing::TestParamInfo<InteropArchive>& info) {
  std::string name = info.param.FileName;
  for (char& character : name) {
    if (!std::isalnum(static_cast<unsigned char>(character))) {
      character = '_';
    }
  }
  return name;
}

INSTANTIATE_TEST_SUITE_P(Archivers, InteropTest, testing::ValuesIn(ReadManifest()), ArchiveTestName);

}  // namespace
}  // namespace zipbuilder
