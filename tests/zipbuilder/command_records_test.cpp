// The command records byte for byte, for each engine version that changes them,
// and the texts their addresses lead to while the command object lives.
#include "zipbuilder/command_records.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

#include "tests/zipbuilder/record_bytes.h"

namespace zipbuilder {
namespace {

using engines::UnzipCommandRecord;
using engines::UnzipCommandRecordBelow152;
using engines::ZipCommandRecord;
using engines::ZipCommandRecordBelow151;
using engines::ZipSpecificationEntry;
using testing_support::AddressValue;
using testing_support::ExpectedField;
using testing_support::ExpectRecordBytes;

std::int32_t ENGINE_CALL AnyCallback(engines::EngineCallbackRecord* /*record*/) { return 0; }

int ownerToken = 0;
int callerToken = 0;

UnzipCommandSettings SampleUnzipSettings() {
  UnzipCommandSettings settings;
  settings.OwnerWindow = &ownerToken;
  settings.Caller = &callerToken;
  settings.Callback = &AnyCallback;
  settings.Verbose = true;
  settings.CodePage = CPOpts::cpOEM;
  settings.Password = "secret";
  settings.ExtrOptions = {ExtrOptsEnum::ExtrDirNames, ExtrOptsEnum::ExtrOverWrite, ExtrOptsEnum::ExtrFreshen};
  settings.ArchivePath = "C:\\patch.zip";
  settings.Specifications = {"one.txt", "sub\\two.txt"};
  settings.BaseFolder = "C:\\target";
  settings.PasswordReqCount = 3;
  return settings;
}

template <typename Record>
std::vector<ExpectedField> SampleUnzipHeaderFields() {
  return {
      RECORD_FIELD(Record, Header.OwnerWindow, AddressValue(&ownerToken)),
      RECORD_FIELD(Record, Header.Caller, AddressValue(&callerToken)),
      RECORD_FIELD(Record, Header.RecordVersion, 160u),
      RECORD_FIELD(Record, Header.Callback, AddressValue(reinterpret_cast<const void*>(&AnyCallback))),
      RECORD_FIELD(Record, Header.Trace, 0u),
      RECORD_FIELD(Record, Header.CodePage, 2u),
      RECORD_FIELD(Record, Header.Password),
      RECORD_FIELD(Record, Header.Test, 0u),
      RECORD_FIELD(Record, Header.AlwaysOne, 1u),
      RECORD_FIELD(Record, Header.Verbose, 1u),
      RECORD_FIELD(Record, Header.Update, 0u),
      RECORD_FIELD(Record, Header.Freshen, 1u),
      RECORD_FIELD(Record, Header.DirectoryNames, 1u),
      RECORD_FIELD(Record, Header.Overwrite, 1u),
      RECORD_FIELD(Record, SpecificationCount, 2u),
      RECORD_FIELD(Record, ArchivePath),
      RECORD_FIELD(Record, EndMarker, 7u),
  };
}

struct UnzipVersionCase {
  std::int32_t Version;
  UnzipRecordLayout Layout;
  std::uint64_t PasswordReqCountField;
};

class UnzipRecordByVersion : public testing::TestWithParam<UnzipVersionCase> {};

TEST_P(UnzipRecordByVersion, EveryByteOfTheRecord) {
  const UnzipVersionCase& version = GetParam();
  UnzipCommand command(SampleUnzipSettings(), version.Version);
  ASSERT_EQ(command.Layout(), version.Layout);

  if (version.Layout == UnzipRecordLayout::Below152) {
    std::vector<ExpectedField> fields = SampleUnzipHeaderFields<UnzipCommandRecordBelow152>();
    fields.push_back(RECORD_FIELD(UnzipCommandRecordBelow152, SpecificationTexts[0]));
    fields.push_back(RECORD_FIELD(UnzipCommandRecordBelow152, SpecificationTexts[1]));
    ASSERT_EQ(command.RecordBytes().size(), sizeof(UnzipCommandRecordBelow152));
    ExpectRecordBytes(command.RecordBytes(), fields);
    const auto& record = *static_cast<const UnzipCommandRecordBelow152*>(command.Record());
    EXPECT_STREQ(record.SpecificationTexts[0], "one.txt");
    EXPECT_STREQ(record.SpecificationTexts[1], "sub\\two.txt");
    EXPECT_STREQ(record.ArchivePath, "C:\\patch.zip");
    EXPECT_STREQ(record.Header.Password, "secret");
    return;
  }
  std::vector<ExpectedField> fields = SampleUnzipHeaderFields<UnzipCommandRecord>();
  fields.push_back(RECORD_FIELD(UnzipCommandRecord, Specifications));
  fields.push_back(RECORD_FIELD(UnzipCommandRecord, PasswordReqCount, version.PasswordReqCountField));
  fields.push_back(RECORD_FIELD(UnzipCommandRecord, BaseFolder));
  ASSERT_EQ(command.RecordBytes().size(), sizeof(UnzipCommandRecord));
  ExpectRecordBytes(command.RecordBytes(), fields);

  const auto& record = *static_cast<const UnzipCommandRecord*>(command.Record());
  EXPECT_STREQ(record.ArchivePath, "C:\\patch.zip");
  EXPECT_STREQ(record.BaseFolder, "C:\\target");
  EXPECT_STREQ(record.Header.Password, "secret");
  // Each 72-byte entry: the text's address, then zeros.
  constexpr std::size_t EntrySize = sizeof(engines::UnzipSpecificationEntry);
  ExpectRecordBytes(std::as_bytes(std::span(record.Specifications, 2)),
                    {{0, sizeof(void*), "entry 0 text", std::nullopt},
                     {EntrySize, sizeof(void*), "entry 1 text", std::nullopt}});
  EXPECT_STREQ(record.Specifications[0].Specification, "one.txt");
  EXPECT_STREQ(record.Specifications[1].Specification, "sub\\two.txt");
}

INSTANTIATE_TEST_SUITE_P(Versions, UnzipRecordByVersion,
                         testing::Values(UnzipVersionCase{151, UnzipRecordLayout::Below152, 0},
                                         UnzipVersionCase{152, UnzipRecordLayout::From152, 0},
                                         UnzipVersionCase{159, UnzipRecordLayout::From152, 0},
                                         UnzipVersionCase{160, UnzipRecordLayout::From152, 3}),
                         [](const auto& instance) { return "Version" + std::to_string(instance.param.Version); });

struct UnzipFlagCase {
  const char* Name;
  ExtrOptsSet Options;
  bool Trace;
  bool Verbose;
  std::int32_t Test, Update, Freshen, DirectoryNames, Overwrite, TraceFlag, VerboseFlag;
};

class UnzipHeaderFlags : public testing::TestWithParam<UnzipFlagCase> {};

TEST_P(UnzipHeaderFlags, FollowOptionsTraceAndVerbose) {
  const UnzipFlagCase& flags = GetParam();
  UnzipCommandSettings settings;
  settings.ExtrOptions = flags.Options;
  settings.Trace = flags.Trace;
  settings.Verbose = flags.Verbose;
  UnzipCommand command(settings, 160);
  const auto& header = static_cast<const UnzipCommandRecord*>(command.Record())->Header;
  EXPECT_EQ(header.Test, flags.Test);
  EXPECT_EQ(header.Update, flags.Update);
  EXPECT_EQ(header.Freshen, flags.Freshen);
  EXPECT_EQ(header.DirectoryNames, flags.DirectoryNames);
  EXPECT_EQ(header.Overwrite, flags.Overwrite);
  EXPECT_EQ(header.Trace, flags.TraceFlag);
  EXPECT_EQ(header.Verbose, flags.VerboseFlag);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnzipHeaderFlags,
    testing::Values(UnzipFlagCase{"Nothing", {}, false, false, 0, 0, 0, 0, 0, 0, 0},
                    UnzipFlagCase{"TraceImpliesVerbose", {}, true, false, 0, 0, 0, 0, 0, 1, 1},
                    UnzipFlagCase{"VerboseAlone", {}, false, true, 0, 0, 0, 0, 0, 0, 1},
                    UnzipFlagCase{"UpdateWinsOverFreshen",
                                  {ExtrOptsEnum::ExtrFreshen, ExtrOptsEnum::ExtrUpdate},
                                  false, false, 0, 1, 0, 0, 0, 0, 0},
                    UnzipFlagCase{"FreshenAlone", {ExtrOptsEnum::ExtrFreshen}, false, false, 0, 0, 1, 0, 0, 0, 0},
                    UnzipFlagCase{"TestOnly", {ExtrOptsEnum::ExtrTest}, false, false, 1, 0, 0, 0, 0, 0, 0},
                    UnzipFlagCase{"InstallerOptions",
                                  {ExtrOptsEnum::ExtrDirNames, ExtrOptsEnum::ExtrOverWrite},
                                  false, false, 0, 0, 0, 1, 1, 0, 0}),
    [](const auto& instance) { return std::string(instance.param.Name); });

struct PasswordCase {
  const char* Name;
  std::int32_t Version;
  bool Unattended;
  AddOptsSet AddOptions;
  std::string Password;
  std::string Expected;
};

class UnzipPasswordText : public testing::TestWithParam<PasswordCase> {};

TEST_P(UnzipPasswordText, HoldsThePasswordOrTheDummy) {
  const PasswordCase& password = GetParam();
  UnzipCommandSettings settings;
  settings.Unattended = password.Unattended;
  settings.AddOptions = password.AddOptions;
  settings.Password = password.Password;
  UnzipCommand command(settings, password.Version);
  const char* text = static_cast<const engines::UnzipCommandHeader*>(command.Record())->Password;
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(std::string(text), password.Expected);
  EXPECT_TRUE(std::all_of(text, text + std::strlen(text), [](char c) { return c > ' ' && c < 0x7F; }))
      << "the engine gets printable characters only";
}

const std::string HundredCharacters(100, 'p');
const std::string DummyPassword(80, DummyPasswordCharacter);
const AddOptsSet Encrypting{AddOptsEnum::AddEncrypt};

INSTANTIATE_TEST_SUITE_P(
    Cases, UnzipPasswordText,
    testing::Values(PasswordCase{"Plain", 160, false, {}, "secret", "secret"},
                    PasswordCase{"CutAt81", 160, false, {}, HundredCharacters, HundredCharacters.substr(0, 81)},
                    PasswordCase{"EmptyStaysEmpty", 160, true, Encrypting, "", ""},
                    PasswordCase{"DummyForOldLegacyEngine", 151, true, Encrypting, "", DummyPassword},
                    PasswordCase{"DummyFor159", 159, true, Encrypting, "", DummyPassword},
                    PasswordCase{"NoDummyWhenAttended", 159, false, Encrypting, "", ""},
                    PasswordCase{"NoDummyWithoutAddEncrypt", 159, true, {}, "", ""},
                    PasswordCase{"NoDummyWithAPassword", 159, true, Encrypting, "given", "given"}),
    [](const auto& instance) { return std::string(instance.param.Name); });

TEST(UnzipBaseFolder, KeepsAtMost260Characters) {
  UnzipCommandSettings settings;
  settings.BaseFolder = "C:\\" + std::string(400, 'd');
  UnzipCommand command(settings, 160);
  const char* baseFolder = static_cast<const UnzipCommandRecord*>(command.Record())->BaseFolder;
  EXPECT_EQ(std::string(baseFolder), settings.BaseFolder.substr(0, 260));
}

TEST(UnzipSpecifications, NoneGiveCountZeroAndNoArray) {
  UnzipCommand command(UnzipCommandSettings{}, 160);
  const auto& record = *static_cast<const UnzipCommandRecord*>(command.Record());
  EXPECT_EQ(record.SpecificationCount, 0);
  EXPECT_EQ(record.Specifications, nullptr);
  EXPECT_STREQ(record.BaseFolder, "");
}

TEST(UnzipSpecifications, TheLegacyRecordTakesAtMostItsSlots) {
  UnzipCommandSettings settings;
  settings.Specifications.assign(engines::LegacySpecificationSlots + 3, "x");
  UnzipCommand command(settings, 151);
  const auto& record = *static_cast<const UnzipCommandRecordBelow152*>(command.Record());
  EXPECT_EQ(record.SpecificationCount, static_cast<std::int32_t>(engines::LegacySpecificationSlots));
  EXPECT_STREQ(record.SpecificationTexts[engines::LegacySpecificationSlots - 1], "x");
}

TEST(UnzipMemoryFields, FillTheCompactRecordAndAreRefusedByTheLegacyOne) {
  UnzipCommand command(UnzipCommandSettings{}, 160);
  char output[10];
  const char input[4] = {};
  command.SetOutputMemory(output, sizeof(output));
  command.SetInputMemory(input, sizeof(input));
  command.SetSpecificationCount(1);
  const auto& record = *static_cast<const UnzipCommandRecord*>(command.Record());
  EXPECT_TRUE(command.OutputToMemory());
  EXPECT_EQ(record.OutputToMemory, 1);
  EXPECT_EQ(record.OutputBuffer, output);
  EXPECT_EQ(record.OutputSize, 10u);
  EXPECT_EQ(record.InputFromMemory, 1);
  EXPECT_EQ(record.InputBuffer, input);
  EXPECT_EQ(record.InputSize, 4u);
  EXPECT_EQ(record.SpecificationCount, 1);

  UnzipCommand legacy(UnzipCommandSettings{}, 151);
  EXPECT_FALSE(legacy.OutputToMemory());
  EXPECT_THROW(legacy.SetOutputMemory(output, sizeof(output)), std::logic_error);
  EXPECT_THROW(legacy.SetInputMemory(input, sizeof(input)), std::logic_error);
}

// ---------------------------------------------------------------------------
// Zip records
// ---------------------------------------------------------------------------

ZipCommandSettings SampleZipSettings() {
  ZipCommandSettings settings;
  settings.OwnerWindow = &ownerToken;
  settings.Caller = &callerToken;
  settings.Callback = &AnyCallback;
  settings.Password = "pw";
  settings.StoreSuffixes = {AddStoreSuffix::assGIF, AddStoreSuffix::assJAR};
  settings.AddOptions = {AddOptsEnum::AddDirNames,    AddOptsEnum::AddRecurseDirs,  AddOptsEnum::AddEncrypt,
                         AddOptsEnum::AddArchiveOnly, AddOptsEnum::AddResetArchive, AddOptsEnum::AddFreshen};
  settings.CompressionLevel = 7;
  settings.ArchivePath = "C:\\out.zip";
  settings.Specifications = {"*.txt", ">docs\\*.doc<secret", "|bin\\*<"};
  settings.Exclusions = {"*.tmp", "*.bak"};
  settings.TempDir = "C:\\temp";
  settings.RawArchiveComment = "comment";
  settings.RootDir = "C:\\root\\";
  settings.HowToDelete = DeleteOpts::htdAllowUndo;
  settings.CodePage = CPOpts::cpOEM;
  return settings;
}

template <typename Record>
std::vector<ExpectedField> SampleZipHeaderFields() {
  return {
      RECORD_FIELD(Record, Header.OwnerWindow, AddressValue(&ownerToken)),
      RECORD_FIELD(Record, Header.Caller, AddressValue(&callerToken)),
      RECORD_FIELD(Record, Header.RecordVersion, 160u),
      RECORD_FIELD(Record, Header.Callback, AddressValue(reinterpret_cast<const void*>(&AnyCallback))),
      RECORD_FIELD(Record, Header.Trace, 0u),
      RECORD_FIELD(Record, Header.Password),
      RECORD_FIELD(Record, Header.StoredSuffixes),
      RECORD_FIELD(Record, Header.Encrypt, 1u),
      RECORD_FIELD(Record, Header.HiddenFiles, 0u),
      RECORD_FIELD(Record, Header.Volume, 0u),
      RECORD_FIELD(Record, Header.DirectoryEntries, 1u),
      RECORD_FIELD(Record, Header.Verbose, 0u),
      RECORD_FIELD(Record, Header.AlwaysOne, 1u),
      RECORD_FIELD(Record, Header.CompressionLevel, 7u),
      RECORD_FIELD(Record, Header.DropFolderNames, 0u),
      RECORD_FIELD(Record, Header.Recurse, 1u),
      RECORD_FIELD(Record, Header.AddCommand, 1u),
      RECORD_FIELD(Record, Header.ForceDosNames, 0u),
      RECORD_FIELD(Record, Header.Move, 0u),
      RECORD_FIELD(Record, Header.DeleteCommand, 0u),
      RECORD_FIELD(Record, Header.Update, 0u),
      RECORD_FIELD(Record, Header.Freshen, 1u),
      RECORD_FIELD(Record, Header.ZipTime, 0u),
      RECORD_FIELD(Record, Header.SpecificationCount, 3u),
      RECORD_FIELD(Record, Header.ArchivePath),
      RECORD_FIELD(Record, EndMarker, 7u),
  };
}

TEST(ZipRecord, Below151IsTheLegacyLayoutWithInlineTexts) {
  ZipCommand command(SampleZipSettings(), 150);
  ASSERT_EQ(command.Layout(), ZipRecordLayout::Below151);
  std::vector<ExpectedField> fields = SampleZipHeaderFields<ZipCommandRecordBelow151>();
  for (int slot = 0; slot < 3; ++slot) {
    fields.push_back({offsetof(ZipCommandRecordBelow151, SpecificationTexts) + slot * sizeof(void*), sizeof(void*),
                      "specification slot", std::nullopt});
  }
  ASSERT_EQ(command.RecordBytes().size(), sizeof(ZipCommandRecordBelow151));
  ExpectRecordBytes(command.RecordBytes(), fields);
  // The old engines take the lines as they stand.
  const auto& record = *static_cast<const ZipCommandRecordBelow151*>(command.Record());
  EXPECT_STREQ(record.SpecificationTexts[1], ">docs\\*.doc<secret");
  EXPECT_THROW(command.SetInputMemory(nullptr, 0), std::logic_error);
}

struct ZipVersionCase {
  std::int32_t Version;
  bool TakesTempDir;
  bool TakesVersion160Fields;
};

class ZipRecordByVersion : public testing::TestWithParam<ZipVersionCase> {};

TEST_P(ZipRecordByVersion, EveryByteOfTheRecord) {
  const ZipVersionCase& version = GetParam();
  ZipCommand command(SampleZipSettings(), version.Version);
  ASSERT_EQ(command.Layout(), ZipRecordLayout::From151);
  std::vector<ExpectedField> fields = SampleZipHeaderFields<ZipCommandRecord>();
  fields.push_back(RECORD_FIELD(ZipCommandRecord, Specifications));
  if (version.TakesTempDir) {
    fields.push_back(RECORD_FIELD(ZipCommandRecord, TempDir));
  }
  if (version.TakesVersion160Fields) {
    fields.push_back(RECORD_FIELD(ZipCommandRecord, ArchiveComment));
    fields.push_back(RECORD_FIELD(ZipCommandRecord, ArchiveOnly, 1u));
    fields.push_back(RECORD_FIELD(ZipCommandRecord, ResetArchive, 1u));
    fields.push_back(RECORD_FIELD(ZipCommandRecord, ExclusionCount, 2u));
    fields.push_back(RECORD_FIELD(ZipCommandRecord, ExclusionTexts));
    fields.push_back(RECORD_FIELD(ZipCommandRecord, RecycleBin, 1u));
    fields.push_back(RECORD_FIELD(ZipCommandRecord, CodePage, 2u));
  }
  ASSERT_EQ(command.RecordBytes().size(), sizeof(ZipCommandRecord));
  ExpectRecordBytes(command.RecordBytes(), fields);

  const auto& record = *static_cast<const ZipCommandRecord*>(command.Record());
  EXPECT_STREQ(record.Header.Password, "pw");
  EXPECT_STREQ(record.Header.StoredSuffixes, ".gif:.jar");
  EXPECT_STREQ(record.Header.ArchivePath, "C:\\out.zip");
  if (version.TakesTempDir) {
    EXPECT_STREQ(record.TempDir, "C:\\temp");
  }
  if (version.TakesVersion160Fields) {
    EXPECT_STREQ(record.ArchiveComment, "comment");
    EXPECT_STREQ(record.ExclusionTexts[0], "*.tmp");
    EXPECT_STREQ(record.ExclusionTexts[1], "*.bak");
  }
}

INSTANTIATE_TEST_SUITE_P(Versions, ZipRecordByVersion,
                         testing::Values(ZipVersionCase{151, true, false}, ZipVersionCase{152, false, false},
                                         ZipVersionCase{159, false, false}, ZipVersionCase{160, true, true}),
                         [](const auto& instance) { return "Version" + std::to_string(instance.param.Version); });

TEST(ZipRecord, Version160LeavesEmptyOptionalTextsAtZero) {
  ZipCommandSettings settings;
  settings.HowToDelete = DeleteOpts::htdFinal;
  ZipCommand command(settings, 160);
  const auto& record = *static_cast<const ZipCommandRecord*>(command.Record());
  EXPECT_EQ(record.Header.Password, nullptr);
  EXPECT_EQ(record.Header.StoredSuffixes, nullptr);
  EXPECT_EQ(record.TempDir, nullptr);
  EXPECT_EQ(record.ArchiveComment, nullptr);
  EXPECT_EQ(record.ExclusionTexts, nullptr);
  EXPECT_EQ(record.Specifications, nullptr);
  EXPECT_EQ(record.RecycleBin, 0);
  EXPECT_EQ(record.CodePage, 0);
  // Neither separate directory entries nor folder names asked for.
  EXPECT_EQ(record.Header.DirectoryEntries, 1);
  EXPECT_EQ(record.Header.DropFolderNames, 1);
}

TEST(ZipRecord, DeleteSwapsTheCommandFlags) {
  ZipCommandSettings settings;
  settings.Kind = ZipCommandKind::Delete;
  ZipCommand command(settings, 160);
  const auto& header = static_cast<const ZipCommandRecord*>(command.Record())->Header;
  EXPECT_EQ(header.AddCommand, 0);
  EXPECT_EQ(header.DeleteCommand, 1);
}

TEST(ZipRecord, MemoryFieldsAndTheEnginesOutputSize) {
  ZipCommand command(ZipCommandSettings{}, 160);
  char input[20] = {};
  char output[26] = {};
  command.SetInputMemory(input, sizeof(input));
  command.SetOutputMemory(output, sizeof(output));
  command.SetMemoryEntry(0x20, 0x5A215C00);
  auto& record = *static_cast<ZipCommandRecord*>(command.Record());
  EXPECT_EQ(record.InputFromMemory, 1);
  EXPECT_EQ(record.InputBuffer, input);
  EXPECT_EQ(record.InputSize, 20u);
  EXPECT_EQ(record.OutputToMemory, 1);
  EXPECT_EQ(record.OutputBuffer, output);
  EXPECT_EQ(record.MemoryEntryAttributes, 0x20u);
  EXPECT_EQ(record.MemoryEntryDosDateTime, 0x5A215C00u);
  record.OutputSize = 17;  // as the engine writes back what it produced
  EXPECT_EQ(command.OutputSize(), 17u);
}

struct ZipEntryCase {
  const char* Name;
  AddOptsSet Options;
  std::string Password;
  std::string Line;
  std::string Specification;
  std::uint16_t Recurse;
  std::int32_t Encrypt;
  const char* EntryPassword;  // null: no address
  bool SharesHeaderPassword;
};

class ZipSpecificationEntries : public testing::TestWithParam<ZipEntryCase> {};

TEST_P(ZipSpecificationEntries, FollowTheLineMarks) {
  const ZipEntryCase& entry = GetParam();
  ZipCommandSettings settings;
  settings.AddOptions = entry.Options;
  settings.Password = entry.Password;
  settings.Specifications = {entry.Line};
  settings.RootDir = "C:\\root\\";
  ZipCommand command(settings, 160);
  const auto& record = *static_cast<const ZipCommandRecord*>(command.Record());
  ASSERT_EQ(record.Header.SpecificationCount, 1);
  const ZipSpecificationEntry& made = record.Specifications[0];

  EXPECT_EQ(std::string(made.Specification), entry.Specification);
  EXPECT_EQ(made.Recurse, entry.Recurse);
  EXPECT_EQ(made.Encrypt, entry.Encrypt);
  if (entry.EntryPassword == nullptr) {
    EXPECT_EQ(made.Password, nullptr);
  } else {
    ASSERT_NE(made.Password, nullptr);
    EXPECT_STREQ(made.Password, entry.EntryPassword);
  }
  if (entry.SharesHeaderPassword) {
    EXPECT_EQ(made.Password, record.Header.Password);
  }
  EXPECT_STREQ(made.RootDir, "C:\\root\\");
  ExpectRecordBytes(std::as_bytes(std::span(&made, 1)),
                    {
                        RECORD_FIELD(ZipSpecificationEntry, Specification),
                        RECORD_FIELD(ZipSpecificationEntry, Password, AddressValue(made.Password)),
                        RECORD_FIELD(ZipSpecificationEntry, Encrypt, static_cast<std::uint64_t>(entry.Encrypt)),
                        RECORD_FIELD(ZipSpecificationEntry, Recurse, entry.Recurse),
                        RECORD_FIELD(ZipSpecificationEntry, RootDir),
                    });
}

const AddOptsSet RecursingEncrypting{AddOptsEnum::AddRecurseDirs, AddOptsEnum::AddEncrypt};

INSTANTIATE_TEST_SUITE_P(
    Cases, ZipSpecificationEntries,
    testing::Values(
        ZipEntryCase{"PlainLineTakesTheHeader", RecursingEncrypting, "pw", "*.txt", "*.txt", 1, 1, "pw", true},
        ZipEntryCase{"GreaterThanRecurses", {}, "", ">docs\\*.doc", "docs\\*.doc", 1, 0, nullptr, false},
        ZipEntryCase{"BarStopsRecursion", RecursingEncrypting, "pw", "|bin\\*", "bin\\*", 0, 1, "pw", true},
        ZipEntryCase{"LessThanGivesAPassword", {}, "", "a.txt<secret", "a.txt", 0, 1, "secret", false},
        ZipEntryCase{"LessThanAloneEncryptsNothing", RecursingEncrypting, "pw", "b.txt<", "b.txt", 1, 0, nullptr,
                     false},
        ZipEntryCase{"BothMarks", {}, "", ">c\\*<key", "c\\*", 1, 1, "key", false},
        ZipEntryCase{"EntryPasswordCutAt81", {}, "", "d<" + std::string(90, 'k'), "d", 0, 1,
                     "kkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkk", false}),
    [](const auto& instance) { return std::string(instance.param.Name); });

TEST(ZipSpecificationEntries, NoRootDirGivesNoAddress) {
  ZipCommandSettings settings;
  settings.Specifications = {"x"};
  ZipCommand command(settings, 160);
  EXPECT_EQ(static_cast<const ZipCommandRecord*>(command.Record())->Specifications[0].RootDir, nullptr);
}

TEST(StoredSuffixes, ListInOrdinalOrderJoinedByColons) {
  AddStoreSuffixSet everyButExe;
  for (unsigned ordinal = 0; ordinal + 1 < AddStoreSuffixCount; ++ordinal) {
    everyButExe.Include(static_cast<AddStoreSuffix>(ordinal));
  }
  EXPECT_EQ(StoredSuffixList(everyButExe),
            ".gif:.png:.z:.zip:.zoo:.arc:.lzh:.arj:.taz:.tgz:.lha:.rar:.ace:.cab:.gz:.gzip:.jar");
  EXPECT_EQ(StoredSuffixList({AddStoreSuffix::assEXE}), ".exe");
  EXPECT_EQ(StoredSuffixList({AddStoreSuffix::assJAR, AddStoreSuffix::assGIF}), ".gif:.jar");
  EXPECT_EQ(StoredSuffixList({}), "");
}

}  // namespace
}  // namespace zipbuilder
