// The drive check and the disk prompt: which drives pass, what is asked, and how
// a refusal ends.
#include "platform/files.h"
#include "tests/zipbuilder/floppy_drive.h"
#include "tests/zipbuilder/listing_fixture.h"
#include "zipbuilder/message_table.h"
#include "zipbuilder/path_text.h"

namespace zipbuilder {
namespace {

struct DiskRequest {
  int DiskSeqNo;
  int DiskTotal;
  std::string Drive;
};

class DriveRoutinesTest : public ListingTest {
 protected:
  DirectoryState& WorkState() { return TZipBuilderTestAccess::Directory(component); }
  DriveState& DriveFigures() { return TZipBuilderTestAccess::Drive(component); }

  // Runs `routine` and answers the ID of the EZipBuilder it raised, 0 for none.
  template <typename Routine>
  int RaisedId(Routine routine) {
    try {
      routine();
    } catch (const EZipBuilder& error) {
      raisedDisplay = error.Display();
      raisedText = error.Message();
      return error.MessageId();
    }
    return 0;
  }

  // Has OnGetNextDisk record its questions and answer with `cancel`.
  void AnswerDiskRequests(bool cancel) {
    component.OnGetNextDisk = [this, cancel](TZipBuilder&, int seqNo, int total, const std::string& drive,
                                             bool& cancelled) {
      requests.push_back({seqNo, total, drive});
      cancelled = cancel;
    };
  }

  std::vector<DiskRequest> requests;
  MessageDisplay raisedDisplay = MessageDisplay::ShowBox;
  std::string raisedText;
};

// The drive of the scratch folder: "\" for a POSIX path, a fixed drive letter under Windows.
TEST_F(DriveRoutinesTest, TheDriveOfAnOrdinaryFolderPassesAndIsNeverPromptedFor) {
  WorkState().WorkDrive = DriveRootOf(platform::GetFullPathName(scratch.PathOf("a.zip")));
  EXPECT_TRUE(TZipBuilderTestAccess::CheckDrive(component));
  EXPECT_GT(DriveFigures().DiskTotalSize, 0);
  EXPECT_GE(DriveFigures().DiskFreeSpace, 0);

  DriveFigures().ForceDiskPrompt = true;
  AnswerDiskRequests(true);
  EXPECT_EQ(TZipBuilderTestAccess::AskForDisk(component), platform::GetDriveType(WorkState().WorkDrive));
  EXPECT_TRUE(HoldsPartFiles(platform::GetDriveType(WorkState().WorkDrive)));
  EXPECT_FALSE(DriveFigures().ForceDiskPrompt);
  EXPECT_TRUE(requests.empty());
  EXPECT_TRUE(toolkit.MessageBoxesShown().empty());
}

TEST_F(DriveRoutinesTest, APathWithoutADriveLetterIsANetworkPath) {
  for (const std::string_view path : {"\\\\server\\share\\a.zip", "//server/share/a.zip"}) {
    EXPECT_EQ(DriveRootOf(path), "\\\\server\\share\\") << path;
  }
  EXPECT_EQ(DriveRootOf("/tmp/a.zip"), "\\");
  EXPECT_EQ(DriveRootOf("c:\\x\\a.zip"), "c:\\");
}

struct InvalidDriveCase {
  const char* Description;
  std::string WorkDrive;
  int Expected;
  std::string Text;
};

void PrintTo(const InvalidDriveCase& test, std::ostream* out) { *out << test.Description; }

class InvalidDriveTest : public DriveRoutinesTest, public testing::WithParamInterface<InvalidDriveCase> {};

// "?" in a case stands for a letter that names no drive on this machine.
std::string WithFreeDriveLetter(std::string text) {
  const std::uint32_t drives = platform::GetLogicalDrives();
  char free = '\0';
  for (char letter = 'z'; letter >= 'd' && free == '\0'; --letter) {
    if ((drives & (1u << (letter - 'a'))) == 0) {
      free = letter;
    }
  }
  for (char& character : text) {
    if (character == '?') {
      character = free;
    }
  }
  return text;
}

TEST_P(InvalidDriveTest, IsRefusedByName) {
  const platform_test::TestMachine machine;
  WorkState().WorkDrive = WithFreeDriveLetter(GetParam().WorkDrive);
  if (WorkState().WorkDrive.find('\0') != std::string::npos) {
    GTEST_SKIP() << "every drive letter is taken";
  }
  EXPECT_EQ(RaisedId([this] { static_cast<void>(TZipBuilderTestAccess::CheckDrive(component)); }),
            GetParam().Expected);
  EXPECT_EQ(raisedText, WithFreeDriveLetter(GetParam().Text));
}

INSTANTIATE_TEST_SUITE_P(
    Drives, InvalidDriveTest,
    testing::Values(InvalidDriveCase{"not a letter", "1:\\", message_id::InvalidDrive, "Not a valid drive: 1:\\"},
                    InvalidDriveCase{"nothing", "", message_id::InvalidDrive, "Not a valid drive: "},
                    InvalidDriveCase{"a letter without a drive", "?:\\", message_id::DriveNotDefined,
                                     "Drive ?:\\ is NOT defined"}));

class FloppyPromptTest : public DriveRoutinesTest {
 protected:
  void SetUp() override {
    if (!floppy.Mapped()) {
      GTEST_SKIP() << floppy.Reason();
    }
    floppy.Insert("set.zip", "not looked at", "PKBACK# 002");
    if (!floppy.Labelled()) {
      GTEST_SKIP() << floppy.Reason();
    }
    WorkState().WorkDrive = FloppyDrive::PathOf("");
    WorkState().CurrentDisk = 1;
    WorkState().LastDiskNumber = 4;
    DriveFigures().ForceDiskPrompt = true;
  }

  [[nodiscard]] int AskForDiskRaises() {
    return RaisedId([this] { static_cast<void>(TZipBuilderTestAccess::AskForDisk(component)); });
  }

  FloppyDrive floppy{scratch};
};

TEST_F(FloppyPromptTest, CheckDriveReadsTheLabelAndSerial) {
  EXPECT_TRUE(TZipBuilderTestAccess::CheckDrive(component));
  EXPECT_EQ(Directory().VolumeLabel, "PKBACK# 002");
  EXPECT_EQ(component.Drive().VolumeSerial, 0x1234ABCDu);
  EXPECT_GT(component.Drive().DiskTotalSize, 0);
}

TEST_F(FloppyPromptTest, TheHandlerIsAskedForTheDiskAndItsAnswerTaken) {
  AnswerDiskRequests(false);
  EXPECT_EQ(TZipBuilderTestAccess::AskForDisk(component), platform::DriveType::Removable);
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].DiskSeqNo, 2);
  EXPECT_EQ(requests[0].DiskTotal, 5);
  EXPECT_EQ(requests[0].Drive, "A");
  EXPECT_FALSE(DriveFigures().ForceDiskPrompt);
  EXPECT_GE(toolkit.PendingMessageCalls(), 1u);
}

TEST_F(FloppyPromptTest, WithoutAHandlerABoxAsks) {
  toolkit.SetApplicationTitle("Patch");
  toolkit.QueueMessageBoxAnswer(DialogAnswer::Ok);
  EXPECT_EQ(TZipBuilderTestAccess::AskForDisk(component), platform::DriveType::Removable);

  ASSERT_EQ(toolkit.MessageBoxesShown().size(), 1u);
  const MessageBoxRequest& box = toolkit.MessageBoxesShown()[0];
  EXPECT_EQ(box.Text, "Please insert disk volume 2 of 5\nin drive: A");
  EXPECT_EQ(box.Caption, "Patch");
  EXPECT_EQ(box.Buttons, MessageBoxButtons::OkCancel);
  EXPECT_EQ(box.Icon, MessageBoxIcon::None);
}

TEST_F(FloppyPromptTest, ABoxAnsweredCancelEndsWith11007AndOneThatCannotShowWith11006) {
  toolkit.QueueMessageBoxAnswer(DialogAnswer::Cancel);
  EXPECT_EQ(AskForDiskRaises(), message_id::UserCanceled);
  EXPECT_EQ(raisedDisplay, MessageDisplay::Silent);

  DriveFigures().ForceDiskPrompt = true;
  EXPECT_EQ(AskForDiskRaises(), message_id::NoMemoryForMessageBox);
  EXPECT_EQ(raisedDisplay, MessageDisplay::ShowBox);
}

TEST_F(FloppyPromptTest, TheLastDiskIsAskedForWithAStopIcon) {
  WorkState().CurrentDisk = -1;
  toolkit.QueueMessageBoxAnswer(DialogAnswer::Ok);
  static_cast<void>(TZipBuilderTestAccess::AskForDisk(component));
  ASSERT_EQ(toolkit.MessageBoxesShown().size(), 1u);
  EXPECT_EQ(toolkit.MessageBoxesShown()[0].Text, "Please insert last disk\nin drive: A");
  EXPECT_EQ(toolkit.MessageBoxesShown()[0].Icon, MessageBoxIcon::Stop);
}

TEST_F(FloppyPromptTest, WithoutAnEstimateTheTotalIs65536) {
  WorkState().LastDiskNumber = 0xFFFF;
  AnswerDiskRequests(false);
  static_cast<void>(TZipBuilderTestAccess::AskForDisk(component));
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].DiskTotal, 65536);
}

struct EstimateCase {
  const char* Description;
  std::int32_t MaxVolumeSize;
  std::int32_t KeepFreeOnDisk1;
  std::int32_t ArchiveEnd;
  std::int32_t CurrentDisk;
  std::uint16_t LastDiskNumber;
  std::string Question;
};

void PrintTo(const EstimateCase& test, std::ostream* out) { *out << test.Description; }

class WritingEstimateTest : public FloppyPromptTest, public testing::WithParamInterface<EstimateCase> {};

TEST_P(WritingEstimateTest, WhileASetIsWrittenItsSizeIsEstimated) {
  const EstimateCase& test = GetParam();
  TZipBuilderTestAccess::SetZipSideBusy(component, true);
  component.SetMaxVolumeSize(test.MaxVolumeSize);
  component.SetKeepFreeOnDisk1(test.KeepFreeOnDisk1);
  WorkState().ArchiveEnd = test.ArchiveEnd;
  WorkState().CurrentDisk = test.CurrentDisk;
  toolkit.QueueMessageBoxAnswer(DialogAnswer::Ok);

  static_cast<void>(TZipBuilderTestAccess::AskForDisk(component));

  ASSERT_EQ(toolkit.MessageBoxesShown().size(), 1u);
  EXPECT_EQ(toolkit.MessageBoxesShown()[0].Text, test.Question) << test.Description;
  EXPECT_EQ(Directory().LastDiskNumber, test.LastDiskNumber) << test.Description;
}

INSTANTIATE_TEST_SUITE_P(
    Estimates, WritingEstimateTest,
    testing::Values(
        EstimateCase{"volumes of 1000 bytes", 1000, 0, 2500, 0, 2, "Please insert disk volume 1 of 3\nin drive: A"},
        EstimateCase{"room kept on disk 1", 1000, 500, 2500, 0, 3, "Please insert disk volume 1 of 4\nin drive: A"},
        EstimateCase{"past the estimate", 1000, 0, 2500, 5, 5, "Please insert disk volume 6 of 6\nin drive: A"}));

}  // namespace
}  // namespace zipbuilder
