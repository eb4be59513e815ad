// Reaches into TZipBuilder for state that only its operations write, so that
// tests can set up what a List would have left behind.
#pragma once

#include <memory>

#include "zipbuilder/zip_builder.h"

namespace zipbuilder {

class TZipBuilderTestAccess {
 public:
  static DirectoryState& Directory(TZipBuilder& component) { return component.directory_; }
  static EngineBinding& UnzipEngine(TZipBuilder& component) { return component.unzipEngine_; }
  static void AddEntry(TZipBuilder& component, std::unique_ptr<ZipDirEntry> entry) {
    component.dirEntries_.push_back(std::move(entry));
  }

  // The directory reader's shared routines and the state they work on.
  static DriveState& Drive(TZipBuilder& component) { return component.drive_; }
  static ArchiveRewriteState& Rewrite(TZipBuilder& component) { return component.rewrite_; }
  static void SetZipSideBusy(TZipBuilder& component, bool busy) { component.zipSideBusy_ = busy; }
  static bool LocateEndRecord(TZipBuilder& component, EndRecord& endRecord, EndRecordFailure failure) {
    return component.LocateEndRecord(endRecord, failure);
  }
  static void CloseArchiveHandle(TZipBuilder& component) { component.CloseArchiveHandle(); }
  static void SelectDisk(TZipBuilder& component, int diskNumber) { component.SelectDisk(diskNumber); }
  static bool CheckDrive(TZipBuilder& component) { return component.CheckDrive(); }
  static platform::DriveType AskForDisk(TZipBuilder& component) { return component.AskForDisk(); }
  static std::string NewTempFileName(TZipBuilder& component, std::string_view prefix, std::string_view extension) {
    return component.NewTempFileName(prefix, extension);
  }
  static std::int32_t CopyFileBytes(TZipBuilder& component, platform::FileHandle source,
                                    platform::FileHandle destination, std::int64_t count) {
    return component.CopyFileBytes(source, destination, count);
  }
  static std::int32_t RemoveFileOrRecycle(TZipBuilder& component, std::string_view fileName, DeleteOpts howToDelete) {
    return component.RemoveFileOrRecycle(fileName, howToDelete);
  }
};

}  // namespace zipbuilder
