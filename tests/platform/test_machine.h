// How a platform test prepares the machine. The suite is the same for both
// backends; only the preparation differs: posix/test_machine.cpp writes the hive
// files and dosdevices links of a scratch Wine prefix, win32/test_machine.cpp uses
// the real registry and reports what a running Wine process cannot prepare, so that
// those tests skip there with the reason.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/drives.h"
#include "platform/registry.h"

namespace platform_test {

// A fresh folder below the temporary folder, removed with everything in it.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // The folder's name as the platform layer takes it, without a trailing separator.
  [[nodiscard]] const std::string& Path() const { return path_; }
  // `relativeName` ("a", "sub/b.txt") below the folder, with the platform's separator.
  [[nodiscard]] std::string PathOf(std::string_view relativeName) const;

  void WriteFile(std::string_view relativeName, std::string_view contents) const;
  [[nodiscard]] std::optional<std::string> ReadFile(std::string_view relativeName) const;
  [[nodiscard]] bool Exists(std::string_view relativeName) const;
  void MakeFolder(std::string_view relativeName) const;
  // The names of the files (not folders) in `relativeFolder` ("" for the folder
  // itself), sorted: what a test sees was left behind.
  [[nodiscard]] std::vector<std::string> FileNames(std::string_view relativeFolder = {}) const;

 private:
  std::string path_;
};

// The registry key every test writes below, in both roots; removed by ~TestMachine.
inline constexpr std::string_view TestKeyPath = "Software\\ZipBuilderPlatformTests";

class TestMachine {
 public:
  TestMachine();
  ~TestMachine();
  TestMachine(const TestMachine&) = delete;
  TestMachine& operator=(const TestMachine&) = delete;

  // Values below TestKeyPath\`subKey` (created as needed). Strings are ANSI text.
  void SetStringValue(platform::RegistryRoot root, std::string_view subKey, std::string_view valueName,
                      std::string_view text, platform::RegistryValueType type = platform::RegistryValueType::String);
  void SetBinaryValue(platform::RegistryRoot root, std::string_view subKey, std::string_view valueName,
                      platform::RegistryValueType type, const std::vector<std::uint8_t>& data);
  void SetDwordValue(platform::RegistryRoot root, std::string_view subKey, std::string_view valueName,
                     std::uint32_t value);

  // Makes `root` refuse full access. False with `reason` set where that cannot be prepared.
  [[nodiscard]] bool MakeRegistryReadOnly(platform::RegistryRoot root, std::string& reason);

  // Makes `letter` a drive whose root is `folder`, of the Wine drive type `wineType`
  // ("hd", "floppy", "cdrom", "network", "ramdisk"; empty for the default).
  [[nodiscard]] bool MapDrive(char letter, const std::string& folder, std::string_view wineType,
                              std::string& reason);
  // Gives a mapped drive a label and serial as the drive's media would carry them.
  [[nodiscard]] bool SetDriveMedia(char letter, std::string_view label, std::uint32_t serial, std::string& reason);

  // The folder whose files/ and info/ receive what goes to the recycle bin; nullopt
  // where the test cannot know it.
  [[nodiscard]] std::optional<std::string> TrashFolder() const;

 private:
  struct State;
  State* state_;
};

}  // namespace platform_test
