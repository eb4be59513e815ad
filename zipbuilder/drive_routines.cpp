// Drives and disk prompts: whether the drive of the file being worked on is
// usable, how much room it has, and asking the user (or OnGetNextDisk) for the
// disk that is wanted.
//
// Divisions: space; the drive check; the disk prompt and its question.
//
// A path without a drive letter is a network path here. On POSIX that includes
// every plain path such as "/tmp/a.zip": "/" separates folders as "\" does, and
// such a path lies on a drive that is always present and never swapped, which is
// what the network-path rules (no drive letter to validate, no prompt) describe.
#include <algorithm>
#include <cctype>
#include <limits>

#include "platform/dynamic_library.h"
#include "platform/errors.h"
#include "zipbuilder/message_format.h"
#include "zipbuilder/message_table.h"
#include "zipbuilder/zip_builder.h"

namespace zipbuilder {

namespace {

// While the estimate of a set's size is unknown, LastDiskNumber holds this.
constexpr std::uint16_t UnknownLastDisk = 0xFFFF;

// The span mark (4 bytes) goes in front of the archive written.
constexpr std::int64_t SpanMarkSize = 4;

// System boxes for drives without media ("insert a disk") would stop the
// program; the component asks in its own words instead.
class CriticalErrorBoxesOff {
 public:
  CriticalErrorBoxesOff() : previousMode_(platform::SetErrorMode(platform::error_mode::FailCriticalErrors)) {}
  ~CriticalErrorBoxesOff() { platform::SetErrorMode(previousMode_); }
  CriticalErrorBoxesOff(const CriticalErrorBoxesOff&) = delete;
  CriticalErrorBoxesOff& operator=(const CriticalErrorBoxesOff&) = delete;

 private:
  std::uint32_t previousMode_;
};

[[nodiscard]] bool IsNetworkPathStart(char character) { return character == '\\' || character == '/'; }

[[nodiscard]] std::int64_t ToSignedBytes(std::uint64_t bytes) {
  return static_cast<std::int64_t>(std::min<std::uint64_t>(bytes, std::numeric_limits<std::int64_t>::max()));
}

[[nodiscard]] std::string FormatText(const std::string& pattern, std::initializer_list<MessageValue> values) {
  return FormatMessageText(pattern, std::span(values.begin(), values.size()));
}

}  // namespace

void TZipBuilder::QueryDiskSpace(DiskSpaceFigures figures) {
  std::int64_t freeBytes = -1;
  std::int64_t totalBytes = -1;
  platform::DiskSpace space;
  if (platform::GetDiskFreeSpaceEx(directory_.WorkDrive, space)) {
    freeBytes = ToSignedBytes(space.freeBytesAvailableToCaller);
    totalBytes = ToSignedBytes(space.totalBytes);
  }
  const auto bits = static_cast<std::uint8_t>(figures);
  if ((bits & static_cast<std::uint8_t>(DiskSpaceFigures::FreeSpace)) != 0) {
    drive_.DiskFreeSpace = freeBytes;
  }
  if ((bits & static_cast<std::uint8_t>(DiskSpaceFigures::TotalSize)) != 0) {
    drive_.DiskTotalSize = totalBytes;
  }
}

bool TZipBuilder::CheckDrive() {
  const std::string& drive = directory_.WorkDrive;
  const char first = drive.empty() ? '\0' : static_cast<char>(std::toupper(static_cast<unsigned char>(drive[0])));
  const bool networkPath = IsNetworkPathStart(first);
  if (!networkPath) {
    if (first < 'A' || first > 'Z') {
      throw EZipBuilder(message_id::InvalidDrive, drive);
    }
    if ((platform::GetLogicalDrives() & (1u << (first - 'A'))) == 0) {
      throw EZipBuilder(message_id::DriveNotDefined, drive);
    }
  }
  const CriticalErrorBoxesOff quiet;
  QueryDiskSpace(DiskSpaceFigures::Both);
  platform::VolumeInformation volume;
  if (!platform::GetVolumeInformation(drive, volume)) {
    // An unformatted disk is fine when it is about to be formatted.
    return platform::GetLastError() == platform::win32_error::GenFailure &&
           addOptions_.Contains(AddOptsEnum::AddDiskSpanErase);
  }
  directory_.VolumeLabel = volume.label;
  drive_.VolumeSerial = volume.serialNumber;
  return networkPath || drive_.DiskTotalSize != -1;
}

platform::DriveType TZipBuilder::AskForDisk() {
  const platform::DriveType driveKind = platform::GetDriveType(directory_.WorkDrive);
  DialogAnswer answer = DialogAnswer::Ok;
  toolkit_.ProcessPendingMessages();
  while ((answer == DialogAnswer::Ok && !CheckDrive()) || drive_.ForceDiskPrompt) {
    if (HoldsPartFiles(driveKind)) {
      drive_.ForceDiskPrompt = false;
      break;
    }
    if (unattended_) {
      throw EZipBuilder(message_id::UnattendedSpanningNotImplemented, MessageDisplay::ShowBox);
    }
    answer = AskUserForDisk(DiskPromptText());
    drive_.ForceDiskPrompt = false;
  }
  if (answer == DialogAnswer::CannotShow) {
    throw EZipBuilder(message_id::NoMemoryForMessageBox, MessageDisplay::ShowBox);
  }
  if (answer != DialogAnswer::Ok) {
    // The user knows: the refusal is reported without a box.
    throw EZipBuilder(message_id::UserCanceled, MessageDisplay::Silent);
  }
  return driveKind;
}

DialogAnswer TZipBuilder::AskUserForDisk(const std::string& question) {
  const std::string driveLetter = directory_.WorkDrive.substr(0, 1);
  if (OnGetNextDisk) {
    bool cancel = false;
    OnGetNextDisk(*this, directory_.CurrentDisk + 1, directory_.LastDiskNumber + 1, driveLetter, cancel);
    return cancel ? DialogAnswer::Cancel : DialogAnswer::Ok;
  }
  MessageBoxRequest box;
  box.Text = question;
  box.Caption = toolkit_.ApplicationTitle();
  box.Buttons = MessageBoxButtons::OkCancel;
  box.Icon = directory_.CurrentDisk < 0 ? MessageBoxIcon::Stop : MessageBoxIcon::None;
  box.Owner = ownerWindow_;
  return toolkit_.ShowMessageBox(box);
}

std::string TZipBuilder::DiskPromptText() {
  std::string question;
  if (directory_.CurrentDisk < 0) {
    question = LoadMessageText(message_id::InsertLastDisk, "Please insert last disk in set");
  } else if (zipSideBusy_) {
    question = WritingDiskPromptText();
  } else {
    question = FormatText(LoadMessageText(message_id::InsertDiskOf, "Please insert disk volume %.1d of %.1d"),
                          {std::int64_t{directory_.CurrentDisk} + 1, std::int64_t{directory_.LastDiskNumber} + 1});
  }
  return question + FormatText(LoadMessageText(message_id::InDrive, "\nin drive: %s"),
                               {directory_.WorkDrive.substr(0, 1)});
}

// While a set is written its size is only known as an estimate: the archive so
// far spread over volumes of the disk's size (or MaxVolumeSize when smaller).
std::string TZipBuilder::WritingDiskPromptText() {
  std::int64_t volumeSize = drive_.DiskTotalSize;
  if (maxVolumeSize_ != 0) {
    volumeSize = std::min(maxVolumeSize_, drive_.DiskTotalSize);
  }
  if (volumeSize <= 0) {
    directory_.LastDiskNumber = UnknownLastDisk;
    return FormatText(LoadMessageText(message_id::InsertDiskVolume, "Please insert disk volume %.1d"),
                      {std::int64_t{directory_.CurrentDisk} + 1});
  }
  const std::int64_t estimate = std::max<std::int64_t>(
      directory_.CurrentDisk, (directory_.ArchiveEnd + SpanMarkSize + keepFreeOnDisk1_) / volumeSize);
  directory_.LastDiskNumber = static_cast<std::uint16_t>(std::min<std::int64_t>(estimate, UnknownLastDisk));
  return FormatText(LoadMessageText(message_id::InsertDiskOf, "Please insert disk volume %.1d of %.1d"),
                    {std::int64_t{directory_.CurrentDisk} + 1, std::int64_t{directory_.LastDiskNumber} + 1});
}

}  // namespace zipbuilder
