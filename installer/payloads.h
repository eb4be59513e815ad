// The two payloads the installer carries in its own image, written into the
// temporary folder at start and deleted at close: the unzip engine the archive
// component loads, and the patch archive it extracts.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "installer/temp_folder.h"

namespace installer {

// Compiled in at build time (installer/CMakeLists.txt): the unzip engine library
// of the same target and the patch archive.
extern const std::span<const std::uint8_t> EngineImage;
extern const std::span<const std::uint8_t> PatchImage;

enum class PayloadWrite : std::uint8_t {
  Written,
  NameTaken,  // the file exists and is left as it is
  Failed,     // nothing usable written; what stood under the name is unchanged
};

// Writes `image` to a new file beside `fileName` and moves it over the name, so
// that a program that has the old file open or loaded keeps its own copy. Nothing
// is left behind when a write fails.
[[nodiscard]] PayloadWrite WritePayload(std::string_view fileName, std::span<const std::uint8_t> image);

// Writes `image` to a new file beside `fileName` and gives it the name only if no
// file has it (NameTaken otherwise): a move that refuses to replace, so that of two
// installers writing the same name one wins and the other's file is never touched.
[[nodiscard]] PayloadWrite CreatePayload(std::string_view fileName, std::span<const std::uint8_t> image);

struct PayloadFiles {
  std::string UnzDllFileName;
  std::string PatchZipFileName;
};

// The names and the writes of start-up: the engine as "unzdll.dll" in the
// temporary folder, the archive as "zz" + hexadecimal digits + ".zip", on the
// next number when a file of that name exists (another installer of the same
// second). Failures are silent here; they show when Install runs.
[[nodiscard]] PayloadFiles DeployPayloads(const TTempFolder& tempFolder, std::span<const std::uint8_t> engineImage,
                                          std::span<const std::uint8_t> patchImage);

// Deletes both files; a file that cannot be deleted stays.
void RemovePayloads(const PayloadFiles& files);

}  // namespace installer
