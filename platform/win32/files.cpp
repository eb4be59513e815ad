// Files and folders through the ANSI file API.
//
// Divisions: handle conversion; opening and the handle operations; DOS dates;
// names and folders.
#include "platform/files.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/win32/windows_api.h"
#include "platform/file_faults.h"

namespace platform {

namespace {

using file_faults::Operation;

HANDLE ToWindowsHandle(FileHandle file) {
  return reinterpret_cast<HANDLE>(file.value);
}

FileHandle FromWindowsHandle(HANDLE handle) {
  return FileHandle{reinterpret_cast<std::intptr_t>(handle)};
}

DWORD DesiredAccess(FileAccess access) {
  switch (access) {
    case FileAccess::Read:
      return GENERIC_READ;
    case FileAccess::Write:
      return GENERIC_WRITE;
    case FileAccess::ReadWrite:
      return GENERIC_READ | GENERIC_WRITE;
  }
  return 0;
}

DWORD ShareMode(FileShare share) {
  switch (share) {
    case FileShare::None:
      return 0;
    case FileShare::Read:
      return FILE_SHARE_READ;
    case FileShare::Write:
      return FILE_SHARE_WRITE;
    case FileShare::ReadWrite:
      return FILE_SHARE_READ | FILE_SHARE_WRITE;
  }
  return 0;
}

// The ANSI forms of GetCurrentDirectory and GetFullPathName handle at most MAX_PATH
// characters; a longer result is a failure.
template <typename Query>
std::string QueryPathText(Query query) {
  std::string text(MAX_PATH + 1, '\0');
  const DWORD length = query(static_cast<DWORD>(text.size()), text.data());
  if (length == 0 || length >= text.size()) {
    return {};
  }
  text.resize(length);
  return text;
}

}  // namespace

FileHandle CreateFile(std::string_view path, FileAccess access, FileShare share, FileCreation creation) {
  const bool mayWriteOrCreate = access != FileAccess::Read || creation == FileCreation::CreateNew ||
                                creation == FileCreation::CreateAlways || creation == FileCreation::OpenAlways;
  if (mayWriteOrCreate && file_faults::ShouldFail(Operation::Create)) {
    return InvalidFileHandle;
  }
  const std::string pathText(path);
  const HANDLE handle = ::CreateFileA(pathText.c_str(), DesiredAccess(access), ShareMode(share), nullptr,
                                      static_cast<DWORD>(creation), FILE_ATTRIBUTE_NORMAL, nullptr);
  return FromWindowsHandle(handle);
}

bool ReadFile(FileHandle file, void* buffer, std::uint32_t count, std::uint32_t& bytesRead) {
  DWORD done = 0;
  const BOOL succeeded = ::ReadFile(ToWindowsHandle(file), buffer, count, &done, nullptr);
  bytesRead = done;
  return succeeded != FALSE;
}

bool WriteFile(FileHandle file, const void* buffer, std::uint32_t count, std::uint32_t& bytesWritten) {
  bytesWritten = 0;
  if (file_faults::ShouldFail(Operation::Write)) {
    return false;
  }
  DWORD done = 0;
  const BOOL succeeded = ::WriteFile(ToWindowsHandle(file), buffer, count, &done, nullptr);
  bytesWritten = done;
  return succeeded != FALSE;
}

bool CopyFileRange(FileHandle source, std::int64_t sourceOffset, FileHandle destination, std::uint32_t count,
                   std::uint32_t& copied) {
  copied = 0;
  if (file_faults::ShouldFail(Operation::Write)) {
    return false;
  }
  LARGE_INTEGER start{};
  start.QuadPart = sourceOffset;
  if (!::SetFilePointerEx(ToWindowsHandle(source), start, nullptr, FILE_BEGIN)) {
    return false;
  }
  std::vector<char> buffer(std::min<std::uint32_t>(count, 256u * 1024));
  while (copied < count) {
    const DWORD wanted = std::min<DWORD>(static_cast<DWORD>(buffer.size()), count - copied);
    DWORD got = 0;
    if (!::ReadFile(ToWindowsHandle(source), buffer.data(), wanted, &got, nullptr)) {
      return false;
    }
    if (got == 0) {
      return true;
    }
    DWORD written = 0;
    if (!::WriteFile(ToWindowsHandle(destination), buffer.data(), got, &written, nullptr) || written != got) {
      return false;
    }
    copied += got;
  }
  return true;
}

bool SetFilePointer(FileHandle file, std::int64_t distance, SeekOrigin origin, std::int64_t* newPosition) {
  LARGE_INTEGER move{};
  move.QuadPart = distance;
  LARGE_INTEGER reached{};
  if (!::SetFilePointerEx(ToWindowsHandle(file), move, &reached, static_cast<DWORD>(origin))) {
    return false;
  }
  if (newPosition != nullptr) {
    *newPosition = reached.QuadPart;
  }
  return true;
}

bool GetFileSize(FileHandle file, std::int64_t& size) {
  LARGE_INTEGER fileSize{};
  if (!::GetFileSizeEx(ToWindowsHandle(file), &fileSize)) {
    return false;
  }
  size = fileSize.QuadPart;
  return true;
}

bool SetEndOfFile(FileHandle file) {
  if (file_faults::ShouldFail(Operation::SetEnd)) {
    return false;
  }
  return ::SetEndOfFile(ToWindowsHandle(file)) != FALSE;
}

bool FlushFileBuffers(FileHandle file) {
  if (file_faults::ShouldFail(Operation::Flush)) {
    return false;
  }
  return ::FlushFileBuffers(ToWindowsHandle(file)) != FALSE;
}

bool CloseHandle(FileHandle file) {
  // The invalid handle value is also the current process's pseudo handle, which
  // Windows "closes" successfully; the layer reports it as the error it is.
  if (file == InvalidFileHandle) {
    ::SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  if (::CloseHandle(ToWindowsHandle(file)) == FALSE) {
    return false;
  }
  // Closed either way, as a close that reports a write-back error.
  return !file_faults::ShouldFail(Operation::Close);
}

bool GetFileDosDateTime(FileHandle file, std::uint32_t& dosDateTime) {
  FILETIME lastWrite{};
  FILETIME localLastWrite{};
  WORD date = 0;
  WORD time = 0;
  if (!::GetFileTime(ToWindowsHandle(file), nullptr, nullptr, &lastWrite) ||
      !::FileTimeToLocalFileTime(&lastWrite, &localLastWrite) ||
      !::FileTimeToDosDateTime(&localLastWrite, &date, &time)) {
    return false;
  }
  dosDateTime = (std::uint32_t{date} << 16) | time;
  return true;
}

bool SetFileDosDateTime(FileHandle file, std::uint32_t dosDateTime) {
  if (file_faults::ShouldFail(Operation::SetDate)) {
    return false;
  }
  const auto date = static_cast<WORD>(dosDateTime >> 16);
  const auto time = static_cast<WORD>(dosDateTime & 0xFFFFu);
  FILETIME localLastWrite{};
  FILETIME lastWrite{};
  if (!::DosDateTimeToFileTime(date, time, &localLastWrite) ||
      !::LocalFileTimeToFileTime(&localLastWrite, &lastWrite)) {
    return false;
  }
  return ::SetFileTime(ToWindowsHandle(file), nullptr, nullptr, &lastWrite) != FALSE;
}

bool DeleteFile(std::string_view path) {
  if (file_faults::ShouldFail(Operation::Delete)) {
    return false;
  }
  const std::string pathText(path);
  return ::DeleteFileA(pathText.c_str()) != FALSE;
}

bool MoveFile(std::string_view from, std::string_view to, MoveMode mode) {
  if (file_faults::ShouldFail(Operation::Move)) {
    return false;
  }
  const std::string fromText(from);
  const std::string toText(to);
  DWORD flags = MOVEFILE_COPY_ALLOWED;
  if (mode == MoveMode::ReplaceExisting) {
    flags |= MOVEFILE_REPLACE_EXISTING;
  }
  return ::MoveFileExA(fromText.c_str(), toText.c_str(), flags) != FALSE;
}

bool CreateHardLink(std::string_view existing, std::string_view newName) {
  if (file_faults::ShouldFail(Operation::HardLink)) {
    return false;
  }
  const std::string existingText(existing);
  const std::string newText(newName);
  return ::CreateHardLinkA(newText.c_str(), existingText.c_str(), nullptr) != FALSE;
}

bool FlushDirectory(std::string_view /*path*/) {
  return !file_faults::ShouldFail(Operation::Flush);
}

bool CreateDirectory(std::string_view path) {
  const std::string pathText(path);
  return ::CreateDirectoryA(pathText.c_str(), nullptr) != FALSE;
}

bool RemoveDirectory(std::string_view path) {
  const std::string pathText(path);
  return ::RemoveDirectoryA(pathText.c_str()) != FALSE;
}

std::uint32_t GetFileAttributes(std::string_view path) {
  const std::string pathText(path);
  return ::GetFileAttributesA(pathText.c_str());
}

bool SetFileAttributes(std::string_view path, std::uint32_t attributes) {
  const std::string pathText(path);
  return ::SetFileAttributesA(pathText.c_str(), attributes) != FALSE;
}

std::string GetCurrentDirectory() {
  return QueryPathText([](DWORD size, char* buffer) { return ::GetCurrentDirectoryA(size, buffer); });
}

bool SetCurrentDirectory(std::string_view path) {
  const std::string pathText(path);
  return ::SetCurrentDirectoryA(pathText.c_str()) != FALSE;
}

std::string GetFullPathName(std::string_view path) {
  const std::string pathText(path);
  return QueryPathText(
      [&pathText](DWORD size, char* buffer) { return ::GetFullPathNameA(pathText.c_str(), size, buffer, nullptr); });
}

}  // namespace platform
