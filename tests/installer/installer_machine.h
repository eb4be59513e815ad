// A scratch machine for the installer's tests: a Wine prefix whose user hive
// holds the target's "InstallDir" (or not), a temporary folder that TEMP and TMP
// name, and a folder to install into. Everything goes with it and the
// environment is restored.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tests/platform/test_machine.h"

namespace installer_test {

class InstallerMachine {
 public:
  InstallerMachine();
  ~InstallerMachine();
  InstallerMachine(const InstallerMachine&) = delete;
  InstallerMachine& operator=(const InstallerMachine&) = delete;

  // HKEY_CURRENT_USER\Software\Tollick\Brevane2 "InstallDir" := `folder`.
  void RecordInstallDir(std::string_view folder) const;

  // The temporary folder and the installation folder, without a trailing separator.
  [[nodiscard]] std::string TempFolder() const { return scratch.PathOf("temp"); }
  [[nodiscard]] std::string InstallFolder() const { return scratch.PathOf("install"); }
  // The names of the files in the temporary folder, sorted.
  [[nodiscard]] std::vector<std::string> TempFolderFiles() const;

  platform_test::ScratchFolder scratch;

 private:
  std::optional<std::string> previousPrefix_;
  std::optional<std::string> previousTemp_;
  std::optional<std::string> previousTmp_;
};

// A file's bytes, read through the platform layer (names may use "\").
[[nodiscard]] std::optional<std::string> ReadWholeFile(const std::string& fileName);
[[nodiscard]] std::string AsText(std::span<const unsigned char> bytes);

}  // namespace installer_test
