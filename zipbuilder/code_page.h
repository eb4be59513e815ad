// The rule that decides whether names and comments are converted between the
// OEM and the ANSI code page.
#pragma once

#include <cstdint>

#include "zipbuilder/component_types.h"

namespace zipbuilder {

// Host systems of the version-made-by field whose archives store OEM texts.
namespace host_system {
inline constexpr std::uint8_t MsDos = 0;
inline constexpr std::uint8_t Os2Hpfs = 6;
inline constexpr std::uint8_t WindowsNtfs = 11;
}  // namespace host_system

// cpOEM always converts and cpNone never. cpAUTO converts texts of MS-DOS and
// OS/2 HPFS archives, and of Windows NTFS archives made by version 5.0 (made-by
// byte 50), whose makers wrote OEM texts as well.
[[nodiscard]] bool CodePageConversionApplies(CPOpts codePage, std::uint8_t hostSystem, std::uint8_t versionMadeBy);

}  // namespace zipbuilder
