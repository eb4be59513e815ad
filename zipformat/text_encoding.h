// How an entry's name and comment are encoded in the archive: the code page rule.
//
// General flag bit 11 marks UTF-8 texts, whatever system made the archive. Other
// texts are in the OEM code page when the caller asks for that (OEM), or,
// automatically, when the archive was made on MS-DOS (host 0), OS/2 HPFS (6) or
// by an NTFS host with version 5.0 (11 with version-made-by 50), the systems
// whose zippers wrote OEM names. Texts from any other host are taken as they are,
// and None never converts. The conversion itself is the platform's.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zipformat {

// The ordinals are those of the command records' code page field; an unknown
// value counts as Automatic.
enum class CodePageChoice : std::uint16_t { Automatic = 0, None = 1, Oem = 2 };

enum class StoredTextEncoding : std::uint8_t { Utf8, Oem, AsStored };

// The encoding of a stored text of a central header with these version-made-by
// bytes and general flags.
[[nodiscard]] StoredTextEncoding EncodingOfStoredText(CodePageChoice choice, std::uint8_t hostSystem,
                                                      std::uint8_t versionMadeBy, std::uint16_t generalFlags);

// The conversions of a caller's to its own code page (the platform's, in practice).
struct TextDecoders {
  std::string (*fromUtf8)(std::string_view text);
  std::string (*fromOem)(std::string_view text);
};

// `stored` in the caller's code page: converted as `encoding` says, with the
// caller's own conversions.
[[nodiscard]] std::string DecodeStoredText(std::string_view stored, StoredTextEncoding encoding,
                                           const TextDecoders& decoders);

// How a new text is stored: plain ASCII as it is, otherwise in the OEM code page
// when OEM is asked for, else as UTF-8 under general flag bit 11.
[[nodiscard]] StoredTextEncoding EncodingOfNewText(CodePageChoice choice, std::string_view text);

}  // namespace zipformat
