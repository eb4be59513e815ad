// Preparing the machine for the platform tests with the real Win32 API, as a test
// program running under Wine sees it.
//
// Divisions: Wine's own extensions; files; the registry; drives through Wine's
// mount manager; TestMachine itself. Scratch folders are shared code
// (scratch_folder.cpp).
//
// Test programs run in parallel (ctest -j) against one Wine prefix, so the registry
// key and the drive letters are shared between them: a TestMachine holds a named
// mutex for its whole life, which makes the tests that prepare the machine take
// turns while the others run freely.
#include "tests/platform/test_machine.h"

#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "platform/win32/windows_api.h"

#include <sddl.h>
#include <winioctl.h>

namespace platform_test {

namespace {

// ---------------------------------------------------------------------------
// Wine's own extensions, looked up at run time so that the program still starts
// on Windows, where the preparations that need them report a reason instead.

using UnixFileNameFunction = char*(CDECL*)(LPCWSTR dosName);
using DosFileNameFunction = WCHAR*(CDECL*)(LPCSTR unixName);

template <typename Function>
Function FindKernelExport(const char* name) {
  const HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
  if (kernel == nullptr) {
    return nullptr;
  }
  return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(kernel, name)));
}

std::wstring Widen(std::string_view text, UINT codePage = CP_ACP) {
  if (text.empty()) {
    return {};
  }
  const int length = ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

std::string Narrow(std::wstring_view wide, UINT codePage = CP_ACP) {
  if (wide.empty()) {
    return {};
  }
  const int length =
      ::WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(length), '\0');
  ::WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), text.data(), length, nullptr,
                        nullptr);
  return text;
}

// The Unix path behind a Windows path; nullopt outside Wine.
std::optional<std::string> UnixPathOf(const std::string& windowsPath) {
  const auto unixFileName = FindKernelExport<UnixFileNameFunction>("wine_get_unix_file_name");
  if (unixFileName == nullptr) {
    return std::nullopt;
  }
  char* unixPath = unixFileName(Widen(windowsPath).c_str());
  if (unixPath == nullptr) {
    return std::nullopt;
  }
  std::string result(unixPath);
  ::HeapFree(::GetProcessHeap(), 0, unixPath);
  return result;
}

// The Windows path of a Unix path; nullopt outside Wine.
std::optional<std::string> DosPathOf(const std::string& unixPath) {
  const auto dosFileName = FindKernelExport<DosFileNameFunction>("wine_get_dos_file_name");
  if (dosFileName == nullptr) {
    return std::nullopt;
  }
  WCHAR* dosPath = dosFileName(unixPath.c_str());
  if (dosPath == nullptr) {
    return std::nullopt;
  }
  std::string result = Narrow(dosPath);
  ::HeapFree(::GetProcessHeap(), 0, dosPath);
  return result;
}

std::optional<std::string> EnvironmentValue(const char* name) {
  char value[MAX_PATH * 2] = {};
  const DWORD length = ::GetEnvironmentVariableA(name, value, sizeof value);
  if (length == 0 || length >= sizeof value) {
    return std::nullopt;
  }
  return std::string(value, length);
}

[[noreturn]] void Fail(const std::string& what) {
  throw std::runtime_error("test machine: " + what + " failed, error " + std::to_string(::GetLastError()));
}

// ---------------------------------------------------------------------------
// Files, with the API directly rather than the layer under test.

void WriteWholeFile(const std::string& path, std::string_view contents) {
  const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    Fail("creating " + path);
  }
  DWORD written = 0;
  const BOOL succeeded = ::WriteFile(file, contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr);
  ::CloseHandle(file);
  if (!succeeded || written != contents.size()) {
    Fail("writing " + path);
  }
}

// ---------------------------------------------------------------------------
// The registry. Every test key lives below TestKeyPath, which is deleted afterwards.

HKEY RootKey(platform::RegistryRoot root) {
  return root == platform::RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

std::string TestSubKey(std::string_view subKey) {
  std::string path(TestKeyPath);
  if (!subKey.empty()) {
    path += '\\';
    path += subKey;
  }
  return path;
}

void SetRegistryValue(platform::RegistryRoot root, std::string_view subKey, std::string_view valueName, DWORD type,
                      const void* data, std::size_t size) {
  HKEY key = nullptr;
  const std::string path = TestSubKey(subKey);
  if (::RegCreateKeyExA(RootKey(root), path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    Fail("creating registry key " + path);
  }
  const std::string name(valueName);
  const LONG result =
      ::RegSetValueExA(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(size));
  ::RegCloseKey(key);
  if (result != ERROR_SUCCESS) {
    ::SetLastError(static_cast<DWORD>(result));
    Fail("setting registry value " + name);
  }
}

// Applies a security descriptor in SDDL form to a key and every key below it. The
// owner may always change a key's access list, even after taking its own rights away.
void SetTreeAccess(HKEY parent, const std::string& path, const char* descriptorText) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(parent, path.c_str(), 0, KEY_READ | WRITE_DAC, &key) != ERROR_SUCCESS) {
    return;
  }
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (::ConvertStringSecurityDescriptorToSecurityDescriptorA(descriptorText, SDDL_REVISION_1, &descriptor,
                                                             nullptr)) {
    ::RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor);
    ::LocalFree(descriptor);
  }
  char childName[256];
  for (DWORD index = 0;; ++index) {
    DWORD nameLength = sizeof childName;
    if (::RegEnumKeyExA(key, index, childName, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
      break;
    }
    SetTreeAccess(key, childName, descriptorText);
  }
  ::RegCloseKey(key);
}

// Everyone may read, nobody may write (inherited by keys created later).
constexpr const char* ReadOnlyAccess = "D:P(A;OICI;KR;;;WD)";
constexpr const char* FullAccess = "D:(A;OICI;KA;;;WD)";

void DeleteTestKeys(platform::RegistryRoot root) {
  const std::string path(TestKeyPath);
  SetTreeAccess(RootKey(root), path, FullAccess);
  ::RegDeleteTreeA(RootKey(root), path.c_str());
}

// ---------------------------------------------------------------------------
// Drives. A running Wine process cannot make dosdevices links itself, but Wine's
// mount manager does it on request (the request winecfg sends): it links the letter
// to a Unix folder, records the drive type under HKLM\Software\Wine\Drives and reads
// the folder's .windows-label and .windows-serial. It keeps what it read until the
// drive is defined again, so new media are announced by defining it once more.

constexpr DWORD MountManagerDeviceType = 0x6D;
constexpr DWORD DefineUnixDriveRequest =
    CTL_CODE(MountManagerDeviceType, 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);

// Wine's request record; the Unix mount point follows it as a zero-terminated text.
struct UnixDriveDefinition {
  ULONG size;
  ULONG type;
  ULONG fileSystemType;
  DWORD serial;
  ULONGLONG unixDevice;
  WCHAR letter;
  USHORT mountPointOffset;
  USHORT deviceOffset;
  USHORT labelOffset;
};

// An empty mount point removes the drive.
bool DefineWineDrive(char letter, const std::string& unixMountPoint, UINT driveType) {
  const HANDLE mountManager = ::CreateFileA("\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (mountManager == INVALID_HANDLE_VALUE) {
    return false;
  }
  const std::size_t mountPointSize = unixMountPoint.empty() ? 0 : unixMountPoint.size() + 1;
  std::string request(sizeof(UnixDriveDefinition) + mountPointSize, '\0');
  UnixDriveDefinition definition{};
  definition.size = static_cast<ULONG>(request.size());
  definition.type = driveType;
  definition.letter = static_cast<WCHAR>(letter | 0x20);
  definition.mountPointOffset = unixMountPoint.empty() ? 0 : static_cast<USHORT>(sizeof definition);
  std::memcpy(request.data(), &definition, sizeof definition);
  unixMountPoint.copy(request.data() + sizeof definition, unixMountPoint.size());
  DWORD returned = 0;
  const BOOL succeeded = ::DeviceIoControl(mountManager, DefineUnixDriveRequest, request.data(),
                                           static_cast<DWORD>(request.size()), nullptr, 0, &returned, nullptr);
  ::CloseHandle(mountManager);
  return succeeded != FALSE;
}

// The mount manager takes the drive away but leaves the letter's name in the session's
// object namespace, so later programs of the same Wine session would still find the
// letter in GetLogicalDrives and read a volume from it; the name goes as well.
void UnmapWineDrive(char letter) {
  DefineWineDrive(letter, {}, 0);
  const char deviceName[] = {letter, ':', '\0'};
  ::DefineDosDeviceA(DDD_REMOVE_DEFINITION, deviceName, nullptr);
}

std::optional<UINT> DriveTypeOf(char letter, std::string_view wineType) {
  const bool floppyLetter = (letter | 0x20) == 'a' || (letter | 0x20) == 'b';
  if (wineType.empty()) {
    return floppyLetter ? DRIVE_REMOVABLE : DRIVE_FIXED;
  }
  static constexpr std::pair<std::string_view, UINT> types[] = {
      {"hd", DRIVE_FIXED},        {"floppy", DRIVE_REMOVABLE}, {"cdrom", DRIVE_CDROM},
      {"network", DRIVE_REMOTE},  {"ramdisk", DRIVE_RAMDISK},
  };
  for (const auto& [name, type] : types) {
    if (::CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, name.data(), static_cast<int>(name.size()),
                         wineType.data(), static_cast<int>(wineType.size())) == CSTR_EQUAL) {
      return type;
    }
  }
  return std::nullopt;
}

bool IsDriveLetter(char letter) {
  return (letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z');
}

// Serialises the TestMachines of all test programs sharing the Wine session.
HANDLE AcquireMachineLock() {
  const HANDLE mutex = ::CreateMutexA(nullptr, FALSE, "ZipBuilderPlatformTestMachine");
  if (mutex == nullptr) {
    Fail("creating the test machine lock");
  }
  // An abandoned lock (a test program that crashed) is ours as well.
  ::WaitForSingleObject(mutex, INFINITE);
  return mutex;
}

}  // namespace

// ---------------------------------------------------------------------------

struct MappedDrive {
  char letter;
  std::string folder;
  std::string unixMountPoint;
  UINT type;
};

struct TestMachine::State {
  HANDLE lock = nullptr;
  std::vector<MappedDrive> drives;

  MappedDrive* FindDrive(char letter) {
    for (MappedDrive& drive : drives) {
      if ((drive.letter | 0x20) == (letter | 0x20)) {
        return &drive;
      }
    }
    return nullptr;
  }
};

TestMachine::TestMachine() : state_(new State) {
  state_->lock = AcquireMachineLock();
  // A test program that crashed may have left its keys behind.
  DeleteTestKeys(platform::RegistryRoot::CurrentUser);
  DeleteTestKeys(platform::RegistryRoot::LocalMachine);
}

TestMachine::~TestMachine() {
  for (const MappedDrive& drive : state_->drives) {
    UnmapWineDrive(drive.letter);
  }
  DeleteTestKeys(platform::RegistryRoot::CurrentUser);
  DeleteTestKeys(platform::RegistryRoot::LocalMachine);
  ::ReleaseMutex(state_->lock);
  ::CloseHandle(state_->lock);
  delete state_;
}

void TestMachine::SetStringValue(platform::RegistryRoot root, std::string_view subKey, std::string_view valueName,
                                 std::string_view text, platform::RegistryValueType type) {
  const std::string terminated(text);
  SetRegistryValue(root, subKey, valueName, static_cast<DWORD>(type), terminated.c_str(), terminated.size() + 1);
}

void TestMachine::SetBinaryValue(platform::RegistryRoot root, std::string_view subKey, std::string_view valueName,
                                 platform::RegistryValueType type, const std::vector<std::uint8_t>& data) {
  SetRegistryValue(root, subKey, valueName, static_cast<DWORD>(type), data.data(), data.size());
}

void TestMachine::SetDwordValue(platform::RegistryRoot root, std::string_view subKey, std::string_view valueName,
                                std::uint32_t value) {
  const DWORD data = value;
  SetRegistryValue(root, subKey, valueName, REG_DWORD, &data, sizeof data);
}

// Only the test keys can be closed to writers; the root itself belongs to the system.
// Tests open keys below TestKeyPath, so for them the root refuses full access.
bool TestMachine::MakeRegistryReadOnly(platform::RegistryRoot root, std::string& reason) {
  HKEY key = nullptr;
  const std::string path(TestKeyPath);
  if (::RegCreateKeyExA(RootKey(root), path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    reason = "the test key cannot be created";
    return false;
  }
  ::RegCloseKey(key);
  SetTreeAccess(RootKey(root), path, ReadOnlyAccess);
  if (::RegOpenKeyExA(RootKey(root), path.c_str(), 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
    ::RegCloseKey(key);
    reason = "this system does not enforce registry access lists";
    return false;
  }
  return true;
}

bool TestMachine::MapDrive(char letter, const std::string& folder, std::string_view wineType, std::string& reason) {
  if (!IsDriveLetter(letter)) {
    reason = "not a drive letter";
    return false;
  }
  const std::optional<UINT> type = DriveTypeOf(letter, wineType);
  if (!type) {
    reason = "unknown Wine drive type " + std::string(wineType);
    return false;
  }
  const std::optional<std::string> unixMountPoint = UnixPathOf(folder);
  if (!unixMountPoint) {
    reason = "mapping a drive letter to a folder needs Wine's mount manager";
    return false;
  }
  if (!DefineWineDrive(letter, *unixMountPoint, *type)) {
    reason = "Wine's mount manager refused the drive, error " + std::to_string(::GetLastError());
    return false;
  }
  if (MappedDrive* known = state_->FindDrive(letter)) {
    *known = MappedDrive{letter, folder, *unixMountPoint, *type};
  } else {
    state_->drives.push_back(MappedDrive{letter, folder, *unixMountPoint, *type});
  }
  return true;
}

// The label and serial files as Wine reads them from a folder drive, in the Unix
// (UTF-8) encoding, then the drive defined again so that Wine reads them.
bool TestMachine::SetDriveMedia(char letter, std::string_view label, std::uint32_t serial, std::string& reason) {
  MappedDrive* drive = state_->FindDrive(letter);
  if (drive == nullptr) {
    reason = "the drive was not mapped by this test machine";
    return false;
  }
  const std::string labelFile = drive->folder + "\\.windows-label";
  if (label.empty()) {
    ::DeleteFileA(labelFile.c_str());
  } else {
    WriteWholeFile(labelFile, Narrow(Widen(label), CP_UTF8) + '\n');
  }
  char serialText[16];
  std::snprintf(serialText, sizeof serialText, "%08lx\n", static_cast<unsigned long>(serial));
  WriteWholeFile(drive->folder + "\\.windows-serial", serialText);
  if (!DefineWineDrive(drive->letter, drive->unixMountPoint, drive->type)) {
    reason = "Wine's mount manager refused to read the new media, error " + std::to_string(::GetLastError());
    return false;
  }
  return true;
}

// Wine moves what goes to the recycle bin into the freedesktop.org Trash of the Unix
// environment it started with: $XDG_DATA_HOME/Trash, else ~/.local/share/Trash.
std::optional<std::string> TestMachine::TrashFolder() const {
  std::optional<std::string> unixTrash;
  if (const auto dataHome = EnvironmentValue("XDG_DATA_HOME")) {
    unixTrash = *dataHome + "/Trash";
  } else if (const auto home = EnvironmentValue("HOME")) {
    unixTrash = *home + "/.local/share/Trash";
  }
  if (!unixTrash) {
    return std::nullopt;
  }
  return DosPathOf(*unixTrash);
}

}  // namespace platform_test
