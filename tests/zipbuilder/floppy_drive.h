// A removable drive for the disk prompt and spanning tests: drive A: of the test
// machine, mapped to a scratch folder, whose "disk" is changed by replacing the
// folder's archive and the drive's label, as swapping a floppy would.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "tests/platform/test_machine.h"

namespace zipbuilder {

class FloppyDrive {
 public:
  static constexpr char Letter = 'A';

  explicit FloppyDrive(const platform_test::ScratchFolder& scratch) : folder_(scratch.PathOf("floppy")) {
    scratch.MakeFolder("floppy");
    mapped_ = machine_.MapDrive(Letter, folder_, "floppy", reason_);
  }

  // False with Reason() when this machine cannot map a removable drive.
  [[nodiscard]] bool Mapped() const { return mapped_; }
  [[nodiscard]] const std::string& Reason() const { return reason_; }

  // "A:\" followed by `name`.
  [[nodiscard]] static std::string PathOf(std::string_view name) {
    return std::string(1, Letter) + ":\\" + std::string(name);
  }

  // Puts in a disk holding `fileName` with `contents` (and nothing else) and `label`.
  void Insert(std::string_view fileName, std::string_view contents, std::string_view label) {
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(folder_, ignored)) {
      if (entry.path().filename().string().rfind(".windows-", 0) != 0) {
        std::filesystem::remove_all(entry.path(), ignored);
      }
    }
    {
      std::ofstream file(std::filesystem::path(folder_) / std::filesystem::path(fileName),
                         std::ios::binary | std::ios::trunc);
      file.write(contents.data(), static_cast<std::streamsize>(contents.size()));
    }
    std::string labelReason;
    labelled_ = machine_.SetDriveMedia(Letter, label, 0x1234ABCD, labelReason);
    if (!labelled_) {
      reason_ = labelReason;
    }
  }

  // False with Reason() when the last label could not be given.
  [[nodiscard]] bool Labelled() const { return labelled_; }

 private:
  platform_test::TestMachine machine_;
  std::string folder_;
  std::string reason_;
  bool mapped_ = false;
  bool labelled_ = true;
};

}  // namespace zipbuilder
