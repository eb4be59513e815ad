// Drives and volumes through the ANSI volume API.
#include "platform/drives.h"

#include <string>

#include "platform/files.h"
#include "platform/win32/windows_api.h"

namespace platform {

namespace {

bool IsSeparator(char character) {
  return character == '\\' || character == '/';
}

bool StartsWithDriveLetter(std::string_view path) {
  return path.size() >= 2 && path[1] == ':' &&
         ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

// "\\server\share\" of a network path.
std::string NetworkRoot(std::string_view path) {
  const std::size_t shareStart = path.find_first_of("\\/", 2);
  if (shareStart == std::string_view::npos) {
    return std::string(path) + '\\';
  }
  const std::size_t shareEnd = path.find_first_of("\\/", shareStart + 1);
  return std::string(path.substr(0, shareEnd)) + '\\';
}

// The volume API wants the root of a drive ("X:\" or "\\server\share\"); callers may
// pass any path on it, relative ones included.
std::string DriveRoot(std::string_view path) {
  const std::string fullPath = path.empty() ? GetCurrentDirectory() : GetFullPathName(path);
  if (StartsWithDriveLetter(fullPath)) {
    return fullPath.substr(0, 2) + '\\';
  }
  if (fullPath.size() >= 2 && IsSeparator(fullPath[0]) && IsSeparator(fullPath[1])) {
    return NetworkRoot(fullPath);
  }
  return fullPath;
}

using GetDiskFreeSpaceExFunction = BOOL(WINAPI*)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);

// Early Windows 95 lacks GetDiskFreeSpaceExA, so it is looked up rather than imported.
GetDiskFreeSpaceExFunction FindGetDiskFreeSpaceEx() {
  const HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
  if (kernel == nullptr) {
    return nullptr;
  }
  return reinterpret_cast<GetDiskFreeSpaceExFunction>(
      reinterpret_cast<void*>(::GetProcAddress(kernel, "GetDiskFreeSpaceExA")));
}

bool QueryFreeSpaceEx(GetDiskFreeSpaceExFunction query, const std::string& path, DiskSpace& space) {
  ULARGE_INTEGER available{};
  ULARGE_INTEGER total{};
  ULARGE_INTEGER totalFree{};
  if (!query(path.c_str(), &available, &total, &totalFree)) {
    return false;
  }
  space.freeBytesAvailableToCaller = available.QuadPart;
  space.totalBytes = total.QuadPart;
  space.totalFreeBytes = totalFree.QuadPart;
  return true;
}

// The old call counts clusters; products are taken in 64 bits so that large
// volumes do not wrap.
bool QueryFreeSpaceByClusters(const std::string& root, DiskSpace& space) {
  DWORD sectorsPerCluster = 0;
  DWORD bytesPerSector = 0;
  DWORD freeClusters = 0;
  DWORD totalClusters = 0;
  if (!::GetDiskFreeSpaceA(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters)) {
    return false;
  }
  const std::uint64_t bytesPerCluster = std::uint64_t{sectorsPerCluster} * bytesPerSector;
  space.freeBytesAvailableToCaller = freeClusters * bytesPerCluster;
  space.totalFreeBytes = space.freeBytesAvailableToCaller;
  space.totalBytes = totalClusters * bytesPerCluster;
  return true;
}

}  // namespace

DriveType GetDriveType(std::string_view rootPath) {
  const std::string root = DriveRoot(rootPath);
  return static_cast<DriveType>(::GetDriveTypeA(root.c_str()));
}

std::uint32_t GetLogicalDrives() {
  return ::GetLogicalDrives();
}

bool GetVolumeInformation(std::string_view rootPath, VolumeInformation& information) {
  const std::string root = DriveRoot(rootPath);
  char label[MAX_PATH + 1] = {};
  DWORD serialNumber = 0;
  if (!::GetVolumeInformationA(root.c_str(), label, sizeof label, &serialNumber, nullptr, nullptr, nullptr, 0)) {
    return false;
  }
  information.label = label;
  information.serialNumber = serialNumber;
  return true;
}

bool SetVolumeLabel(std::string_view rootPath, std::string_view label) {
  const std::string root = DriveRoot(rootPath);
  const std::string labelText(label);
  // An empty label removes the label. The API also takes a null label for that, but
  // Wine 8.0 dereferences it.
  return ::SetVolumeLabelA(root.c_str(), labelText.c_str()) != FALSE;
}

bool GetDiskFreeSpaceEx(std::string_view path, DiskSpace& space) {
  const std::string root = DriveRoot(path);
  const GetDiskFreeSpaceExFunction query = FindGetDiskFreeSpaceEx();
  if (query != nullptr && QueryFreeSpaceEx(query, root, space)) {
    return true;
  }
  return QueryFreeSpaceByClusters(root, space);
}

}  // namespace platform
