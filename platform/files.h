// Files and folders, named after the Win32 operations the component uses.
//
// Paths are ANSI texts (UTF-8 on POSIX). Both "\" and "/" separate folders.
// POSIX: "X:\..." goes through $WINEPREFIX/dosdevices/x: ; a name that does not
// exist exactly is looked up without regard to letter case, folder by folder,
// as Wine does; plain POSIX paths ("/tmp/a.zip") are used as they stand.
// Failures return the documented failure value and set GetLastError().
//
// Every operation that creates, changes or removes a file passes the fault table
// (platform/file_faults.h), which lets tests fail the Nth call of each.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/errors.h"

namespace platform {

struct FileHandle {
  std::intptr_t value = -1;
  friend bool operator==(FileHandle, FileHandle) = default;
};
inline constexpr FileHandle InvalidFileHandle{};

enum class FileAccess : std::uint32_t { Read = 1, Write = 2, ReadWrite = 3 };

// What other openers may do while the file is open (FILE_SHARE_*). The POSIX backend
// accepts every mode but enforces none, as a Wine process on a Linux file system sees
// no sharing violations from non-Wine processes.
enum class FileShare : std::uint32_t { None = 0, Read = 1, Write = 2, ReadWrite = 3 };

enum class FileCreation : std::uint32_t {
  CreateNew = 1,         // fail with FileExists when present
  CreateAlways = 2,      // create or truncate
  OpenExisting = 3,      // fail with FileNotFound when absent
  OpenAlways = 4,        // open or create
  TruncateExisting = 5,  // open and truncate; fail when absent
};

enum class SeekOrigin : std::uint32_t { Begin = 0, Current = 1, End = 2 };

// File attribute bits (FILE_ATTRIBUTE_*).
namespace file_attribute {
inline constexpr std::uint32_t ReadOnly = 0x01;
inline constexpr std::uint32_t Hidden = 0x02;
inline constexpr std::uint32_t System = 0x04;
inline constexpr std::uint32_t Directory = 0x10;
inline constexpr std::uint32_t Archive = 0x20;
inline constexpr std::uint32_t Normal = 0x80;
}  // namespace file_attribute
inline constexpr std::uint32_t InvalidFileAttributes = 0xFFFFFFFFu;

enum class MoveMode { KeepExisting, ReplaceExisting };

[[nodiscard]] FileHandle CreateFile(std::string_view path, FileAccess access, FileShare share,
                                    FileCreation creation);
// Reads up to `count` bytes; `bytesRead` < `count` at the end of the file is success.
[[nodiscard]] bool ReadFile(FileHandle file, void* buffer, std::uint32_t count, std::uint32_t& bytesRead);
[[nodiscard]] bool WriteFile(FileHandle file, const void* buffer, std::uint32_t count, std::uint32_t& bytesWritten);
// Copies up to `count` bytes of `source` from `sourceOffset` to `destination` at
// its file pointer, which moves on by what was copied; `copied` < `count` when the
// source ends first. The source's file pointer is left undefined. Counts as one
// write for the fault table. POSIX copies inside the kernel where it can.
[[nodiscard]] bool CopyFileRange(FileHandle source, std::int64_t sourceOffset, FileHandle destination,
                                 std::uint32_t count, std::uint32_t& copied);
// Moves the file pointer; `newPosition` may be null. Seeking before the start fails (NegativeSeek).
[[nodiscard]] bool SetFilePointer(FileHandle file, std::int64_t distance, SeekOrigin origin,
                                  std::int64_t* newPosition);
[[nodiscard]] bool GetFileSize(FileHandle file, std::int64_t& size);
// Cuts or extends the file at the current file pointer.
[[nodiscard]] bool SetEndOfFile(FileHandle file);
// Flushes written data to the storage device.
[[nodiscard]] bool FlushFileBuffers(FileHandle file);
bool CloseHandle(FileHandle file);

// File date and time as a DOS date-time in local time: date in the high 16 bits,
// time in the low 16 bits (two-second resolution).
[[nodiscard]] bool GetFileDosDateTime(FileHandle file, std::uint32_t& dosDateTime);
[[nodiscard]] bool SetFileDosDateTime(FileHandle file, std::uint32_t dosDateTime);

[[nodiscard]] bool DeleteFile(std::string_view path);
// KeepExisting refuses an existing target atomically: of two movers to one free
// name exactly one succeeds (AlreadyExists for the other).
[[nodiscard]] bool MoveFile(std::string_view from, std::string_view to, MoveMode mode);
// A second name `newName` for the file `existing` (CreateHardLinkA). Fails with
// AlreadyExists when the name is taken, and with another error on a file system
// without hard links.
[[nodiscard]] bool CreateHardLink(std::string_view existing, std::string_view newName);
// Makes the folder's recent changes of names (a file created, moved in or removed)
// survive a power loss. POSIX: fsync of the folder, where the file system keeps
// names apart from data. Windows has no such call and its file systems journal
// names themselves: only the fault table is consulted there.
[[nodiscard]] bool FlushDirectory(std::string_view path);
[[nodiscard]] bool CreateDirectory(std::string_view path);
[[nodiscard]] bool RemoveDirectory(std::string_view path);
// InvalidFileAttributes when the path does not exist.
[[nodiscard]] std::uint32_t GetFileAttributes(std::string_view path);
[[nodiscard]] bool SetFileAttributes(std::string_view path, std::uint32_t attributes);

// The current folder, without a trailing separator (except for a root).
[[nodiscard]] std::string GetCurrentDirectory();
[[nodiscard]] bool SetCurrentDirectory(std::string_view path);
// The absolute form of `path` (relative to the current folder), "." and ".." resolved,
// as GetFullPathNameA; separators are kept in the backend's native style.
[[nodiscard]] std::string GetFullPathName(std::string_view path);

}  // namespace platform
