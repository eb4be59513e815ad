// Defaults after construction and the setters that carry rules.
#include <gtest/gtest.h>

#include <string>

#include "tests/zipbuilder/test_access.h"
#include "zipbuilder/headless_toolkit.h"
#include "zipbuilder/zip_builder.h"

namespace zipbuilder {
namespace {

TEST(ComponentDefaults, MatchTheDocumentedValues) {
  const TZipBuilder component;
  EXPECT_FALSE(component.Verbose());
  EXPECT_FALSE(component.Trace());
  EXPECT_EQ(component.AddCompLevel(), 9);
  EXPECT_TRUE(component.AddOptions().Empty());
  EXPECT_TRUE(component.ExtrOptions().Empty());
  EXPECT_EQ(component.SFXOptions(), SFXOptsSet{SFXOptsEnum::SFXCheckSize});
  EXPECT_EQ(component.SFXOptions().ToBits(), 0x10);
  EXPECT_EQ(component.ExtrBaseDir(), "");
  EXPECT_TRUE(component.FSpecArgs().empty());
  EXPECT_EQ(component.ZipFileName(), "");
  EXPECT_EQ(component.Password(), "");
  EXPECT_EQ(component.SFXPath(), "");
  EXPECT_EQ(component.DLLDirectory(), "");
  EXPECT_EQ(component.SFXOverWriteMode(), OvrOpts::OvrConfirm);
  EXPECT_EQ(component.SFXCaption(), "Self-extracting Archive");
  EXPECT_EQ(component.SFXDefaultDir(), "");
  EXPECT_EQ(component.SFXCommandLine(), "");
  EXPECT_EQ(component.SFXMessage(), "");
  EXPECT_EQ(component.TempDir(), "");
  EXPECT_EQ(component.KeepFreeOnDisk1(), 0);
  EXPECT_EQ(component.MaxVolumeSize(), 0);
  EXPECT_EQ(component.MinFreeVolumeSize(), 65536);
  EXPECT_TRUE(component.ConfirmErase());
  EXPECT_FALSE(component.Unattended());
  EXPECT_EQ(component.CodePage(), CPOpts::cpAUTO);
  EXPECT_EQ(component.HowToDelete(), DeleteOpts::htdAllowUndo);
  EXPECT_EQ(component.VersionInfo(), "1.60 ");
  EXPECT_TRUE(component.SFXIcon().Empty());
  EXPECT_EQ(component.PasswordReqCount(), 1u);
  EXPECT_TRUE(component.FSpecArgsExcl().empty());
  EXPECT_FALSE(component.UseDirOnlyEntries());
  EXPECT_EQ(component.RootDir(), "");
}

TEST(ComponentDefaults, StoreEverySuffixButExe) {
  const AddStoreSuffixSet suffixes = TZipBuilder().AddStoreSuffixes();
  EXPECT_EQ(suffixes.ToBits(), 0x1FFFFu);  // bits 0-16: assGIF .. assJAR
  EXPECT_TRUE(suffixes.Contains(AddStoreSuffix::assGIF));
  EXPECT_TRUE(suffixes.Contains(AddStoreSuffix::assJAR));
  EXPECT_FALSE(suffixes.Contains(AddStoreSuffix::assEXE));
}

TEST(ComponentDefaults, RunTimeStateStartsAtZero) {
  HeadlessToolkit toolkit;
  int windowToken = 0;
  toolkit.SetApplicationWindow(&windowToken);
  TZipBuilder component(toolkit);
  EXPECT_EQ(component.OwnerWindow(), &windowToken);
  EXPECT_EQ(component.ErrCode(), 0);
  EXPECT_EQ(component.LastMessage(), "");
  EXPECT_EQ(component.ProcessedCount(), 0);
  EXPECT_FALSE(component.UnzipSideBusy());
  EXPECT_FALSE(component.ZipSideBusy());
  EXPECT_FALSE(component.Cancel());
  EXPECT_EQ(component.EntryCount(), 0);
  EXPECT_EQ(component.UnzipEngineHandle(), nullptr);
  EXPECT_EQ(component.ZipEngineHandle(), nullptr);
  EXPECT_EQ(component.ZipStream().Size(), 0u);
  EXPECT_EQ(component.Directory().ArchiveHandle, platform::InvalidFileHandle);
  EXPECT_EQ(component.Directory().CurrentDisk, 0);
  EXPECT_EQ(component.Mode(), ComponentMode::Running);
}

struct PasswordReqCountCase {
  std::uint32_t Assigned;
  std::uint32_t Stored;
};

class PasswordReqCountTest : public testing::TestWithParam<PasswordReqCountCase> {};

TEST_P(PasswordReqCountTest, IsCappedAtFifteen) {
  TZipBuilder component;
  component.SetPasswordReqCount(GetParam().Assigned);
  EXPECT_EQ(component.PasswordReqCount(), GetParam().Stored);
}

INSTANTIATE_TEST_SUITE_P(Values, PasswordReqCountTest,
                         testing::Values(PasswordReqCountCase{0, 0}, PasswordReqCountCase{14, 14},
                                         PasswordReqCountCase{15, 15}, PasswordReqCountCase{16, 15},
                                         PasswordReqCountCase{1000, 15}, PasswordReqCountCase{0xFFFFFFFFu, 15}));

struct PathSetterCase {
  const char* Assigned;
  const char* Stored;
};

class DllDirectoryTest : public testing::TestWithParam<PathSetterCase> {};

TEST_P(DllDirectoryTest, StripsOneTrailingBackslash) {
  TZipBuilder component;
  component.SetDLLDirectory(GetParam().Assigned);
  EXPECT_EQ(component.DLLDirectory(), GetParam().Stored);
}

INSTANTIATE_TEST_SUITE_P(Values, DllDirectoryTest,
                         testing::Values(PathSetterCase{"C:\\Temp\\", "C:\\Temp"},
                                         PathSetterCase{"C:\\Temp", "C:\\Temp"},
                                         PathSetterCase{"C:\\Temp\\\\", "C:\\Temp\\"},
                                         PathSetterCase{"/tmp/engines/", "/tmp/engines/"},
                                         PathSetterCase{"\\", ""}, PathSetterCase{"", ""}));

class RootDirTest : public testing::TestWithParam<PathSetterCase> {};

TEST_P(RootDirTest, AppendsOneTrailingBackslash) {
  TZipBuilder component;
  component.SetRootDir(GetParam().Assigned);
  EXPECT_EQ(component.RootDir(), GetParam().Stored);
}

INSTANTIATE_TEST_SUITE_P(Values, RootDirTest,
                         testing::Values(PathSetterCase{"C:\\Data", "C:\\Data\\"},
                                         PathSetterCase{"C:\\Data\\", "C:\\Data\\"},
                                         PathSetterCase{"", ""}, PathSetterCase{"data/", "data/\\"}));

TEST(ComponentSetters, DllDirectoryRuleAppliesOnlyToADifferentValue) {
  TZipBuilder component;
  component.SetDLLDirectory("a\\\\");
  ASSERT_EQ(component.DLLDirectory(), "a\\");
  component.SetDLLDirectory("a\\");  // the same as stored: kept as it is
  EXPECT_EQ(component.DLLDirectory(), "a\\");
}

TEST(ComponentSetters, OutOfRangeSizesAreIgnored) {
  TZipBuilder component;
  component.SetMaxVolumeSize(1457664);
  component.SetKeepFreeOnDisk1(4096);
  component.SetMinFreeVolumeSize(1024);

  component.SetMaxVolumeSize(-1);
  component.SetKeepFreeOnDisk1(-5);
  component.SetMinFreeVolumeSize(0);
  EXPECT_EQ(component.MaxVolumeSize(), 1457664);
  EXPECT_EQ(component.KeepFreeOnDisk1(), 4096);
  EXPECT_EQ(component.MinFreeVolumeSize(), 1024);

  component.SetMinFreeVolumeSize(-1);
  EXPECT_EQ(component.MinFreeVolumeSize(), 1024);
  component.SetMaxVolumeSize(0);
  component.SetKeepFreeOnDisk1(0);
  EXPECT_EQ(component.MaxVolumeSize(), 0);
  EXPECT_EQ(component.KeepFreeOnDisk1(), 0);
}

TEST(ComponentSetters, VersionInfoIgnoresAssignments) {
  TZipBuilder component;
  component.SetVersionInfo("2.00");
  EXPECT_EQ(component.VersionInfo(), "1.60 ");
}

TEST(ComponentSetters, StringListsAreCopied) {
  TZipBuilder component;
  StringList lines{"*.txt", "docs\\*.doc"};
  component.SetFSpecArgs(lines);
  component.SetFSpecArgsExcl(lines);
  lines.clear();
  EXPECT_EQ(component.FSpecArgs(), (StringList{"*.txt", "docs\\*.doc"}));
  EXPECT_EQ(component.FSpecArgsExcl().size(), 2u);
}

class ZipFileNameTest : public testing::Test {
 protected:
  ZipFileNameTest() {
    component.OnDirUpdate = [this](TZipBuilder&) { ++dirUpdates; };
  }
  TZipBuilder component;
  int dirUpdates = 0;
};

TEST_F(ZipFileNameTest, AssigningListsTheArchive) {
  component.SetZipFileName("no-such-archive.zip");
  EXPECT_EQ(component.ZipFileName(), "no-such-archive.zip");
  EXPECT_EQ(dirUpdates, 1);
  EXPECT_EQ(component.EntryCount(), 0);
}

TEST_F(ZipFileNameTest, DesignModeStoresWithoutListing) {
  component.SetMode(ComponentMode::Designing);
  component.SetZipFileName("archive.zip");
  EXPECT_EQ(component.ZipFileName(), "archive.zip");
  EXPECT_EQ(dirUpdates, 0);
}

TEST_F(ZipFileNameTest, EntryCountIsZeroWithoutAName) {
  component.SetMode(ComponentMode::Designing);
  component.SetZipFileName("archive.zip");
  TZipBuilderTestAccess::AddEntry(component, std::make_unique<ZipDirEntry>());
  ASSERT_EQ(component.EntryCount(), 1);

  component.SetZipFileName("");
  EXPECT_EQ(component.DirEntries().size(), 1u);
  EXPECT_EQ(component.EntryCount(), 0);
}

}  // namespace
}  // namespace zipbuilder
