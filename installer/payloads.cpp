#include "installer/payloads.h"

#include <algorithm>
#include <array>
#include <limits>

#include "platform/files.h"
#include "platform/temp_and_environment.h"

namespace installer {

namespace {

constexpr const char* EngineFileName = "unzdll.dll";
constexpr const char* ArchivePrefix = "zz";
constexpr const char* ArchiveExtension = ".zip";
constexpr std::uint32_t NameBufferSize = 256;
constexpr std::uint32_t NameSizeLimit = 250;
// Names tried after the first one is taken; more installers than this starting in
// the same second is not a case to plan for.
constexpr std::uint32_t FurtherArchiveNames = 64;
// The numbers stay within four hexadecimal digits.
constexpr std::uint32_t ArchiveNumberMask = 0xFFFF;

[[nodiscard]] bool WriteWhole(platform::FileHandle file, std::span<const std::uint8_t> image) {
  constexpr std::size_t LargestWrite = std::numeric_limits<std::uint32_t>::max();
  while (!image.empty()) {
    const auto count = static_cast<std::uint32_t>(std::min(image.size(), LargestWrite));
    std::uint32_t written = 0;
    if (!platform::WriteFile(file, image.data(), count, written) || written == 0) {
      return false;
    }
    image = image.subspan(written);
  }
  return true;
}

// Writes the image into an open file and closes it; deletes the file when the
// image did not go in whole.
[[nodiscard]] PayloadWrite FillAndClose(platform::FileHandle file, std::string_view fileName,
                                        std::span<const std::uint8_t> image) {
  const bool whole = WriteWhole(file, image);
  platform::CloseHandle(file);
  if (whole) {
    return PayloadWrite::Written;
  }
  static_cast<void>(platform::DeleteFile(fileName));
  return PayloadWrite::Failed;
}

// The folder part of `fileName`, with its separator; empty for a bare name.
[[nodiscard]] std::string FolderOf(std::string_view fileName) {
  const std::size_t separator = fileName.find_last_of("\\/");
  return separator == std::string_view::npos ? std::string() : std::string(fileName.substr(0, separator + 1));
}

}  // namespace

PayloadWrite WritePayload(std::string_view fileName, std::span<const std::uint8_t> image) {
  std::string folder = FolderOf(fileName);
  std::string newFileName;
  if (platform::GetTempFileName(folder.empty() ? "." : folder, "unz", 0, newFileName) == 0) {
    return PayloadWrite::Failed;
  }
  const platform::FileHandle file = platform::CreateFile(newFileName, platform::FileAccess::Write,
                                                         platform::FileShare::None,
                                                         platform::FileCreation::TruncateExisting);
  if (file == platform::InvalidFileHandle) {
    static_cast<void>(platform::DeleteFile(newFileName));
    return PayloadWrite::Failed;
  }
  if (FillAndClose(file, newFileName, image) != PayloadWrite::Written) {
    return PayloadWrite::Failed;
  }
  if (!platform::MoveFile(newFileName, fileName, platform::MoveMode::ReplaceExisting)) {
    // Windows refuses to replace a library another process has loaded; that
    // copy stays and serves this installer too.
    static_cast<void>(platform::DeleteFile(newFileName));
    return PayloadWrite::Failed;
  }
  return PayloadWrite::Written;
}

PayloadWrite CreatePayload(std::string_view fileName, std::span<const std::uint8_t> image) {
  const platform::FileHandle file = platform::CreateFile(fileName, platform::FileAccess::Write,
                                                         platform::FileShare::None, platform::FileCreation::CreateNew);
  if (file == platform::InvalidFileHandle) {
    return platform::GetLastError() == platform::win32_error::FileExists ? PayloadWrite::NameTaken
                                                                          : PayloadWrite::Failed;
  }
  return FillAndClose(file, fileName, image);
}

PayloadFiles DeployPayloads(const TTempFolder& tempFolder, std::span<const std::uint8_t> engineImage,
                            std::span<const std::uint8_t> patchImage) {
  PayloadFiles files;
  files.UnzDllFileName = tempFolder.Path + EngineFileName;
  std::array<char, NameBufferSize> name{};
  std::uint32_t number = 0;
  tempFolder.UniqueFileName(name.data(), ArchivePrefix, NameSizeLimit, number);
  files.PatchZipFileName = std::string(name.data()) + ArchiveExtension;

  // A payload that could not be written is reported when Install needs it: the
  // component names a missing engine, and an archive it cannot read.
  static_cast<void>(WritePayload(files.UnzDllFileName, engineImage));
  PayloadWrite archive = CreatePayload(files.PatchZipFileName, patchImage);
  // Without a number in the name (the folder is too long for one) there is no
  // next name to go on with.
  for (std::uint32_t attempt = 1; archive == PayloadWrite::NameTaken && name[0] != '\0' &&
                                  attempt <= FurtherArchiveNames;
       ++attempt) {
    tempFolder.NumberedFileName(name.data(), ArchivePrefix, NameSizeLimit, (number + attempt) & ArchiveNumberMask);
    files.PatchZipFileName = std::string(name.data()) + ArchiveExtension;
    archive = CreatePayload(files.PatchZipFileName, patchImage);
  }
  return files;
}

void RemovePayloads(const PayloadFiles& files) {
  static_cast<void>(platform::DeleteFile(files.UnzDllFileName));
  static_cast<void>(platform::DeleteFile(files.PatchZipFileName));
}

}  // namespace installer
