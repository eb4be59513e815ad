// Names and comments of archives made on MS-DOS and related systems are stored in
// the OEM code page; the component shows and takes them in the ANSI code page.
#include "zipbuilder/code_page.h"

#include "platform/text.h"
#include "zipbuilder/zip_builder.h"

namespace zipbuilder {

namespace {
constexpr std::uint8_t OemWritingNtfsVersion = 50;
}  // namespace

bool CodePageConversionApplies(CPOpts codePage, std::uint8_t hostSystem, std::uint8_t versionMadeBy) {
  switch (codePage) {
    case CPOpts::cpOEM:
      return true;
    case CPOpts::cpNone:
      return false;
    case CPOpts::cpAUTO:
      break;
  }
  if (hostSystem == host_system::MsDos || hostSystem == host_system::Os2Hpfs) {
    return true;
  }
  return hostSystem == host_system::WindowsNtfs && versionMadeBy == OemWritingNtfsVersion;
}

std::string TZipBuilder::OemAnsiConvert(std::string_view text, CodePageDirection direction) const {
  if (!CodePageConversionApplies(codePage_, directory_.LastHostSystem, directory_.LastVersionMadeBy)) {
    return std::string(text);
  }
  if (direction == CodePageDirection::ToOem) {
    return platform::CharToOem(text);
  }
  return platform::OemToChar(text);
}

std::string TZipBuilder::ArchiveComment() const {
  return OemAnsiConvert(directory_.RawComment, CodePageDirection::ToAnsi);
}

}  // namespace zipbuilder
