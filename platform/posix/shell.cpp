// Deleting through the shell. The recycle bin is the freedesktop.org Trash: the
// home trash for files on its file system, else the trash at the top of the
// file's own mount ($topdir/.Trash/$uid when an administrator prepared it, else
// $topdir/.Trash-$uid). A file that no trash on its file system can take is left
// in place and reported, never deleted for good behind the caller's back.
//
// Divisions: finding the trash; the .trashinfo record; trashing; deleting.
#include "platform/shell.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "platform/errors.h"
#include "platform/file_faults.h"
#include "platform/posix/last_error.h"
#include "platform/posix/path_mapping.h"

namespace platform {

namespace {

struct TrashLocation {
  std::string folder;
  // The folder that `Path=` in .trashinfo is relative to; empty for absolute paths.
  std::string topFolder;
};

std::optional<dev_t> DeviceOf(const std::string& path) {
  struct stat status{};
  if (stat(path.c_str(), &status) != 0) {
    return std::nullopt;
  }
  return status.st_dev;
}

bool MakeFolders(const std::string& folder) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) {
    return false;
  }
  std::filesystem::permissions(folder, std::filesystem::perms::owner_all, error);
  return true;
}

std::string HomeTrashFolder() {
  if (const char* dataHome = std::getenv("XDG_DATA_HOME"); dataHome != nullptr && *dataHome != '\0') {
    return std::string(dataHome) + "/Trash";
  }
  const char* home = std::getenv("HOME");
  return std::string(home != nullptr ? home : "") + "/.local/share/Trash";
}

// The mount point above `path`: the last folder upwards on the same device.
std::string TopFolderOf(const std::filesystem::path& path) {
  const std::optional<dev_t> device = DeviceOf(path.string());
  std::filesystem::path top = path;
  while (top.has_parent_path() && top.parent_path() != top) {
    if (DeviceOf(top.parent_path().string()) != device) {
      break;
    }
    top = top.parent_path();
  }
  return top.string();
}

std::optional<std::string> VolumeTrashFolder(const std::string& topFolder) {
  const std::string uid = std::to_string(getuid());
  const std::string shared = topFolder + "/.Trash";
  struct stat status{};
  const bool sharedUsable =
      lstat(shared.c_str(), &status) == 0 && S_ISDIR(status.st_mode) && (status.st_mode & S_ISVTX) != 0;
  if (sharedUsable && MakeFolders(shared + "/" + uid)) {
    return shared + "/" + uid;
  }
  const std::string own = topFolder + "/.Trash-" + uid;
  if (MakeFolders(own)) {
    return own;
  }
  return std::nullopt;
}

std::optional<TrashLocation> TrashFor(const std::filesystem::path& absolutePath) {
  const std::optional<dev_t> fileDevice = DeviceOf(absolutePath.parent_path().string());
  const std::string home = HomeTrashFolder();
  if (MakeFolders(home) && DeviceOf(home) == fileDevice) {
    return TrashLocation{home, ""};
  }
  const std::string topFolder = TopFolderOf(absolutePath.parent_path());
  if (const std::optional<std::string> volume = VolumeTrashFolder(topFolder)) {
    return TrashLocation{*volume, topFolder};
  }
  return std::nullopt;
}

// URI escaping of a path: unreserved characters and "/" stay, the rest is %XX.
std::string PercentEncode(std::string_view path) {
  std::string encoded;
  for (const char character : path) {
    const auto byte = static_cast<unsigned char>(character);
    const bool unreserved = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                            (byte >= '0' && byte <= '9') || byte == '-' || byte == '_' || byte == '.' ||
                            byte == '~' || byte == '/';
    if (unreserved) {
      encoded.push_back(character);
      continue;
    }
    char escape[4] = {};
    std::snprintf(escape, sizeof escape, "%%%02X", byte);
    encoded.append(escape);
  }
  return encoded;
}

std::string TrashInfoText(const std::string& recordedPath) {
  const std::time_t now = std::time(nullptr);
  tm local{};
  localtime_r(&now, &local);
  char date[32] = {};
  std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
  return "[Trash Info]\nPath=" + PercentEncode(recordedPath) + "\nDeletionDate=" + date + "\n";
}

std::string TrashName(const std::string& name, int attempt) {
  if (attempt == 0) {
    return name;
  }
  return name + "." + std::to_string(attempt + 1);
}

// Reserves the name with its info file first, so that a crash leaves at worst an
// orphan info file and never an unlisted trashed file.
int MoveToTrash(const std::filesystem::path& absolutePath, const TrashLocation& trash) {
  const std::string files = trash.folder + "/files";
  const std::string info = trash.folder + "/info";
  if (!MakeFolders(files) || !MakeFolders(info)) {
    return static_cast<int>(win32_error::AccessDenied);
  }
  const std::string recorded = trash.topFolder.empty()
                                   ? absolutePath.string()
                                   : std::filesystem::relative(absolutePath, trash.topFolder).string();
  const std::string text = TrashInfoText(recorded);
  for (int attempt = 0; attempt < 1000; ++attempt) {
    const std::string name = TrashName(absolutePath.filename().string(), attempt);
    const std::string infoPath = info + "/" + name + ".trashinfo";
    const std::string trashedPath = files + "/" + name;
    const int infoFile = open(infoPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (infoFile < 0) {
      if (errno == EEXIST) {
        continue;
      }
      return static_cast<int>(posix::Win32ErrorFromErrno(errno));
    }
    struct stat status{};
    const bool nameTaken = lstat(trashedPath.c_str(), &status) == 0;
    const bool written = !nameTaken && write(infoFile, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    close(infoFile);
    if (nameTaken) {
      unlink(infoPath.c_str());
      continue;
    }
    if (written && rename(absolutePath.c_str(), trashedPath.c_str()) == 0) {
      return 0;
    }
    const int failure = errno;
    unlink(infoPath.c_str());
    return static_cast<int>(posix::Win32ErrorFromErrno(failure));
  }
  return static_cast<int>(win32_error::AccessDenied);
}

int DeletePermanently(const std::string& nativePath) {
  std::error_code error;
  std::filesystem::remove_all(nativePath, error);
  return error ? static_cast<int>(posix::Win32ErrorFromErrno(error.value())) : 0;
}

}  // namespace

int ShellDeleteFile(std::string_view path, DeleteMode mode) {
  if (file_faults::ShouldFail(mode == DeleteMode::ToRecycleBin ? file_faults::Operation::Recycle
                                                               : file_faults::Operation::Delete)) {
    return static_cast<int>(GetLastError());
  }
  const std::optional<std::string> nativePath = posix::ToNativePath(path);
  if (!nativePath) {
    return static_cast<int>(GetLastError());
  }
  struct stat status{};
  if (lstat(nativePath->c_str(), &status) != 0) {
    return static_cast<int>(posix::MissingPathError(*nativePath));
  }
  if (mode == DeleteMode::Permanent) {
    return DeletePermanently(*nativePath);
  }
  const std::filesystem::path absolutePath = std::filesystem::absolute(*nativePath).lexically_normal();
  const std::optional<TrashLocation> trash = TrashFor(absolutePath);
  if (!trash) {
    return static_cast<int>(win32_error::AccessDenied);
  }
  return MoveToTrash(absolutePath, *trash);
}

}  // namespace platform
