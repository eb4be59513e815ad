#include "tests/installer/installer_machine.h"

#include <algorithm>
#include <filesystem>

#include "platform/files.h"
#include "platform/temp_and_environment.h"

namespace installer_test {

namespace {

// Wine's string escape for what a test folder holds: "\" and '"' only.
std::string Escaped(std::string_view text) {
  std::string escaped;
  for (const char character : text) {
    if (character == '\\' || character == '"') {
      escaped.push_back('\\');
    }
    escaped.push_back(character);
  }
  return escaped;
}

}  // namespace

InstallerMachine::InstallerMachine() {
  scratch.MakeFolder("prefix/dosdevices");
  scratch.MakeFolder("temp");
  scratch.MakeFolder("install");
  previousPrefix_ = platform::GetEnvironmentVariable("WINEPREFIX");
  previousTemp_ = platform::GetEnvironmentVariable("TEMP");
  previousTmp_ = platform::GetEnvironmentVariable("TMP");
  platform::SetEnvironmentVariable("WINEPREFIX", scratch.PathOf("prefix"));
  platform::SetEnvironmentVariable("TEMP", TempFolder());
  platform::SetEnvironmentVariable("TMP", TempFolder());
}

InstallerMachine::~InstallerMachine() {
  platform::SetEnvironmentVariable("WINEPREFIX", previousPrefix_);
  platform::SetEnvironmentVariable("TEMP", previousTemp_);
  platform::SetEnvironmentVariable("TMP", previousTmp_);
}

void InstallerMachine::RecordInstallDir(std::string_view folder) const {
  scratch.WriteFile("prefix/user.reg",
                    "WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n\n"
                    "#arch=win32\n\n[Software\\\\Tollick\\\\Brevane2] 1700000000\n\"InstallDir\"=\"" +
                        Escaped(folder) + "\"\n");
}

std::vector<std::string> InstallerMachine::TempFolderFiles() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(TempFolder())) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::optional<std::string> ReadWholeFile(const std::string& fileName) {
  const platform::FileHandle file = platform::CreateFile(fileName, platform::FileAccess::Read,
                                                         platform::FileShare::Read,
                                                         platform::FileCreation::OpenExisting);
  if (file == platform::InvalidFileHandle) {
    return std::nullopt;
  }
  std::string contents;
  char buffer[65536];
  std::uint32_t count = 0;
  while (platform::ReadFile(file, buffer, sizeof buffer, count) && count > 0) {
    contents.append(buffer, count);
  }
  platform::CloseHandle(file);
  return contents;
}

std::string AsText(std::span<const unsigned char> bytes) {
  return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

}  // namespace installer_test
