#include "engines/unzip/entry_names.h"

#include "platform/text.h"
#include "zipformat/text_encoding.h"

namespace engines::unzip {

std::string DecodeEntryText(std::string_view raw, const zipformat::CentralHeader& header, CodePageOption codePage) {
  switch (zipformat::EncodingOfStoredText(codePage, header.hostSystem, header.versionMadeBy, header.flags)) {
    case zipformat::StoredTextEncoding::Utf8:
      return platform::Utf8ToAnsi(raw);
    case zipformat::StoredTextEncoding::Oem:
      return platform::OemToChar(raw);
    case zipformat::StoredTextEncoding::AsStored:
      break;
  }
  return std::string(raw);
}

}  // namespace engines::unzip
