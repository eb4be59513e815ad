// The rename command in-process on archives written byte by byte: its command
// line, the --date values, and what it prints. rewrite_commands_test.py runs the
// built tool on archives of real archivers and checks them with their readers.
#include "tools/command_rename.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/tools/rewrite_command_fixture.h"

namespace tools {
namespace {

using zipbuilder::archive_bytes::Entry;

constexpr std::uint32_t DosDateTime(unsigned year, unsigned month, unsigned day, unsigned hour, unsigned minute,
                                    unsigned second) {
  return ((year - 1980) << 9 | month << 5 | day) << 16 | (hour << 11 | minute << 5 | second / 2);
}

TEST(RenameDate, TakesRealDatesOfTheDosRangeWithEvenSeconds) {
  EXPECT_EQ(ParseDosDateTime("1980-01-01 00:00:00"), DosDateTime(1980, 1, 1, 0, 0, 0));
  EXPECT_EQ(ParseDosDateTime("2107-12-31 23:59:58"), DosDateTime(2107, 12, 31, 23, 59, 58));
  EXPECT_EQ(ParseDosDateTime("2024-02-29 10:30:59"), DosDateTime(2024, 2, 29, 10, 30, 58));
  EXPECT_EQ(ParseDosDateTime("2024-02-29 10:30:59"), ParseDosDateTime("2024-02-29 10:30:58"));
}

TEST(RenameDate, RefusesOtherFormsAndDaysThatDoNotExist) {
  for (const std::string_view text :
       {"1979-12-31 23:59:58", "2108-01-01 00:00:00", "2023-02-29 10:00:00", "2100-02-29 10:00:00",
        "2024-04-31 10:00:00", "2024-13-01 10:00:00", "2024-00-10 10:00:00", "2024-01-00 10:00:00",
        "2024-01-02 24:00:00", "2024-01-02 10:60:00", "2024-01-02 10:00:60", "2024-1-02 10:00:00",
        "2024-01-02T10:00:00", "2024-01-02 10:00", "2024-01-02", " 2024-01-02 10:00:00", "2024-01-02 10:00:00 ",
        "2024-01-02 1a:00:00", ""}) {
    EXPECT_FALSE(ParseDosDateTime(text).has_value()) << text;
  }
}

using RenameCommandLine = CommandLineFixture;

// The archive does not exist: a command line that got past its checks fails
// with 11001, not as a usage error.
TEST_F(RenameCommandLine, MisunderstoodArgumentsAreUsageErrorsWithTheUsage) {
  EXPECT_EQ(Run({"rename"}), ExitCode::UsageError);
  EXPECT_TRUE(ErrorStartsWith("zipbuilder: missing ARCHIVE\nusage: zipbuilder rename ARCHIVE OLD NEW")) << err.str();
  EXPECT_EQ(Run({"rename", "none.zip"}), ExitCode::UsageError);
  EXPECT_TRUE(ErrorStartsWith("zipbuilder: missing OLD NEW\n")) << err.str();
  EXPECT_EQ(Run({"rename", "none.zip", "a", "b", "c"}), ExitCode::UsageError);
  EXPECT_TRUE(ErrorStartsWith("zipbuilder: OLD 'c' has no NEW\n")) << err.str();
  EXPECT_EQ(Run({"rename", "none.zip", "a", "b", "--dat", "x"}), ExitCode::UsageError);
  EXPECT_TRUE(ErrorStartsWith("zipbuilder: unknown option '--dat'\n")) << err.str();
  EXPECT_EQ(Run({"rename", "none.zip", "a", "b", "--date"}), ExitCode::UsageError);
  EXPECT_TRUE(ErrorStartsWith("zipbuilder: --date needs a value\n")) << err.str();
  EXPECT_EQ(Run({"rename", "none.zip", "--date", "2023-02-29 10:00:00"}), ExitCode::UsageError);
  EXPECT_TRUE(ErrorStartsWith("zipbuilder: --date needs \"YYYY-MM-DD HH:MM:SS\"")) << err.str();
  EXPECT_EQ(out.str(), "");

  EXPECT_EQ(Run({"rename", "none.zip", "--date", "2024-01-02 10:00:00"}), ExitCode::OperationFailed);
  EXPECT_EQ(Run({"rename", "none.zip", "--", "-a", "b"}), ExitCode::OperationFailed);
  EXPECT_EQ(err.str(), "zipbuilder: Input file does not exist (11001)\n");
}

class RenameCommand : public RewriteCommandFixture {
 protected:
  void SetUp() override {
    archive = WriteArchive("a.zip", {Entry{.Name = "docs/"}, Entry{.Name = "docs/readme.txt", .Data = "read me"},
                                     Entry{.Name = "data.txt", .Data = "data"},
                                     Entry{.Name = "Other/DATA.TXT", .Data = "other data"}});
  }
  std::string archive;
};

// The component tells about every entry through OnMessage: none of that may
// show as a failure line.
TEST_F(RenameCommand, RenamesFoldersAndPartsOfNamesAndCountsTheNamesThatChanged) {
  EXPECT_EQ(Run({"rename", archive, "docs/", "manual/", "a.txt", "b.txt", "nowhere", "x"}), ExitCode::Success)
      << err.str();
  EXPECT_EQ(lastOut, "4 entries renamed in " + archive + "\n");
  EXPECT_EQ(err.str(), "");
  EXPECT_EQ(Names("a.zip"),
            (std::vector<std::string>{"manual\\", "manual\\readme.txt", "datb.txt", "Other\\DATb.txt"}));
}

TEST_F(RenameCommand, BackslashesAreSlashesAndLaterPairsSeeEarlierRenames) {
  EXPECT_EQ(Run({"rename", archive, "other\\", "more/", "more", "most"}), ExitCode::Success) << err.str();
  EXPECT_EQ(lastOut, "1 entry renamed in " + archive + "\n");
  EXPECT_EQ(Names("a.zip").back(), "most\\DATA.TXT");
}

TEST_F(RenameCommand, FileRenamedToAFolderNameIsAUsageErrorNamingTheNew) {
  const std::string before = Bytes("a.zip");
  EXPECT_EQ(Run({"rename", archive, "docs/", "manual/", "data.txt", "sub/", "x", ""}), ExitCode::UsageError);
  EXPECT_TRUE(ErrorStartsWith("zipbuilder: NEW 'sub/' has no file name, but OLD 'data.txt' names a file"))
      << err.str();
  EXPECT_NE(err.str().find("usage: zipbuilder rename"), std::string::npos) << err.str();
  EXPECT_EQ(Bytes("a.zip"), before);
}

TEST_F(RenameCommand, NoNameChangedFails) {
  const std::vector<std::string> before = Names("a.zip");
  EXPECT_EQ(Run({"rename", archive, "absent", "x", "readme", "readme"}), ExitCode::OperationFailed);
  EXPECT_EQ(err.str(), "zipbuilder: 0 entries renamed in " + archive + "\n");
  EXPECT_EQ(lastOut, "");
  EXPECT_EQ(Names("a.zip"), before);
}

TEST_F(RenameCommand, DateAloneDatesEveryEntryAndSucceeds) {
  EXPECT_EQ(Run({"rename", archive, "--date", "2024-01-02 10:30:59"}), ExitCode::Success) << err.str();
  EXPECT_EQ(lastOut, "0 entries renamed in " + archive + ", every entry dated 2024-01-02 10:30:58\n");
  const std::vector<ListedEntry> listed = Listing("a.zip");
  ASSERT_EQ(listed.size(), 4u);
  for (const ListedEntry& entry : listed) {
    EXPECT_EQ(entry.DosDateTime, DosDateTime(2024, 1, 2, 10, 30, 58)) << entry.Name;
  }
  const ListedEntry expected{"data.txt", zipbuilder::archive_bytes::Crc32("data"), DosDateTime(2024, 1, 2, 10, 30, 58)};
  EXPECT_EQ(listed[2], expected);
}

}  // namespace
}  // namespace tools
