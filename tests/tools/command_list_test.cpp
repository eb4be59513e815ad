// The list command in-process: its command line, and the two listings of what a
// List left behind (set up directly, so that these run on every build).
// tools_listing_test.py runs the built tool on real archives.
#include "tools/command_list.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/temp_and_environment.h"
#include "tests/zipbuilder/test_access.h"
#include "zipbuilder/headless_toolkit.h"

namespace tools {
namespace {

using zipbuilder::TZipBuilderTestAccess;

class ListCommandLine : public testing::Test {
 protected:
  ExitCode Run(std::vector<std::string> arguments) { return RunCommandLine(arguments, out, err, toolkit); }
  std::ostringstream out;
  std::ostringstream err;
  zipbuilder::HeadlessToolkit toolkit;
};

TEST_F(ListCommandLine, MisunderstoodArgumentsAreUsageErrors) {
  EXPECT_EQ(Run({"list"}), ExitCode::UsageError);
  EXPECT_EQ(err.str().rfind("zipbuilder: missing ARCHIVE\nusage: zipbuilder list", 0), 0u) << err.str();

  err.str("");
  EXPECT_EQ(Run({"list", "--jsn", "a.zip"}), ExitCode::UsageError);
  EXPECT_EQ(err.str().rfind("zipbuilder: unknown option '--jsn'\n", 0), 0u) << err.str();

  err.str("");
  EXPECT_EQ(Run({"list", "a.zip", "b.zip"}), ExitCode::UsageError);
  EXPECT_EQ(err.str().rfind("zipbuilder: more than one ARCHIVE\n", 0), 0u) << err.str();
  EXPECT_EQ(out.str(), "");
}

TEST_F(ListCommandLine, MissingArchiveOrFolderFailsWithInputFileMissing) {
  const std::string folder = platform::GetTempPath();
  for (const std::string& path : {folder + "zipbuilder-no-such-archive.zip", folder}) {
    err.str("");
    EXPECT_EQ(Run({"list", "--json", path}), ExitCode::OperationFailed) << path;
    EXPECT_EQ(err.str(), "zipbuilder: Input file does not exist (11001)\n");
  }
  EXPECT_EQ(out.str(), "");
}

// 2024-01-02 10:30:00 as a DOS date-time.
constexpr std::uint32_t SecondOfJanuary2024 = (((2024u - 1980u) << 9 | 1u << 5 | 2u) << 16) | (10u << 11 | 30u << 5);

class ListingRendering : public testing::Test {
 protected:
  ListingRendering() {
    // Made on Unix: the code page rule leaves names and comments alone.
    TZipBuilderTestAccess::Directory(component).LastHostSystem = 3;
  }

  // The rest of the header fields are set by the test where it matters.
  zipbuilder::ZipDirEntry& AddEntry(std::string name, std::uint32_t size) {
    auto entry = std::make_unique<zipbuilder::ZipDirEntry>();
    entry->FileName = std::move(name);
    entry->UncompressedSize = size;
    entry->DosDateTime = SecondOfJanuary2024;
    zipbuilder::ZipDirEntry& added = *entry;
    TZipBuilderTestAccess::AddEntry(component, std::move(entry));
    return added;
  }

  zipbuilder::TZipBuilder component;
};

TEST_F(ListingRendering, JsonHasEveryFieldInItsOrderWithEscapedTexts) {
  TZipBuilderTestAccess::Directory(component).RawComment = "made by \"us\"";
  TZipBuilderTestAccess::Directory(component).PrefixSize = 512;
  TZipBuilderTestAccess::Directory(component).Spanned = true;
  zipbuilder::ZipDirEntry& text = AddEntry("docs\\a.txt", 12);
  text.CompressedSize = 10;
  text.Crc32 = 0xCBF43926;
  text.Method = 8;
  zipbuilder::ZipDirEntry& secret = AddEntry("b", 4294967295u);
  secret.Flags = 1;
  secret.Encrypted = true;
  secret.FileComment = "line\n\x01";

  EXPECT_EQ(RenderListingJson(component),
            R"({"comment": "made by \"us\"", "prefix_size": 512, "spanned": true, "entries": [)"
            R"({"name": "docs\\a.txt", "size": 12, "compressed_size": 10, "crc32": 3421780262, "method": 8, )"
            R"("dos_datetime": 1478644672, "encrypted": false, "comment": ""}, )"
            R"({"name": "b", "size": 4294967295, "compressed_size": 0, "crc32": 0, "method": 0, )"
            R"("dos_datetime": 1478644672, "encrypted": true, "comment": "line\n\u0001"}]})"
            "\n");
}

TEST_F(ListingRendering, JsonOfAnEmptyArchive) {
  EXPECT_EQ(RenderListingJson(component), "{\"comment\": \"\", \"prefix_size\": 0, \"spanned\": false, \"entries\": []}\n");
}

TEST_F(ListingRendering, TableShowsSizeDateTimeAndNameWithTotals) {
  AddEntry("docs\\a.txt", 12);
  AddEntry("big.bin", 1234567890);

  EXPECT_EQ(RenderListingTable(component, "x.zip"),
            "Archive:  x.zip\n"
            "  Length      Date    Time    Name\n"
            "---------  ---------- -----   ----\n"
            "       12  2024-01-02 10:30   docs\\a.txt\n"
            "1234567890  2024-01-02 10:30   big.bin\n"
            "---------                     -------\n"
            "1234567902                     2 files\n");
}

TEST_F(ListingRendering, TableTotalsCountBeyondThirtyTwoBits) {
  AddEntry("a", 4294967295u);
  AddEntry("b", 2);
  const std::string table = RenderListingTable(component, "x.zip");
  EXPECT_NE(table.find("\n4294967297                     2 files\n"), std::string::npos) << table;
}

TEST_F(ListingRendering, TableMasksControlCharactersButKeepsCommentLines) {
  TZipBuilderTestAccess::Directory(component).RawComment = "first\r\nsecond\x1b[2J";
  AddEntry("evil\x1b]0;title\x07.txt", 1);
  const std::string table = RenderListingTable(component, "x.zip");
  EXPECT_NE(table.find("Archive:  x.zip\nfirst\nsecond?[2J\n  Length"), std::string::npos) << table;
  EXPECT_NE(table.find("   evil?]0;title?.txt\n"), std::string::npos) << table;
  EXPECT_NE(table.find("        1                     1 file\n"), std::string::npos) << table;
}

}  // namespace
}  // namespace tools
