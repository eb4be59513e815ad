// Entry names and comments as the caller's code page shows them.
//
// General flag bit 11 marks UTF-8 text, which becomes ANSI. Other text is in the
// OEM code page when the record asks for that (cpOEM), or, automatically, when the
// archive was made on MS-DOS (host 0), OS/2 (6) or by an NTFS host with version
// 5.0 (11 with version 50), the systems whose zippers wrote OEM names; it becomes
// ANSI. Text from any other host is taken as it is, and cpNone never converts.
#pragma once

#include <string>
#include <string_view>

#include "zipformat/records.h"
#include "engines/unzip/command.h"

namespace engines::unzip {

[[nodiscard]] std::string DecodeEntryText(std::string_view raw, const zipformat::CentralHeader& header,
                                          CodePageOption codePage);

}  // namespace engines::unzip
