#include "engines/unzip/entry_names.h"

#include "platform/text.h"

namespace engines::unzip {

namespace zf = zipformat;

namespace {

constexpr std::uint8_t VersionFiftyOfNtfsZippers = 50;

bool HostWritesOemText(const zf::CentralHeader& header) {
  switch (header.hostSystem) {
    case zf::host_system::MsDos:
    case zf::host_system::Os2Hpfs:
      return true;
    case zf::host_system::WindowsNtfs:
      return header.versionMadeBy == VersionFiftyOfNtfsZippers;
    default:
      return false;
  }
}

bool IsOemText(const zf::CentralHeader& header, CodePageOption codePage) {
  switch (codePage) {
    case CodePageOption::None:
      return false;
    case CodePageOption::Oem:
      return true;
    case CodePageOption::Automatic:
      return HostWritesOemText(header);
  }
  return HostWritesOemText(header);
}

}  // namespace

std::string DecodeEntryText(std::string_view raw, const zf::CentralHeader& header, CodePageOption codePage) {
  if ((header.flags & zf::general_flag::Utf8Names) != 0) {
    return platform::Utf8ToAnsi(raw);
  }
  if (IsOemText(header, codePage)) {
    return platform::OemToChar(raw);
  }
  return std::string(raw);
}

}  // namespace engines::unzip
