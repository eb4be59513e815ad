// The copy command in-process on archives written byte by byte: its command
// line, the overwrite modes and what it prints. rewrite_commands_test.py runs
// the built tool on archives of real archivers, --delete-source included.
#include "tools/command_copy.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/tools/rewrite_command_fixture.h"

namespace tools {
namespace {

using zipbuilder::archive_bytes::Crc32;
using zipbuilder::archive_bytes::Entry;

using CopyCommandLine = CommandLineFixture;

TEST_F(CopyCommandLine, MisunderstoodArgumentsAreUsageErrorsWithTheUsage) {
  EXPECT_EQ(Run({"copy"}), ExitCode::UsageError);
  EXPECT_TRUE(ErrorStartsWith("zipbuilder: missing SOURCE\nusage: zipbuilder copy SOURCE DESTINATION NAME..."))
      << err.str();
  EXPECT_EQ(Run({"copy", "s.zip"}), ExitCode::UsageError);
  EXPECT_TRUE(ErrorStartsWith("zipbuilder: missing DESTINATION\n")) << err.str();
  EXPECT_EQ(Run({"copy", "s.zip", "d.zip", "--delete-source"}), ExitCode::UsageError);
  EXPECT_TRUE(ErrorStartsWith("zipbuilder: missing NAME\n")) << err.str();
  for (const std::vector<std::string>& mode : {std::vector<std::string>{"--overwrite", "yes"}, {"--overwrite"}}) {
    std::vector<std::string> arguments{"copy", "s.zip", "d.zip", "a"};
    arguments.insert(arguments.end(), mode.begin(), mode.end());
    EXPECT_EQ(Run(arguments), ExitCode::UsageError) << mode.size();
    EXPECT_TRUE(ErrorStartsWith("zipbuilder: --overwrite needs always, never or confirm\n")) << err.str();
  }
  EXPECT_EQ(Run({"copy", "s.zip", "d.zip", "a", "-f"}), ExitCode::UsageError);
  EXPECT_TRUE(ErrorStartsWith("zipbuilder: unknown option '-f'\n")) << err.str();
  EXPECT_EQ(out.str(), "");
}

class CopyCommand : public RewriteCommandFixture {
 protected:
  void SetUp() override {
    source = WriteArchive("s.zip", {Entry{.Name = "docs/"}, Entry{.Name = "docs/a.txt", .Data = "source a"},
                                    Entry{.Name = "b.txt", .Data = "source b"}});
    destination = WriteArchive("d.zip", {Entry{.Name = "keep/"}, Entry{.Name = "b.txt", .Data = "destination b"},
                                         Entry{.Name = "z.txt", .Data = "destination z"}});
  }

  // Names and CRCs of the destination, folder entries included.
  [[nodiscard]] std::vector<std::pair<std::string, std::uint32_t>> Destination() const {
    std::vector<std::pair<std::string, std::uint32_t>> entries;
    for (const ListedEntry& entry : Listing("d.zip")) {
      entries.emplace_back(entry.Name, entry.Crc32);
    }
    return entries;
  }

  std::string source;
  std::string destination;
};

TEST_F(CopyCommand, MissingSourceFailsAndMissingDestinationIsMade) {
  const std::string missing = scratch.PathOf("none.zip");
  EXPECT_EQ(Run({"copy", missing, destination, "b.txt"}), ExitCode::OperationFailed);
  EXPECT_EQ(err.str(), "zipbuilder: SOURCE " + missing + " does not exist\n");
  EXPECT_EQ(out.str(), "");

  EXPECT_EQ(Run({"copy", source, missing, "b.txt", "docs/"}), ExitCode::Success) << err.str();
  EXPECT_EQ(lastOut, "2 entries copied to " + missing + "\n");
  const std::vector<ListedEntry> made = Listing("none.zip");
  ASSERT_EQ(made.size(), 2u);
  EXPECT_EQ(made[0].Name, "b.txt");
  EXPECT_EQ(made[0].Crc32, Crc32("source b"));
  EXPECT_EQ(made[1].Name, "docs\\");
}

// A name given twice, in another case, is one name: it is copied or kept once.
TEST_F(CopyCommand, NeverKeepsTheDestinationsEntryAndNewEntriesComeLast) {
  const std::string sourceBytes = Bytes("s.zip");
  EXPECT_EQ(Run({"copy", source, destination, "docs/a.txt", "b.txt", "--overwrite", "never", "B.TXT"}),
            ExitCode::Success)
      << err.str();
  EXPECT_EQ(lastOut, "1 entry copied to " + destination + "; kept: b.txt\n");
  EXPECT_EQ(err.str(), "");
  const std::vector<std::pair<std::string, std::uint32_t>> expected{
      {"keep\\", Crc32("")}, {"b.txt", Crc32("destination b")}, {"z.txt", Crc32("destination z")},
      {"docs\\a.txt", Crc32("source a")}};
  EXPECT_EQ(Destination(), expected);
  EXPECT_EQ(Bytes("s.zip"), sourceBytes);
}

TEST_F(CopyCommand, AlwaysReplacesTheEntryWhereItStands) {
  EXPECT_EQ(Run({"copy", "--overwrite", "always", source, destination, "b.txt", "docs\\"}), ExitCode::Success)
      << err.str();
  EXPECT_EQ(lastOut, "2 entries copied to " + destination + "\n");
  const std::vector<std::pair<std::string, std::uint32_t>> expected{
      {"keep\\", Crc32("")}, {"b.txt", Crc32("source b")}, {"z.txt", Crc32("destination z")}, {"docs\\", Crc32("")}};
  EXPECT_EQ(Destination(), expected);
}

// The tool's own toolkit asks on a terminal; a box that cannot be shown keeps.
TEST_F(CopyCommand, ConfirmAsksThroughTheToolkitAndFollowsTheAnswer) {
  EXPECT_EQ(Run({"copy", source, destination, "b.txt"}), ExitCode::Success) << err.str();
  EXPECT_EQ(lastOut, "0 entries copied to " + destination + "; kept: b.txt\n");
  ASSERT_EQ(toolkit.MessageBoxesShown().size(), 1u);
  EXPECT_EQ(toolkit.MessageBoxesShown().front().Buttons, zipbuilder::MessageBoxButtons::YesNo);
  EXPECT_NE(toolkit.MessageBoxesShown().front().Text.find("b.txt"), std::string::npos);
  EXPECT_EQ(Destination()[1].second, Crc32("destination b"));

  toolkit.QueueMessageBoxAnswer(zipbuilder::DialogAnswer::Yes);
  EXPECT_EQ(Run({"copy", source, destination, "b.txt", "--overwrite", "confirm"}), ExitCode::Success) << err.str();
  EXPECT_EQ(lastOut, "1 entry copied to " + destination + "\n");
  EXPECT_EQ(Destination()[1].second, Crc32("source b"));
}

}  // namespace
}  // namespace tools
