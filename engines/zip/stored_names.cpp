#include "engines/zip/stored_names.h"

#include <algorithm>

#include "platform/text.h"

namespace engines::zip {

namespace {

constexpr std::size_t DosBaseLength = 8;
constexpr std::size_t DosExtensionLength = 3;
constexpr std::string_view DosForbidden = " .\"*+,/:;<=>?[\\]|";

char DosCharacter(char character) {
  if (character >= 'a' && character <= 'z') {
    return static_cast<char>(character - 'a' + 'A');
  }
  if (static_cast<unsigned char>(character) < 0x20 || DosForbidden.find(character) != std::string_view::npos) {
    return '_';
  }
  return character;
}

std::string DosPart(std::string_view text, std::size_t longest) {
  std::string part;
  for (const char character : text) {
    if (character == ' ') {
      continue;
    }
    if (part.size() == longest) {
      break;
    }
    part.push_back(DosCharacter(character));
  }
  return part;
}

std::string DosNameComponent(std::string_view component) {
  const std::size_t dot = component.rfind('.');
  const std::string_view base = dot == std::string_view::npos ? component : component.substr(0, dot);
  const std::string_view extension = dot == std::string_view::npos ? std::string_view{} : component.substr(dot + 1);
  std::string dosName = DosPart(base, DosBaseLength);
  if (dosName.empty()) {
    dosName.push_back('_');
  }
  const std::string dosExtension = DosPart(extension, DosExtensionLength);
  if (!dosExtension.empty()) {
    dosName.push_back('.');
    dosName += dosExtension;
  }
  return dosName;
}

}  // namespace

std::optional<std::string> SafeEntryName(std::string_view name, shared::EntryKind kind,
                                         shared::EntryPathVerdict& refusal) {
  const shared::SanitisedEntryPath sanitised = shared::SanitiseEntryPath(name);
  refusal = sanitised.verdict;
  if (sanitised.verdict != shared::EntryPathVerdict::Safe) {
    return std::nullopt;
  }
  std::string safe = shared::JoinPathComponents(sanitised.components, '/');
  if (kind == shared::EntryKind::Folder) {
    safe.push_back('/');
  }
  return safe;
}

std::string DosName(std::string_view name) {
  std::string converted;
  std::size_t start = 0;
  while (start < name.size()) {
    const std::size_t end = std::min(name.find('/', start), name.size());
    converted += DosNameComponent(name.substr(start, end - start));
    if (end < name.size()) {
      converted.push_back('/');
    }
    start = end + 1;
  }
  return converted;
}

EncodedText EncodeForArchive(std::string_view ansiText, zipformat::CodePageChoice codePage) {
  switch (zipformat::EncodingOfNewText(codePage, ansiText)) {
    case zipformat::StoredTextEncoding::Oem:
      return EncodedText{platform::CharToOem(ansiText), false};
    case zipformat::StoredTextEncoding::Utf8:
      return EncodedText{platform::AnsiToUtf8(ansiText), true};
    case zipformat::StoredTextEncoding::AsStored:
      break;
  }
  return EncodedText{std::string(ansiText), false};
}

}  // namespace engines::zip
