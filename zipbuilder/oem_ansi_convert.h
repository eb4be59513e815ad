// The rule that decides whether names and comments are converted between the
// OEM and the ANSI code page is the zip format core's; this is the component's
// view of it, by its CodePage property.
#pragma once

#include <cstdint>

#include "zipbuilder/component_types.h"
#include "zipformat/text_encoding.h"

namespace zipbuilder {

[[nodiscard]] zipformat::CodePageChoice CodePageChoiceOf(CPOpts codePage);

// cpOEM always converts and cpNone never. cpAUTO converts texts of MS-DOS and
// OS/2 HPFS archives, and of Windows NTFS archives made by version 5.0 (made-by
// byte 50), whose makers wrote OEM texts as well.
[[nodiscard]] bool CodePageConversionApplies(CPOpts codePage, std::uint8_t hostSystem, std::uint8_t versionMadeBy);

}  // namespace zipbuilder
