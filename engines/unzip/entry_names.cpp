#include "engines/unzip/entry_names.h"

#include "platform/text.h"
#include "zipformat/text_encoding.h"

namespace engines::unzip {

std::string DecodeEntryText(std::string_view raw, const zipformat::CentralHeader& header, CodePageOption codePage) {
  const zipformat::StoredTextEncoding encoding =
      zipformat::EncodingOfStoredText(codePage, header.hostSystem, header.versionMadeBy, header.flags);
  return zipformat::DecodeStoredText(raw, encoding, {platform::Utf8ToAnsi, platform::OemToChar});
}

}  // namespace engines::unzip
