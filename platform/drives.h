// Drives and volumes.
//
// POSIX: drive letters are $WINEPREFIX/dosdevices/<letter>: links; the drive type
// comes from the prefix's HKLM\Software\Wine\Drives settings ("floppy", "cdrom",
// "network", "ramdisk", "hd"; default removable for A: and B:, fixed otherwise).
// Labels and serials are the files .windows-label and .windows-serial at a drive's
// root. A plain POSIX path lies on a fixed drive whose root is "/".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

enum class DriveType : std::uint32_t {
  Unknown = 0,
  NoRootDirectory = 1,
  Removable = 2,
  Fixed = 3,
  Remote = 4,
  CdRom = 5,
  RamDisk = 6,
};

// `rootPath` is "X:\" (or any path; its drive's root is used).
[[nodiscard]] DriveType GetDriveType(std::string_view rootPath);
// Bit 0 = A:, bit 1 = B:, ...
[[nodiscard]] std::uint32_t GetLogicalDrives();

struct VolumeInformation {
  std::string label;
  std::uint32_t serialNumber = 0;
};
[[nodiscard]] bool GetVolumeInformation(std::string_view rootPath, VolumeInformation& information);
// An empty label removes it.
[[nodiscard]] bool SetVolumeLabel(std::string_view rootPath, std::string_view label);

struct DiskSpace {
  std::uint64_t freeBytesAvailableToCaller = 0;
  std::uint64_t totalBytes = 0;
  std::uint64_t totalFreeBytes = 0;
};
[[nodiscard]] bool GetDiskFreeSpaceEx(std::string_view path, DiskSpace& space);

}  // namespace platform
