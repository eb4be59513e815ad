// Files and folders on a POSIX file system, behaving as Wine shows them to a
// Windows program: a file without write permission bits is read-only (it can be
// neither opened for writing nor deleted), regular files carry the archive
// attribute, names starting with "." are hidden, and the hidden and system
// attributes are kept in the "user.DOSATTRIB" extended attribute as Wine keeps them.
//
// Divisions: handles and errors; opening; the handle operations; DOS dates;
// deleting and moving; folders; attributes; the current folder.
#include "platform/files.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "platform/date_time.h"
#include "platform/posix/folder_listing_cache.h"
#include "platform/posix/last_error.h"
#include "platform/posix/local_time.h"
#include "platform/posix/path_mapping.h"
#include "platform/file_faults.h"

namespace platform {

namespace {

using posix::SetLastErrorFromErrno;
using file_faults::Operation;

constexpr const char* DosAttributeName = "user.DOSATTRIB";
constexpr std::uint32_t AttributesKeptInExtendedAttribute = file_attribute::Hidden | file_attribute::System;
constexpr mode_t AnyWriteBit = S_IWUSR | S_IWGRP | S_IWOTH;

int Descriptor(FileHandle file) {
  return static_cast<int>(file.value);
}

bool IsOpenDescriptor(int descriptor) {
  return fcntl(descriptor, F_GETFD) != -1;
}

// EBADF on an open descriptor means the handle lacks the access asked for.
void SetLastErrorForHandle(int descriptor, int errnoValue) {
  if ((errnoValue == EBADF || errnoValue == EINVAL) && IsOpenDescriptor(descriptor)) {
    SetLastError(win32_error::AccessDenied);
    return;
  }
  SetLastErrorFromErrno(errnoValue);
}

void SetLastErrorForName(const std::string& nativePath, int errnoValue) {
  if (errnoValue == ENOENT) {
    SetLastError(posix::MissingPathError(nativePath));
    return;
  }
  SetLastErrorFromErrno(errnoValue);
}

// lstat of a looked-up name, from the lookup when it took one. False with errno
// set when there is no such name.
bool LinkStatusOf(const posix::NativeName& name, struct stat& status) {
  if (name.state == posix::NameState::Exists) {
    status = name.status;
    return true;
  }
  if (name.state == posix::NameState::Missing) {
    errno = ENOENT;
    return false;
  }
  return lstat(name.path.c_str(), &status) == 0;
}

// stat of a looked-up name: as LinkStatusOf, but a link is followed.
bool StatusOf(const posix::NativeName& name, struct stat& status) {
  if (name.state == posix::NameState::Exists && S_ISLNK(name.status.st_mode)) {
    return stat(name.path.c_str(), &status) == 0;
  }
  return LinkStatusOf(name, status);
}

// A name the lookup found missing lies in an existing folder: FileNotFound
// without another look at the folder.
void SetLastErrorForMissing(const posix::NativeName& name, int errnoValue) {
  if (name.state == posix::NameState::Missing) {
    SetLastError(win32_error::FileNotFound);
    return;
  }
  SetLastErrorForName(name.path, errnoValue);
}

bool IsReadOnly(const struct stat& status) {
  return (status.st_mode & AnyWriteBit) == 0;
}

bool WantsWrite(FileAccess access) {
  return access == FileAccess::Write || access == FileAccess::ReadWrite;
}

bool MayCreate(FileCreation creation) {
  return creation != FileCreation::OpenExisting && creation != FileCreation::TruncateExisting;
}

int OpenFlags(FileAccess access, FileCreation creation) {
  int flags = O_CLOEXEC;
  switch (access) {
    case FileAccess::Read:
      flags |= O_RDONLY;
      break;
    case FileAccess::Write:
      flags |= O_WRONLY;
      break;
    case FileAccess::ReadWrite:
      flags |= O_RDWR;
      break;
  }
  switch (creation) {
    case FileCreation::CreateNew:
      return flags | O_CREAT | O_EXCL;
    case FileCreation::CreateAlways:
      return flags | O_CREAT | O_TRUNC;
    case FileCreation::OpenExisting:
      return flags;
    case FileCreation::OpenAlways:
      return flags | O_CREAT;
    case FileCreation::TruncateExisting:
      return flags | O_TRUNC;
  }
  return flags;
}

// Windows reports AlreadyExists after a successful open that found the file.
Win32Error ErrorAfterSuccessfulOpen(bool existed, FileCreation creation) {
  const bool reportsExisting = creation == FileCreation::CreateAlways || creation == FileCreation::OpenAlways;
  return existed && reportsExisting ? win32_error::AlreadyExists : win32_error::Success;
}

std::uint32_t ReadKeptAttributes(const std::string& nativePath) {
  char text[32] = {};
  const ssize_t length = getxattr(nativePath.c_str(), DosAttributeName, text, sizeof text - 1);
  if (length <= 0) {
    return 0;
  }
  return static_cast<std::uint32_t>(std::strtoul(text, nullptr, 16)) & AttributesKeptInExtendedAttribute;
}

bool WriteKeptAttributes(const std::string& nativePath, std::uint32_t attributes) {
  const std::uint32_t kept = attributes & AttributesKeptInExtendedAttribute;
  if (kept == 0) {
    if (removexattr(nativePath.c_str(), DosAttributeName) == 0 || errno == ENODATA || errno == ENOTSUP) {
      return true;
    }
    SetLastErrorFromErrno(errno);
    return false;
  }
  char text[16] = {};
  const int length = std::snprintf(text, sizeof text, "0x%x", kept);
  if (setxattr(nativePath.c_str(), DosAttributeName, text, static_cast<std::size_t>(length), 0) != 0) {
    SetLastErrorFromErrno(errno);
    return false;
  }
  return true;
}

bool IsHiddenName(const std::string& nativePath) {
  const std::size_t slash = nativePath.find_last_of('/');
  const std::string name = slash == std::string::npos ? nativePath : nativePath.substr(slash + 1);
  return name.size() > 1 && name.front() == '.' && name != "..";
}

// Copies a regular file for a move across file systems, then removes the source.
bool CopyThenDelete(const std::string& from, const std::string& to) {
  const int source = open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (source < 0) {
    SetLastErrorFromErrno(errno);
    return false;
  }
  struct stat status{};
  fstat(source, &status);
  const int target = open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, status.st_mode & 07777);
  if (target < 0) {
    SetLastErrorFromErrno(errno);
    close(source);
    return false;
  }
  char buffer[65536];
  bool copied = true;
  for (;;) {
    const ssize_t got = read(source, buffer, sizeof buffer);
    if (got == 0) {
      break;
    }
    if (got < 0 || write(target, buffer, static_cast<std::size_t>(got)) != got) {
      SetLastErrorFromErrno(errno != 0 ? errno : ENOSPC);
      copied = false;
      break;
    }
  }
  close(source);
  if (close(target) != 0 || !copied) {
    unlink(to.c_str());
    return false;
  }
  return unlink(from.c_str()) == 0;
}

// rename, and with KeepExisting one that refuses an existing target in the same
// step, so that a file made meanwhile under the name is never replaced. File
// systems without that kind of rename get the plain one after the caller's check.
int RenameEntry(const std::string& source, const std::string& target, MoveMode mode) {
  if (mode == MoveMode::KeepExisting) {
    const int result = renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE);
    if (result == 0 || (errno != EINVAL && errno != ENOSYS)) {
      return result;
    }
  }
  return rename(source.c_str(), target.c_str());
}

// A move within one folder is one change of its listing.
void NoteMove(posix::FolderChangeNote& sourceChange, std::optional<posix::FolderChangeNote>& targetChange,
              const std::string& target) {
  if (!targetChange) {
    sourceChange.DoneRenamingTo(target);
    return;
  }
  sourceChange.Done(posix::NameChange::Removed);
  targetChange->Done(posix::NameChange::Added);
}

// mktime reads the zone file again on every call, to notice a change of zone;
// files stamped one after another mostly share an hour, so the start of that hour
// is kept for a second. Zones change their offset on whole hours.
time_t UnixTimeOfLocal(const SystemTime& time) {
  struct HourStart {
    std::int64_t hour = -1;
    time_t start = 0;
    std::int64_t keptUntil = 0;
  };
  thread_local HourStart kept;
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
  const std::int64_t hour = ((static_cast<std::int64_t>(time.year) * 13 + time.month) * 32 + time.day) * 24 + time.hour;
  if (hour != kept.hour || now.tv_sec >= kept.keptUntil) {
    tm local{};
    local.tm_year = time.year - 1900;
    local.tm_mon = time.month - 1;
    local.tm_mday = time.day;
    local.tm_hour = time.hour;
    local.tm_isdst = -1;
    kept = {hour, mktime(&local), now.tv_sec + 1};
  }
  return kept.start + time.minute * 60 + time.second;
}

}  // namespace

FileHandle CreateFile(std::string_view path, FileAccess access, FileShare /*share*/, FileCreation creation) {
  if ((WantsWrite(access) || MayCreate(creation)) && file_faults::ShouldFail(Operation::Create)) {
    return InvalidFileHandle;
  }
  const std::optional<posix::NativeName> name = posix::LookUpNativeName(path);
  if (!name) {
    return InvalidFileHandle;
  }
  const std::string& nativePath = name->path;
  struct stat status{};
  const bool existed = StatusOf(*name, status);
  if (existed && S_ISDIR(status.st_mode)) {
    SetLastError(win32_error::AccessDenied);
    return InvalidFileHandle;
  }
  if (existed && creation == FileCreation::CreateNew) {
    SetLastError(win32_error::FileExists);
    return InvalidFileHandle;
  }
  if (existed && IsReadOnly(status) && (WantsWrite(access) || creation == FileCreation::CreateAlways)) {
    SetLastError(win32_error::AccessDenied);
    return InvalidFileHandle;
  }
  // Only a new name changes the folder; opening an existing file keeps its listing.
  std::optional<posix::FolderChangeNote> change;
  if (!existed && MayCreate(creation)) {
    change.emplace(nativePath, name->folderStatus);
  }
  const int descriptor = open(nativePath.c_str(), OpenFlags(access, creation), 0666);
  if (descriptor < 0) {
    SetLastErrorForName(nativePath, errno);
    return InvalidFileHandle;
  }
  if (change) {
    change->Done(posix::NameChange::Added);
  }
  SetLastError(ErrorAfterSuccessfulOpen(existed, creation));
  return FileHandle{descriptor};
}

bool ReadFile(FileHandle file, void* buffer, std::uint32_t count, std::uint32_t& bytesRead) {
  bytesRead = 0;
  auto* bytes = static_cast<char*>(buffer);
  while (bytesRead < count) {
    const ssize_t got = read(Descriptor(file), bytes + bytesRead, count - bytesRead);
    if (got == 0) {
      break;
    }
    if (got < 0) {
      if (errno == EINTR) {
        continue;
      }
      SetLastErrorForHandle(Descriptor(file), errno);
      return false;
    }
    bytesRead += static_cast<std::uint32_t>(got);
  }
  return true;
}

bool WriteFile(FileHandle file, const void* buffer, std::uint32_t count, std::uint32_t& bytesWritten) {
  bytesWritten = 0;
  if (file_faults::ShouldFail(Operation::Write)) {
    return false;
  }
  const auto* bytes = static_cast<const char*>(buffer);
  while (bytesWritten < count) {
    const ssize_t done = write(Descriptor(file), bytes + bytesWritten, count - bytesWritten);
    if (done < 0) {
      if (errno == EINTR) {
        continue;
      }
      if (errno == EIO) {
        SetLastError(win32_error::WriteFault);
        return false;
      }
      SetLastErrorForHandle(Descriptor(file), errno);
      return false;
    }
    bytesWritten += static_cast<std::uint32_t>(done);
  }
  return true;
}

namespace {

// The copy through user space, where the kernel cannot copy between the two files
// (other file systems, or a kernel without copy_file_range).
[[nodiscard]] bool CopyThroughBuffer(int source, off_t offset, int destination, std::uint32_t count,
                                     std::uint32_t& copied) {
  char buffer[64 * 1024];
  while (copied < count) {
    const std::size_t wanted = std::min<std::size_t>(sizeof buffer, count - copied);
    const ssize_t got = pread(source, buffer, wanted, offset + copied);
    if (got == 0) {
      return true;
    }
    if (got < 0) {
      if (errno == EINTR) {
        continue;
      }
      SetLastErrorForHandle(source, errno);
      return false;
    }
    for (ssize_t written = 0; written < got;) {
      const ssize_t done = write(destination, buffer + written, static_cast<std::size_t>(got - written));
      if (done < 0 && errno == EINTR) {
        continue;
      }
      if (done < 0) {
        SetLastErrorForHandle(destination, errno);
        return false;
      }
      written += done;
    }
    copied += static_cast<std::uint32_t>(got);
  }
  return true;
}

[[nodiscard]] bool KernelCannotCopy(int error) {
  return error == EXDEV || error == EINVAL || error == ENOSYS || error == EOPNOTSUPP || error == EBADF;
}

}  // namespace

bool CopyFileRange(FileHandle source, std::int64_t sourceOffset, FileHandle destination, std::uint32_t count,
                   std::uint32_t& copied) {
  copied = 0;
  if (file_faults::ShouldFail(Operation::Write)) {
    return false;
  }
  const int input = Descriptor(source);
  const int output = Descriptor(destination);
  loff_t offset = sourceOffset;
  while (copied < count) {
    const ssize_t done = copy_file_range(input, &offset, output, nullptr, count - copied, 0);
    if (done == 0) {
      return true;
    }
    if (done > 0) {
      copied += static_cast<std::uint32_t>(done);
      continue;
    }
    if (errno == EINTR) {
      continue;
    }
    if (KernelCannotCopy(errno)) {
      return CopyThroughBuffer(input, static_cast<off_t>(sourceOffset), output, count, copied);
    }
    SetLastErrorForHandle(errno == EIO ? output : input, errno);
    return false;
  }
  return true;
}

bool SetFilePointer(FileHandle file, std::int64_t distance, SeekOrigin origin, std::int64_t* newPosition) {
  int whence = SEEK_SET;
  if (origin == SeekOrigin::Current) {
    whence = SEEK_CUR;
  } else if (origin == SeekOrigin::End) {
    whence = SEEK_END;
  }
  const off_t reached = lseek(Descriptor(file), static_cast<off_t>(distance), whence);
  if (reached < 0) {
    if (errno == EINVAL) {
      SetLastError(win32_error::NegativeSeek);
    } else {
      SetLastErrorFromErrno(errno);
    }
    return false;
  }
  if (newPosition != nullptr) {
    *newPosition = reached;
  }
  return true;
}

bool GetFileSize(FileHandle file, std::int64_t& size) {
  struct stat status{};
  if (fstat(Descriptor(file), &status) != 0) {
    SetLastErrorFromErrno(errno);
    return false;
  }
  size = status.st_size;
  return true;
}

bool SetEndOfFile(FileHandle file) {
  if (file_faults::ShouldFail(Operation::SetEnd)) {
    return false;
  }
  const off_t position = lseek(Descriptor(file), 0, SEEK_CUR);
  if (position < 0) {
    SetLastErrorFromErrno(errno);
    return false;
  }
  if (ftruncate(Descriptor(file), position) != 0) {
    SetLastErrorForHandle(Descriptor(file), errno);
    return false;
  }
  return true;
}

bool FlushFileBuffers(FileHandle file) {
  if (file_faults::ShouldFail(Operation::Flush)) {
    return false;
  }
  if (fsync(Descriptor(file)) != 0) {
    SetLastErrorForHandle(Descriptor(file), errno);
    return false;
  }
  return true;
}

bool CloseHandle(FileHandle file) {
  if (file == InvalidFileHandle || close(Descriptor(file)) != 0) {
    SetLastError(win32_error::InvalidHandle);
    return false;
  }
  // Closed either way, as a close that reports a write-back error.
  return !file_faults::ShouldFail(Operation::Close);
}

bool GetFileDosDateTime(FileHandle file, std::uint32_t& dosDateTime) {
  struct stat status{};
  if (fstat(Descriptor(file), &status) != 0) {
    SetLastErrorFromErrno(errno);
    return false;
  }
  tm local{};
  localtime_r(&status.st_mtime, &local);
  dosDateTime = SystemTimeToDosDateTime(posix::SystemTimeFromLocal(local, 0));
  return true;
}

bool SetFileDosDateTime(FileHandle file, std::uint32_t dosDateTime) {
  if (file_faults::ShouldFail(Operation::SetDate)) {
    return false;
  }
  const SystemTime time = DosDateTimeToSystemTime(dosDateTime);
  const bool valid = time.month >= 1 && time.month <= 12 && time.day >= 1 && time.day <= 31 && time.hour < 24 &&
                     time.minute < 60 && time.second < 60;
  if (!valid) {
    SetLastError(win32_error::InvalidParameter);
    return false;
  }
  const int descriptor = Descriptor(file);
  const int openMode = fcntl(descriptor, F_GETFL);
  if (openMode < 0) {
    SetLastError(win32_error::InvalidHandle);
    return false;
  }
  if ((openMode & O_ACCMODE) == O_RDONLY) {
    SetLastError(win32_error::AccessDenied);
    return false;
  }
  const timespec times[2] = {{0, UTIME_OMIT}, {UnixTimeOfLocal(time), 0}};
  if (futimens(descriptor, times) != 0) {
    SetLastErrorFromErrno(errno);
    return false;
  }
  return true;
}

bool DeleteFile(std::string_view path) {
  if (file_faults::ShouldFail(Operation::Delete)) {
    return false;
  }
  const std::optional<std::string> nativePath = posix::ToNativePath(path);
  if (!nativePath) {
    return false;
  }
  struct stat status{};
  if (lstat(nativePath->c_str(), &status) != 0) {
    SetLastErrorForName(*nativePath, errno);
    return false;
  }
  if (S_ISDIR(status.st_mode) || (S_ISREG(status.st_mode) && IsReadOnly(status))) {
    SetLastError(win32_error::AccessDenied);
    return false;
  }
  posix::FolderChangeNote change(*nativePath);
  if (unlink(nativePath->c_str()) != 0) {
    SetLastErrorFromErrno(errno);
    return false;
  }
  change.Done(posix::NameChange::Removed);
  return true;
}

bool MoveFile(std::string_view from, std::string_view to, MoveMode mode) {
  if (file_faults::ShouldFail(Operation::Move)) {
    return false;
  }
  const std::optional<posix::NativeName> sourceName = posix::LookUpNativeName(from);
  if (!sourceName) {
    return false;
  }
  const std::optional<posix::NativeName> targetName = posix::LookUpNativeName(to);
  if (!targetName) {
    return false;
  }
  const std::string& source = sourceName->path;
  const std::string& target = targetName->path;
  struct stat sourceStatus{};
  if (!LinkStatusOf(*sourceName, sourceStatus)) {
    SetLastErrorForMissing(*sourceName, errno);
    return false;
  }
  struct stat targetStatus{};
  const bool targetExists = LinkStatusOf(*targetName, targetStatus);
  const bool sameEntry = targetExists && targetStatus.st_ino == sourceStatus.st_ino &&
                         targetStatus.st_dev == sourceStatus.st_dev;
  if (targetExists && !sameEntry) {
    if (mode == MoveMode::KeepExisting) {
      SetLastError(win32_error::AlreadyExists);
      return false;
    }
    if (S_ISDIR(targetStatus.st_mode) || IsReadOnly(targetStatus)) {
      SetLastError(win32_error::AccessDenied);
      return false;
    }
  }
  const bool sameFolder = posix::FolderOf(target) == posix::FolderOf(source);
  posix::FolderChangeNote sourceChange(source, sameFolder ? targetName->folderStatus : sourceName->folderStatus);
  std::optional<posix::FolderChangeNote> targetChange;
  if (!sameFolder) {
    targetChange.emplace(target, targetName->folderStatus);
  }
  if (RenameEntry(source, target, targetExists ? MoveMode::ReplaceExisting : mode) == 0) {
    NoteMove(sourceChange, targetChange, target);
    return true;
  }
  if (errno == EEXIST && mode == MoveMode::KeepExisting) {
    SetLastError(win32_error::AlreadyExists);
    return false;
  }
  if (errno == EXDEV && S_ISREG(sourceStatus.st_mode)) {
    if (!CopyThenDelete(source, target)) {
      return false;
    }
    NoteMove(sourceChange, targetChange, target);
    return true;
  }
  SetLastErrorForName(target, errno);
  return false;
}

bool CreateHardLink(std::string_view existing, std::string_view newName) {
  if (file_faults::ShouldFail(Operation::HardLink)) {
    return false;
  }
  const std::optional<posix::NativeName> existingName = posix::LookUpNativeName(existing);
  if (!existingName) {
    return false;
  }
  const std::optional<posix::NativeName> linkName = posix::LookUpNativeName(newName);
  if (!linkName) {
    return false;
  }
  posix::FolderChangeNote change(linkName->path, linkName->folderStatus);
  if (link(existingName->path.c_str(), linkName->path.c_str()) != 0) {
    const int failure = errno;
    struct stat existingStatus{};
    if (failure == EEXIST) {
      change.Unchanged();
      SetLastError(win32_error::AlreadyExists);
    } else if (failure == ENOENT && LinkStatusOf(*existingName, existingStatus)) {
      SetLastError(posix::MissingPathError(linkName->path));
    } else {
      SetLastErrorForMissing(*existingName, failure);
    }
    return false;
  }
  change.Done(posix::NameChange::Added);
  return true;
}

bool FlushDirectory(std::string_view path) {
  if (file_faults::ShouldFail(Operation::Flush)) {
    return false;
  }
  const std::optional<std::string> nativePath = posix::ToNativePath(path);
  if (!nativePath) {
    return false;
  }
  const int folder = open(nativePath->c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder < 0) {
    SetLastErrorForName(*nativePath, errno);
    return false;
  }
  // EINVAL: the file system keeps no folder data of its own to flush.
  const bool flushed = fsync(folder) == 0 || errno == EINVAL;
  const int failure = errno;
  close(folder);
  if (!flushed) {
    SetLastErrorFromErrno(failure);
  }
  return flushed;
}

bool CreateDirectory(std::string_view path) {
  const std::optional<std::string> nativePath = posix::ToNativePath(path);
  if (!nativePath) {
    return false;
  }
  posix::FolderChangeNote change(*nativePath);
  if (mkdir(nativePath->c_str(), 0777) != 0) {
    if (errno == EEXIST) {
      change.Unchanged();
      SetLastError(win32_error::AlreadyExists);
    } else if (errno == ENOENT) {
      SetLastError(win32_error::PathNotFound);
    } else {
      SetLastErrorFromErrno(errno);
    }
    return false;
  }
  change.Done(posix::NameChange::Added);
  return true;
}

bool RemoveDirectory(std::string_view path) {
  const std::optional<std::string> nativePath = posix::ToNativePath(path);
  if (!nativePath) {
    return false;
  }
  posix::FolderChangeNote change(*nativePath);
  if (rmdir(nativePath->c_str()) != 0) {
    if (errno == ENOTDIR) {
      SetLastError(posix::DirectoryNameInvalid);
    } else if (errno == EEXIST) {
      SetLastError(win32_error::DirectoryNotEmpty);
    } else {
      SetLastErrorForName(*nativePath, errno);
    }
    return false;
  }
  change.Done(posix::NameChange::Removed);
  return true;
}

std::uint32_t GetFileAttributes(std::string_view path) {
  const std::optional<posix::NativeName> name = posix::LookUpNativeName(path);
  if (!name) {
    return InvalidFileAttributes;
  }
  const std::string& nativePath = name->path;
  struct stat status{};
  if (!StatusOf(*name, status)) {
    SetLastErrorForMissing(*name, errno);
    return InvalidFileAttributes;
  }
  std::uint32_t attributes = S_ISDIR(status.st_mode) ? file_attribute::Directory : file_attribute::Archive;
  if (IsReadOnly(status)) {
    attributes |= file_attribute::ReadOnly;
  }
  if (IsHiddenName(nativePath)) {
    attributes |= file_attribute::Hidden;
  }
  return attributes | ReadKeptAttributes(nativePath);
}

bool SetFileAttributes(std::string_view path, std::uint32_t attributes) {
  const std::optional<std::string> nativePath = posix::ToNativePath(path);
  if (!nativePath) {
    return false;
  }
  struct stat status{};
  if (stat(nativePath->c_str(), &status) != 0) {
    SetLastErrorForName(*nativePath, errno);
    return false;
  }
  mode_t mode = status.st_mode & 07777;
  if ((attributes & file_attribute::ReadOnly) != 0) {
    mode &= ~AnyWriteBit;
  } else if (IsReadOnly(status)) {
    mode |= S_IWUSR;
  }
  if (mode != (status.st_mode & 07777) && chmod(nativePath->c_str(), mode) != 0) {
    SetLastErrorFromErrno(errno);
    return false;
  }
  return WriteKeptAttributes(*nativePath, attributes);
}

std::string GetCurrentDirectory() {
  return posix::CurrentFolder();
}

bool SetCurrentDirectory(std::string_view path) {
  const std::optional<std::string> nativePath = posix::ToNativePath(path);
  if (!nativePath) {
    return false;
  }
  if (chdir(nativePath->c_str()) != 0) {
    if (errno == ENOTDIR) {
      SetLastError(posix::DirectoryNameInvalid);
    } else {
      SetLastErrorForName(*nativePath, errno);
    }
    return false;
  }
  return true;
}

std::string GetFullPathName(std::string_view path) {
  return posix::FullPathName(path);
}

}  // namespace platform
