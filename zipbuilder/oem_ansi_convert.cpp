// Names and comments of archives made on MS-DOS and related systems are stored in
// the OEM code page; the component shows and takes them in the ANSI code page.
#include "zipbuilder/oem_ansi_convert.h"

#include "platform/text.h"
#include "zipbuilder/zip_builder.h"

namespace zipbuilder {

zipformat::CodePageChoice CodePageChoiceOf(CPOpts codePage) {
  switch (codePage) {
    case CPOpts::cpNone:
      return zipformat::CodePageChoice::None;
    case CPOpts::cpOEM:
      return zipformat::CodePageChoice::Oem;
    case CPOpts::cpAUTO:
      break;
  }
  return zipformat::CodePageChoice::Automatic;
}

// The archive comment and the texts written back carry no flags of their own.
bool CodePageConversionApplies(CPOpts codePage, std::uint8_t hostSystem, std::uint8_t versionMadeBy) {
  constexpr std::uint16_t NoFlags = 0;
  return zipformat::EncodingOfStoredText(CodePageChoiceOf(codePage), hostSystem, versionMadeBy, NoFlags) ==
         zipformat::StoredTextEncoding::Oem;
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

}  // namespace zipbuilder
