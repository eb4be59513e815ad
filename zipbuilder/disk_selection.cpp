// The disks of a spanned set: a removable disk is recognised by its label
// ("PKBACK# 001" for the first), a set on a fixed or network drive is a series of
// numbered part files, of which the wanted one is picked by name.
#include "zipbuilder/message_table.h"
#include "zipbuilder/path_text.h"
#include "zipbuilder/zip_builder.h"

namespace zipbuilder {

void TZipBuilder::SelectDisk(int diskNumber) {
  CloseArchiveHandle();
  directory_.CurrentDisk = diskNumber;
  platform::DriveType driveKind = platform::DriveType::Removable;
  bool openFailed = false;
  for (;;) {
    if (openFailed) {
      // A part file that is missing stays missing; a disk can still be swapped.
      if (HoldsPartFiles(driveKind)) {
        throw EZipBuilder(message_id::InputFileMissing, MessageDisplay::ShowBox);
      }
      ReportMessage(message_id::InputFileMissing);
    }
    do {
      drive_.ForceDiskPrompt = true;
      driveKind = AskForDisk();
    } while (!IsExpectedDisk(driveKind));
    directory_.ArchiveHandle = platform::CreateFile(directory_.WorkFileName, platform::FileAccess::Read,
                                                    platform::FileShare::Read, platform::FileCreation::OpenExisting);
    if (directory_.ArchiveHandle != platform::InvalidFileHandle) {
      return;
    }
    openFailed = true;
  }
}

bool TZipBuilder::IsExpectedDisk(platform::DriveType driveKind) {
  if (HoldsPartFiles(driveKind)) {
    directory_.WorkFileName = PartFileName(directory_.WorkFileName, directory_.CurrentDisk);
    return true;
  }
  return directory_.VolumeLabel == SpanDiskLabel(directory_.CurrentDisk);
}

}  // namespace zipbuilder
