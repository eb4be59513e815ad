// Folder listings through opendir/readdir and stat, with attributes derived as
// files.cpp derives them.
#include "platform/directory_listing.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>

#include "platform/date_time.h"
#include "platform/files.h"
#include "platform/posix/last_error.h"
#include "platform/posix/local_time.h"
#include "platform/posix/path_mapping.h"

namespace platform {

namespace {

constexpr const char* DosAttributeName = "user.DOSATTRIB";
constexpr std::uint32_t AttributesKeptInExtendedAttribute = file_attribute::Hidden | file_attribute::System;
constexpr mode_t AnyWriteBit = S_IWUSR | S_IWGRP | S_IWOTH;

std::uint32_t KeptAttributes(const std::string& nativePath) {
  char text[32] = {};
  const ssize_t length = getxattr(nativePath.c_str(), DosAttributeName, text, sizeof text - 1);
  if (length <= 0) {
    return 0;
  }
  return static_cast<std::uint32_t>(std::strtoul(text, nullptr, 16)) & AttributesKeptInExtendedAttribute;
}

std::string NameOf(const std::string& nativePath) {
  const std::size_t slash = nativePath.find_last_of('/');
  return slash == std::string::npos ? nativePath : nativePath.substr(slash + 1);
}

DirectoryItem ItemFrom(const std::string& nativePath, const struct stat& status) {
  DirectoryItem item;
  item.name = NameOf(nativePath);
  const bool folder = S_ISDIR(status.st_mode);
  item.attributes = folder ? file_attribute::Directory : file_attribute::Archive;
  if ((status.st_mode & AnyWriteBit) == 0) {
    item.attributes |= file_attribute::ReadOnly;
  }
  if (item.name.size() > 1 && item.name.front() == '.' && item.name != "..") {
    item.attributes |= file_attribute::Hidden;
  }
  item.attributes |= KeptAttributes(nativePath);
  tm local{};
  localtime_r(&status.st_mtime, &local);
  item.dosDateTime = SystemTimeToDosDateTime(posix::SystemTimeFromLocal(local, 0));
  item.size = folder ? 0 : static_cast<std::uint64_t>(status.st_size);
  item.unixMode = static_cast<std::uint32_t>(status.st_mode);
  return item;
}

}  // namespace

std::optional<std::vector<DirectoryItem>> ListDirectory(std::string_view folder) {
  const std::optional<std::string> nativeFolder = posix::ToNativePath(folder);
  if (!nativeFolder) {
    return std::nullopt;
  }
  DIR* stream = opendir(nativeFolder->c_str());
  if (stream == nullptr) {
    posix::SetLastErrorFromErrno(errno);
    return std::nullopt;
  }
  std::vector<DirectoryItem> items;
  while (const dirent* entry = readdir(stream)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") {
      continue;
    }
    const std::string nativePath = posix::JoinPath(*nativeFolder, name);
    struct stat status{};
    if (stat(nativePath.c_str(), &status) != 0) {
      continue;
    }
    if (!S_ISDIR(status.st_mode) && !S_ISREG(status.st_mode)) {
      continue;
    }
    items.push_back(ItemFrom(nativePath, status));
  }
  closedir(stream);
  return items;
}

std::optional<DirectoryItem> GetDirectoryItem(std::string_view path) {
  const std::optional<std::string> nativePath = posix::ToNativePath(path);
  if (!nativePath) {
    return std::nullopt;
  }
  struct stat status{};
  if (stat(nativePath->c_str(), &status) != 0) {
    posix::SetLastErrorFromErrno(errno);
    return std::nullopt;
  }
  return ItemFrom(*nativePath, status);
}

}  // namespace platform
