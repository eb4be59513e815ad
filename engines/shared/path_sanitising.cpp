#include "engines/shared/path_sanitising.h"

#include <array>
#include <cstddef>

#include "engines/shared/wildcard.h"

namespace engines::shared {

namespace {

constexpr std::string_view ForbiddenCharacters = "<>\"|?*";
constexpr std::array<std::string_view, 4> PlainDeviceNames = {"con", "prn", "aux", "nul"};
constexpr std::array<std::string_view, 2> NumberedDeviceNames = {"com", "lpt"};

std::string LowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& character : lower) {
    if (character >= 'A' && character <= 'Z') {
      character = static_cast<char>(character - 'A' + 'a');
    }
  }
  return lower;
}

std::string_view WithoutTrailingDotsAndSpaces(std::string_view component) {
  while (!component.empty() && (component.back() == '.' || component.back() == ' ')) {
    component.remove_suffix(1);
  }
  return component;
}

bool HasInvalidCharacter(std::string_view component) {
  for (const char character : component) {
    if (static_cast<unsigned char>(character) < 0x20 || ForbiddenCharacters.find(character) != std::string_view::npos) {
      return true;
    }
  }
  return false;
}

// Windows opens the device for "nul", "nul.txt" and "nul .txt" alike.
bool IsReservedDevice(std::string_view component) {
  std::string base = LowerAscii(component.substr(0, component.find('.')));
  base = std::string(WithoutTrailingDotsAndSpaces(base));
  for (const std::string_view device : PlainDeviceNames) {
    if (base == device) {
      return true;
    }
  }
  for (const std::string_view device : NumberedDeviceNames) {
    if (base.size() == 4 && base.starts_with(device) && base[3] >= '1' && base[3] <= '9') {
      return true;
    }
  }
  return false;
}

std::vector<std::string_view> SplitAtSeparators(std::string_view name) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (std::size_t index = 0; index <= name.size(); ++index) {
    if (index == name.size() || IsFolderSeparator(name[index])) {
      parts.push_back(name.substr(start, index - start));
      start = index + 1;
    }
  }
  return parts;
}

SanitisedEntryPath Refused(EntryPathVerdict verdict) {
  return SanitisedEntryPath{verdict, EntryKind::File, {}};
}

}  // namespace

SanitisedEntryPath SanitiseEntryPath(std::string_view entryName) {
  if (entryName.empty()) {
    return Refused(EntryPathVerdict::Empty);
  }
  if (IsFolderSeparator(entryName.front())) {
    return Refused(EntryPathVerdict::Absolute);
  }
  if (entryName.find(':') != std::string_view::npos) {
    return Refused(EntryPathVerdict::DriveOrStream);
  }
  SanitisedEntryPath result;
  result.kind = IsFolderSeparator(entryName.back()) ? EntryKind::Folder : EntryKind::File;
  for (const std::string_view part : SplitAtSeparators(entryName)) {
    if (part.empty() || part == ".") {
      continue;
    }
    const std::string_view trimmed = WithoutTrailingDotsAndSpaces(part);
    if (trimmed.empty()) {
      return Refused(EntryPathVerdict::ParentReference);
    }
    if (HasInvalidCharacter(trimmed)) {
      return Refused(EntryPathVerdict::InvalidCharacter);
    }
    if (IsReservedDevice(trimmed)) {
      return Refused(EntryPathVerdict::ReservedDevice);
    }
    result.components.emplace_back(trimmed);
  }
  if (result.components.empty()) {
    return Refused(EntryPathVerdict::Empty);
  }
  result.verdict = EntryPathVerdict::Safe;
  return result;
}

std::string_view DescribeVerdict(EntryPathVerdict verdict) {
  switch (verdict) {
    case EntryPathVerdict::Safe:
      return "safe";
    case EntryPathVerdict::Empty:
      return "the name is empty";
    case EntryPathVerdict::Absolute:
      return "the name is an absolute path";
    case EntryPathVerdict::DriveOrStream:
      return "the name holds a drive or stream (\":\")";
    case EntryPathVerdict::ParentReference:
      return "the name refers to a parent folder";
    case EntryPathVerdict::ReservedDevice:
      return "the name is a device name";
    case EntryPathVerdict::InvalidCharacter:
      return "the name holds a character no file name may hold";
  }
  return "unknown";
}

std::string JoinPathComponents(const std::vector<std::string>& components, char separator) {
  std::string joined;
  for (const std::string& component : components) {
    if (!joined.empty()) {
      joined.push_back(separator);
    }
    joined += component;
  }
  return joined;
}

}  // namespace engines::shared
