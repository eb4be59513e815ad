#include "installer/payloads.h"

#include <array>
#include <optional>

#include "platform/files.h"
#include "platform/safe_save.h"

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

// Payloads are not flushed to the device: they live only while the installer
// runs and are deleted when it closes; after a crash the next start writes them
// anew, and the move into place still shows a complete file or none.
constexpr platform::SaveOptions PayloadSaveOptions{platform::SaveDurability::LeaveToSystem, {}, "unz"};

// Writes the image through a safe save and puts it in place as `mode` says.
[[nodiscard]] PayloadWrite SavePayload(std::string_view fileName, std::span<const std::uint8_t> image,
                                       platform::CommitMode mode) {
  std::optional<platform::SafeSave> save = platform::SafeSave::Create(fileName, PayloadSaveOptions);
  if (!save || !save->Write(std::as_bytes(image))) {
    return PayloadWrite::Failed;
  }
  if (save->Commit(mode)) {
    return PayloadWrite::Written;
  }
  const bool taken = platform::IsNameTakenError(save->Error());
  return mode == platform::CommitMode::CreateOnly && taken ? PayloadWrite::NameTaken : PayloadWrite::Failed;
}

}  // namespace

PayloadWrite WritePayload(std::string_view fileName, std::span<const std::uint8_t> image) {
  // Windows refuses to replace a library another process has loaded; that copy
  // stays and serves this installer too.
  return SavePayload(fileName, image, platform::CommitMode::ReplaceTarget);
}

PayloadWrite CreatePayload(std::string_view fileName, std::span<const std::uint8_t> image) {
  return SavePayload(fileName, image, platform::CommitMode::CreateOnly);
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
