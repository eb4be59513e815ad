// When names and comments are converted between the OEM and ANSI code pages.
#include <gtest/gtest.h>

#include <string>

#include "platform/text.h"
#include "tests/zipbuilder/test_access.h"
#include "zipbuilder/oem_ansi_convert.h"
#include "zipbuilder/zip_builder.h"

namespace zipbuilder {
namespace {

struct RuleCase {
  CPOpts CodePage;
  std::uint8_t HostSystem;
  std::uint8_t VersionMadeBy;
  bool Converts;
};

class CodePageRuleTest : public testing::TestWithParam<RuleCase> {};

TEST_P(CodePageRuleTest, DecidesByCodePageAndHost) {
  const RuleCase& test = GetParam();
  EXPECT_EQ(CodePageConversionApplies(test.CodePage, test.HostSystem, test.VersionMadeBy), test.Converts);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CodePageRuleTest,
    testing::Values(RuleCase{CPOpts::cpAUTO, 0, 20, true},    // MS-DOS
                    RuleCase{CPOpts::cpAUTO, 6, 20, true},    // OS/2 HPFS
                    RuleCase{CPOpts::cpAUTO, 11, 50, true},   // NTFS by version 5.0
                    RuleCase{CPOpts::cpAUTO, 11, 20, false},  // NTFS by anything else
                    RuleCase{CPOpts::cpAUTO, 11, 51, false},
                    RuleCase{CPOpts::cpAUTO, 3, 50, false},  // Unix
                    RuleCase{CPOpts::cpAUTO, 10, 50, false},  // any other host, even by version 5.0
                    RuleCase{CPOpts::cpNone, 0, 20, false}, RuleCase{CPOpts::cpNone, 11, 50, false},
                    RuleCase{CPOpts::cpOEM, 3, 30, true}, RuleCase{CPOpts::cpOEM, 0, 20, true}));

class OemAnsiConvertTest : public testing::Test {
 protected:
  void ArchiveMadeBy(std::uint8_t hostSystem, std::uint8_t versionMadeBy) {
    DirectoryState& directory = TZipBuilderTestAccess::Directory(component);
    directory.LastHostSystem = hostSystem;
    directory.LastVersionMadeBy = versionMadeBy;
  }

  TZipBuilder component;
  const std::string oemName = "caf\x82\x81.txt";
};

TEST_F(OemAnsiConvertTest, ConvertsTextsOfDosArchivesUnderAuto) {
  ArchiveMadeBy(0, 20);
  EXPECT_EQ(component.OemAnsiConvert(oemName, CodePageDirection::ToAnsi), platform::OemToChar(oemName));
  const std::string ansiName = platform::OemToChar(oemName);
  EXPECT_EQ(component.OemAnsiConvert(ansiName, CodePageDirection::ToOem), platform::CharToOem(ansiName));
}

TEST_F(OemAnsiConvertTest, LeavesTextsOfUnixArchivesAloneUnderAuto) {
  ArchiveMadeBy(3, 30);
  EXPECT_EQ(component.OemAnsiConvert(oemName, CodePageDirection::ToAnsi), oemName);
}

TEST_F(OemAnsiConvertTest, NoneNeverAndOemAlwaysConverts) {
  ArchiveMadeBy(0, 20);
  component.SetCodePage(CPOpts::cpNone);
  EXPECT_EQ(component.OemAnsiConvert(oemName, CodePageDirection::ToAnsi), oemName);

  ArchiveMadeBy(3, 30);
  component.SetCodePage(CPOpts::cpOEM);
  EXPECT_EQ(component.OemAnsiConvert(oemName, CodePageDirection::ToAnsi), platform::OemToChar(oemName));
}

TEST_F(OemAnsiConvertTest, ArchiveCommentIsConvertedToAnsi) {
  ArchiveMadeBy(0, 20);
  TZipBuilderTestAccess::Directory(component).RawComment = "\x8e\x99 comment";
  EXPECT_EQ(component.ArchiveComment(), platform::OemToChar("\x8e\x99 comment"));
  EXPECT_NE(component.ArchiveComment(), "\x8e\x99 comment");

  component.SetCodePage(CPOpts::cpNone);
  EXPECT_EQ(component.ArchiveComment(), "\x8e\x99 comment");
}

}  // namespace
}  // namespace zipbuilder
