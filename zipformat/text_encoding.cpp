#include "zipformat/text_encoding.h"

#include <algorithm>

#include "zipformat/records.h"

namespace zipformat {

namespace {

constexpr std::uint8_t OemWritingNtfsVersion = 50;
constexpr unsigned char FirstNonAscii = 0x80;

[[nodiscard]] bool HostWritesOemText(std::uint8_t hostSystem, std::uint8_t versionMadeBy) {
  switch (hostSystem) {
    case host_system::MsDos:
    case host_system::Os2Hpfs:
      return true;
    case host_system::WindowsNtfs:
      return versionMadeBy == OemWritingNtfsVersion;
    default:
      return false;
  }
}

[[nodiscard]] bool IsOemText(CodePageChoice choice, std::uint8_t hostSystem, std::uint8_t versionMadeBy) {
  switch (choice) {
    case CodePageChoice::None:
      return false;
    case CodePageChoice::Oem:
      return true;
    case CodePageChoice::Automatic:
      break;
  }
  return HostWritesOemText(hostSystem, versionMadeBy);
}

[[nodiscard]] bool IsPlainAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char character) { return static_cast<unsigned char>(character) < FirstNonAscii; });
}

}  // namespace

StoredTextEncoding EncodingOfStoredText(CodePageChoice choice, std::uint8_t hostSystem, std::uint8_t versionMadeBy,
                                        std::uint16_t generalFlags) {
  if ((generalFlags & general_flag::Utf8Names) != 0) {
    return StoredTextEncoding::Utf8;
  }
  return IsOemText(choice, hostSystem, versionMadeBy) ? StoredTextEncoding::Oem : StoredTextEncoding::AsStored;
}

std::string DecodeStoredText(std::string_view stored, StoredTextEncoding encoding, const TextDecoders& decoders) {
  switch (encoding) {
    case StoredTextEncoding::Utf8:
      return decoders.fromUtf8(stored);
    case StoredTextEncoding::Oem:
      return decoders.fromOem(stored);
    case StoredTextEncoding::AsStored:
      break;
  }
  return std::string(stored);
}

StoredTextEncoding EncodingOfNewText(CodePageChoice choice, std::string_view text) {
  if (IsPlainAscii(text)) {
    return StoredTextEncoding::AsStored;
  }
  return choice == CodePageChoice::Oem ? StoredTextEncoding::Oem : StoredTextEncoding::Utf8;
}

}  // namespace zipformat
