// Reading the registry: values the test machine writes are read back through the
// layer as RegQueryValueExA hands them out.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "platform/text.h"
#include "tests/platform/test_machine.h"

namespace {

using namespace platform;
using platform_test::TestKeyPath;

constexpr RegistryRoot User = RegistryRoot::CurrentUser;
constexpr RegistryRoot Machine = RegistryRoot::LocalMachine;

std::string KeyPath(std::string_view subKey) {
  return std::string(TestKeyPath) + "\\" + std::string(subKey);
}

struct ReadValue {
  Win32Error result = win32_error::Success;
  RegistryValueType type = RegistryValueType::None;
  std::vector<std::uint8_t> data;
};

class Registry : public ::testing::Test {
 protected:
  // Opens root\TestKeyPath\subKey, asks for the size first and then reads the value.
  static ReadValue Read(RegistryRoot root, std::string_view subKey, std::string_view valueName) {
    ReadValue read;
    RegistryKeyHandle key = nullptr;
    read.result = RegOpenKeyEx(root, KeyPath(subKey), RegistryAccess::Read, key);
    if (read.result != win32_error::Success) {
      return read;
    }
    std::uint32_t size = 0;
    read.result = RegQueryValueEx(key, valueName, &read.type, nullptr, &size);
    if (read.result == win32_error::Success) {
      read.data.resize(size);
      read.result = RegQueryValueEx(key, valueName, &read.type, read.data.data(), &size);
      read.data.resize(size);
    }
    EXPECT_EQ(RegCloseKey(key), win32_error::Success);
    return read;
  }

  static std::vector<std::uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

  platform_test::TestMachine machine;
};

TEST_F(Registry, StringValueComesWithItsTerminatingZero) {
  machine.SetStringValue(User, "Game", "InstallDir", "C:\\Games\\Kestrel");
  const ReadValue read = Read(User, "Game", "InstallDir");
  ASSERT_EQ(read.result, win32_error::Success);
  EXPECT_EQ(read.type, RegistryValueType::String);
  EXPECT_EQ(read.data, Bytes(std::string_view("C:\\Games\\Kestrel\0", 17)));
}

TEST_F(Registry, TrailingBackslashOfAFolderIsKept) {
  machine.SetStringValue(User, "Game", "InstallDir", "C:\\Games\\Kestrel\\");
  const ReadValue read = Read(User, "Game", "InstallDir");
  ASSERT_EQ(read.result, win32_error::Success);
  EXPECT_EQ(read.data, Bytes(std::string_view("C:\\Games\\Kestrel\\\0", 18)));
}

TEST_F(Registry, NonAsciiStringComesInTheAnsiCodePage) {
  machine.SetStringValue(User, "Game", "Name", Utf8ToAnsi("Caf\u00E9 \u00C4rger"));
  const ReadValue read = Read(User, "Game", "Name");
  ASSERT_EQ(read.result, win32_error::Success);
  EXPECT_EQ(read.data, Bytes(Utf8ToAnsi("Caf\u00E9 \u00C4rger") + std::string(1, '\0')));
}

TEST_F(Registry, ExpandStringIsReturnedUnexpanded) {
  machine.SetStringValue(User, "Game", "Path", "%SystemRoot%\\Games", RegistryValueType::ExpandString);
  const ReadValue read = Read(User, "Game", "Path");
  ASSERT_EQ(read.result, win32_error::Success);
  EXPECT_EQ(read.type, RegistryValueType::ExpandString);
  EXPECT_EQ(read.data, Bytes(std::string_view("%SystemRoot%\\Games\0", 19)));
}

TEST_F(Registry, EmbeddedZeroIsKept) {
  machine.SetBinaryValue(User, "Game", "Two", RegistryValueType::String, Bytes(std::string_view("ab\0cd\0", 6)));
  const ReadValue read = Read(User, "Game", "Two");
  ASSERT_EQ(read.result, win32_error::Success);
  EXPECT_EQ(read.type, RegistryValueType::String);
  EXPECT_EQ(read.data, Bytes(std::string_view("ab\0cd\0", 6)));
}

TEST_F(Registry, NumbersAndBinaryDataKeepTheirType) {
  machine.SetDwordValue(Machine, "Game", "Count", 0x0001E240);
  machine.SetBinaryValue(Machine, "Game", "Blob", RegistryValueType::Binary, std::vector<std::uint8_t>(60, 0xA5));
  machine.SetBinaryValue(Machine, "Game", "Big", RegistryValueType::Qword, {1, 2, 3, 4, 5, 6, 7, 8});

  ReadValue read = Read(Machine, "Game", "Count");
  ASSERT_EQ(read.result, win32_error::Success);
  EXPECT_EQ(read.type, RegistryValueType::Dword);
  EXPECT_EQ(read.data, (std::vector<std::uint8_t>{0x40, 0xE2, 0x01, 0x00}));

  read = Read(Machine, "Game", "Blob");
  EXPECT_EQ(read.type, RegistryValueType::Binary);
  EXPECT_EQ(read.data, std::vector<std::uint8_t>(60, 0xA5));

  read = Read(Machine, "Game", "Big");
  EXPECT_EQ(read.type, RegistryValueType::Qword);
  EXPECT_EQ(read.data, (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST_F(Registry, DefaultValueHasTheEmptyName) {
  machine.SetStringValue(User, "Game", "", "default");
  const ReadValue read = Read(User, "Game", "");
  ASSERT_EQ(read.result, win32_error::Success);
  EXPECT_EQ(read.data, Bytes(std::string_view("default\0", 8)));
}

TEST_F(Registry, KeyAndValueNamesIgnoreCase) {
  machine.SetStringValue(User, "Game\\Settings", "InstallDir", "x");
  RegistryKeyHandle key = nullptr;
  ASSERT_EQ(RegOpenKeyEx(User, KeyPath("GAME\\settings"), RegistryAccess::Read, key), win32_error::Success);
  std::uint32_t size = 0;
  EXPECT_EQ(RegQueryValueEx(key, "INSTALLDIR", nullptr, nullptr, &size), win32_error::Success);
  EXPECT_EQ(size, 2u);
  EXPECT_EQ(RegCloseKey(key), win32_error::Success);
}

TEST_F(Registry, MissingKeysAndValuesAreFileNotFound) {
  machine.SetStringValue(User, "Game", "InstallDir", "x");
  EXPECT_EQ(Read(User, "Other Game", "InstallDir").result, win32_error::FileNotFound);
  EXPECT_EQ(Read(User, "Game", "Missing").result, win32_error::FileNotFound);
  EXPECT_EQ(Read(Machine, "Game", "InstallDir").result, win32_error::FileNotFound)
      << "the two roots are separate";
}

TEST_F(Registry, KeyWithOnlySubkeysCanBeOpened) {
  machine.SetStringValue(User, "Parent\\Child", "x", "y");
  RegistryKeyHandle key = nullptr;
  ASSERT_EQ(RegOpenKeyEx(User, KeyPath("Parent"), RegistryAccess::Read, key), win32_error::Success);
  EXPECT_EQ(RegQueryValueEx(key, "x", nullptr, nullptr, nullptr), win32_error::FileNotFound);
  EXPECT_EQ(RegCloseKey(key), win32_error::Success);
}

TEST_F(Registry, SmallBufferGetsMoreDataAndTheSizeNeeded) {
  machine.SetStringValue(User, "Game", "InstallDir", "0123456789");
  RegistryKeyHandle key = nullptr;
  ASSERT_EQ(RegOpenKeyEx(User, KeyPath("Game"), RegistryAccess::Read, key), win32_error::Success);
  char buffer[4] = {};
  std::uint32_t size = sizeof buffer;
  RegistryValueType type = RegistryValueType::None;
  EXPECT_EQ(RegQueryValueEx(key, "InstallDir", &type, buffer, &size), win32_error::MoreData);
  EXPECT_EQ(size, 11u);
  EXPECT_EQ(type, RegistryValueType::String);

  char large[32] = {};
  size = sizeof large;
  EXPECT_EQ(RegQueryValueEx(key, "InstallDir", nullptr, large, &size), win32_error::Success);
  EXPECT_EQ(size, 11u);
  EXPECT_STREQ(large, "0123456789");
  EXPECT_EQ(RegCloseKey(key), win32_error::Success);
}

TEST_F(Registry, OpenKeyKeepsItsValuesWhenTheRegistryChanges) {
  machine.SetStringValue(User, "Game", "InstallDir", "before");
  RegistryKeyHandle key = nullptr;
  ASSERT_EQ(RegOpenKeyEx(User, KeyPath("Game"), RegistryAccess::Read, key), win32_error::Success);
  machine.SetStringValue(User, "Game", "Other", "after");
  char buffer[16] = {};
  std::uint32_t size = sizeof buffer;
  EXPECT_EQ(RegQueryValueEx(key, "InstallDir", nullptr, buffer, &size), win32_error::Success);
  EXPECT_STREQ(buffer, "before");
  EXPECT_EQ(RegCloseKey(key), win32_error::Success);

  EXPECT_EQ(Read(User, "Game", "Other").result, win32_error::Success) << "a new open sees the change";
}

TEST_F(Registry, FullAccessIsRefusedOnAReadOnlyRegistry) {
  machine.SetStringValue(Machine, "Game", "Path", "x");
  std::string reason;
  if (!machine.MakeRegistryReadOnly(Machine, reason)) {
    GTEST_SKIP() << reason;
  }
  RegistryKeyHandle key = nullptr;
  EXPECT_EQ(RegOpenKeyEx(Machine, KeyPath("Game"), RegistryAccess::FullAccess, key), win32_error::AccessDenied);
  EXPECT_EQ(key, nullptr);
  ASSERT_EQ(RegOpenKeyEx(Machine, KeyPath("Game"), RegistryAccess::Read, key), win32_error::Success);
  EXPECT_EQ(RegCloseKey(key), win32_error::Success);
}

TEST_F(Registry, FullAccessIsGrantedOnAWritableRegistry) {
  machine.SetStringValue(User, "Game", "Path", "x");
  RegistryKeyHandle key = nullptr;
  ASSERT_EQ(RegOpenKeyEx(User, KeyPath("Game"), RegistryAccess::FullAccess, key), win32_error::Success);
  EXPECT_EQ(RegCloseKey(key), win32_error::Success);
}

TEST_F(Registry, ClosingNoKeyIsAnInvalidHandle) {
  EXPECT_EQ(RegCloseKey(nullptr), win32_error::InvalidHandle);
}

}  // namespace
