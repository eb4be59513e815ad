// How a file's name becomes the name stored in the archive: relative, "/"
// between folders, a trailing "/" for folders, never absolute, never a drive,
// never "..", and encoded so that every reader decodes it alike.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engines/shared/path_sanitising.h"
#include "engines/zip/command.h"
#include "zipformat/text_encoding.h"

namespace engines::zip {

// `name` ("/" or "\" between folders) as it will be stored: components made safe
// by the shared sanitising, joined by "/", a trailing "/" for a folder. Nothing,
// with the verdict in `refusal`, when no safe name is left.
[[nodiscard]] std::optional<std::string> SafeEntryName(std::string_view name, shared::EntryKind kind,
                                                       shared::EntryPathVerdict& refusal);

// Every component of a "/"-separated name in the 8.3 form of MS-DOS, upper case:
// at most eight characters, a dot and three more; characters DOS does not allow
// become "_".
[[nodiscard]] std::string DosName(std::string_view name);

struct EncodedText {
  std::string bytes;
  bool utf8 = false;  // set general flag bit 11
};

// The engine's texts are ANSI. How they are stored is the zip format core's rule:
// plain ASCII as it is, otherwise UTF-8 (flagged), or the OEM code page when the
// caller asks for it.
[[nodiscard]] EncodedText EncodeForArchive(std::string_view ansiText, zipformat::CodePageChoice codePage);

}  // namespace engines::zip
