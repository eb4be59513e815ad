// Drives as Wine presents them: letters are the links in $WINEPREFIX/dosdevices,
// the type comes from HKLM\Software\Wine\Drives, and a drive's label and serial
// are the files .windows-label and .windows-serial at its root. Any name that is
// not "X:..." lies on one fixed drive whose root is "/".
//
// Divisions: finding a drive's root; the drive type; labels and serials; space.
#include "platform/drives.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>

#include "platform/errors.h"
#include "platform/posix/last_error.h"
#include "platform/posix/path_mapping.h"
#include "platform/posix/wine_hive.h"

namespace platform {

namespace {

constexpr std::size_t LongestLabel = 255;

struct DriveRoot {
  std::optional<char> letter;  // none for the POSIX root
  std::string nativeRoot;
};

// The drive that `path` lies on; nullopt (last error set) for a letter without link.
std::optional<DriveRoot> DriveRootOf(std::string_view path) {
  const std::optional<char> letter = posix::DriveLetterOf(path);
  if (!letter) {
    return DriveRoot{std::nullopt, "/"};
  }
  if (!posix::DriveExists(*letter)) {
    SetLastError(win32_error::PathNotFound);
    return std::nullopt;
  }
  return DriveRoot{letter, posix::DriveLinkPath(*letter)};
}

bool EqualsIgnoringCase(std::string_view left, std::string_view right) {
  return posix::FoldName(left) == posix::FoldName(right);
}

DriveType TypeFromSetting(char letter) {
  const bool floppyLetter = letter == 'a' || letter == 'b';
  const std::shared_ptr<const posix::Hive> machine = posix::LoadHive(RegistryRoot::LocalMachine);
  const posix::HiveKey* drives = machine->FindKey("Software\\Wine\\Drives");
  const posix::HiveValue* setting = drives != nullptr ? drives->FindValue(std::string(1, letter) + ":") : nullptr;
  const std::optional<std::string> text = setting != nullptr ? posix::StringValue(*setting) : std::nullopt;
  if (!text) {
    return floppyLetter ? DriveType::Removable : DriveType::Fixed;
  }
  if (EqualsIgnoringCase(*text, "floppy")) {
    return DriveType::Removable;
  }
  if (EqualsIgnoringCase(*text, "cdrom")) {
    return DriveType::CdRom;
  }
  if (EqualsIgnoringCase(*text, "network")) {
    return DriveType::Remote;
  }
  if (EqualsIgnoringCase(*text, "ramdisk")) {
    return DriveType::RamDisk;
  }
  if (EqualsIgnoringCase(*text, "hd")) {
    return DriveType::Fixed;
  }
  return floppyLetter ? DriveType::Removable : DriveType::Fixed;
}

DriveType TypeOf(const DriveRoot& root) {
  return root.letter ? TypeFromSetting(*root.letter) : DriveType::Fixed;
}

std::string ReadFirstBytes(const std::string& file, std::size_t limit) {
  std::ifstream stream(file, std::ios::binary);
  std::string text(limit, '\0');
  stream.read(text.data(), static_cast<std::streamsize>(limit));
  text.resize(static_cast<std::size_t>(stream.gcount()));
  return text;
}

std::string ReadLabel(const std::string& nativeRoot) {
  std::string label = ReadFirstBytes(posix::JoinPath(nativeRoot, ".windows-label"), LongestLabel);
  while (!label.empty() && (label.back() == ' ' || label.back() == '\r' || label.back() == '\n')) {
    label.pop_back();
  }
  return label;
}

std::uint32_t ReadSerial(const std::string& nativeRoot) {
  const std::string text = ReadFirstBytes(posix::JoinPath(nativeRoot, ".windows-serial"), 32);
  return static_cast<std::uint32_t>(std::strtoul(text.c_str(), nullptr, 16));
}

bool WriteLabel(const std::string& nativeRoot, std::string_view label) {
  const std::string file = posix::JoinPath(nativeRoot, ".windows-label");
  if (label.empty()) {
    if (unlink(file.c_str()) != 0 && errno != ENOENT) {
      posix::SetLastErrorFromErrno(errno);
      return false;
    }
    return true;
  }
  const int descriptor = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (descriptor < 0) {
    posix::SetLastErrorFromErrno(errno);
    return false;
  }
  const std::string line = std::string(label) + "\n";
  const bool written = write(descriptor, line.data(), line.size()) == static_cast<ssize_t>(line.size());
  const int writeError = errno;
  close(descriptor);
  if (!written) {
    posix::SetLastErrorFromErrno(writeError);
  }
  return written;
}

}  // namespace

DriveType GetDriveType(std::string_view rootPath) {
  const std::optional<char> letter = posix::DriveLetterOf(rootPath);
  if (letter && !posix::DriveExists(*letter)) {
    return DriveType::NoRootDirectory;
  }
  return letter ? TypeFromSetting(*letter) : DriveType::Fixed;
}

std::uint32_t GetLogicalDrives() {
  std::uint32_t mask = 0;
  for (char letter = 'a'; letter <= 'z'; ++letter) {
    if (posix::DriveExists(letter)) {
      mask |= 1u << (letter - 'a');
    }
  }
  return mask;
}

bool GetVolumeInformation(std::string_view rootPath, VolumeInformation& information) {
  const std::optional<DriveRoot> root = DriveRootOf(rootPath);
  if (!root) {
    return false;
  }
  information.label = ReadLabel(root->nativeRoot);
  information.serialNumber = ReadSerial(root->nativeRoot);
  return true;
}

bool SetVolumeLabel(std::string_view rootPath, std::string_view label) {
  const std::optional<DriveRoot> root = DriveRootOf(rootPath);
  if (!root) {
    return false;
  }
  const DriveType type = TypeOf(*root);
  if (type != DriveType::Removable && type != DriveType::Fixed) {
    SetLastError(win32_error::AccessDenied);
    return false;
  }
  return WriteLabel(root->nativeRoot, label);
}

bool GetDiskFreeSpaceEx(std::string_view path, DiskSpace& space) {
  const std::optional<std::string> nativePath = posix::ToNativePath(path);
  if (!nativePath) {
    return false;
  }
  struct statvfs volume{};
  if (statvfs(nativePath->c_str(), &volume) != 0) {
    if (errno == ENOENT) {
      SetLastError(posix::MissingPathError(*nativePath));
    } else {
      posix::SetLastErrorFromErrno(errno);
    }
    return false;
  }
  const std::uint64_t unit = volume.f_frsize != 0 ? volume.f_frsize : volume.f_bsize;
  space.freeBytesAvailableToCaller = std::uint64_t{volume.f_bavail} * unit;
  space.totalBytes = std::uint64_t{volume.f_blocks} * unit;
  space.totalFreeBytes = std::uint64_t{volume.f_bfree} * unit;
  return true;
}

}  // namespace platform
