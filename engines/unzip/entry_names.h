// Entry names and comments as the caller's code page shows them. Which encoding
// a stored text is in (UTF-8 by general flag bit 11, OEM by the code page choice
// or the host that made the archive, or as it is) is the zip format core's rule;
// the conversion to ANSI is the platform's.
#pragma once

#include <string>
#include <string_view>

#include "engines/unzip/command.h"
#include "zipformat/records.h"

namespace engines::unzip {

[[nodiscard]] std::string DecodeEntryText(std::string_view raw, const zipformat::CentralHeader& header,
                                          CodePageOption codePage);

}  // namespace engines::unzip
