// Divisions: text helpers (UTF-8, UTF-16, name folding); the line parser (strings
// with Wine's escapes, key lines, value lines and their data forms); key lookup;
// the per-prefix file cache.
#include "platform/posix/wine_hive.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>

#include "platform/posix/path_mapping.h"
#include "platform/posix/utf8.h"

namespace platform::posix {

namespace {

constexpr std::string_view VersionLine = "WINE REGISTRY Version 2";
constexpr std::uint32_t ReplacementCharacter = 0xFFFD;

// Decodes one UTF-8 sequence at `position` (hand-edited hive files may hold raw
// UTF-8); a byte that starts no valid sequence is taken as Latin-1.
std::uint32_t DecodeUtf8(std::string_view text, std::size_t& position) {
  const auto lead = static_cast<unsigned char>(text[position]);
  int length = 0;
  std::uint32_t codePoint = 0;
  if (lead >= 0xF0 && lead < 0xF8) {
    length = 4;
    codePoint = lead & 0x07u;
  } else if (lead >= 0xE0) {
    length = lead < 0xF0 ? 3 : 0;
    codePoint = lead & 0x0Fu;
  } else if (lead >= 0xC2) {
    length = 2;
    codePoint = lead & 0x1Fu;
  }
  if (length == 0 || position + static_cast<std::size_t>(length) > text.size()) {
    ++position;
    return lead;
  }
  for (int index = 1; index < length; ++index) {
    const auto next = static_cast<unsigned char>(text[position + static_cast<std::size_t>(index)]);
    if ((next & 0xC0) != 0x80) {
      ++position;
      return lead;
    }
    codePoint = (codePoint << 6) | (next & 0x3Fu);
  }
  position += static_cast<std::size_t>(length);
  return codePoint;
}

void AppendUtf16(std::u16string& text, std::uint32_t codePoint) {
  if (codePoint < 0x10000) {
    text.push_back(static_cast<char16_t>(codePoint));
    return;
  }
  codePoint -= 0x10000;
  text.push_back(static_cast<char16_t>(0xD800 + (codePoint >> 10)));
  text.push_back(static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF)));
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string converted;
  for (std::size_t index = 0; index < text.size(); ++index) {
    std::uint32_t unit = text[index];
    if (unit >= 0xD800 && unit < 0xDC00 && index + 1 < text.size() && text[index + 1] >= 0xDC00 &&
        text[index + 1] < 0xE000) {
      unit = 0x10000 + ((unit - 0xD800) << 10) + (text[index + 1] - 0xDC00u);
      ++index;
    } else if (unit >= 0xD800 && unit < 0xE000) {
      unit = ReplacementCharacter;
    }
    AppendUtf8(converted, unit);
  }
  return converted;
}

std::vector<std::uint8_t> Utf16LittleEndianBytes(std::u16string_view text) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(text.size() * 2);
  for (const char16_t unit : text) {
    bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
  return bytes;
}

int HexDigitValue(char character) {
  if (character >= '0' && character <= '9') {
    return character - '0';
  }
  if (character >= 'a' && character <= 'f') {
    return character - 'a' + 10;
  }
  if (character >= 'A' && character <= 'F') {
    return character - 'A' + 10;
  }
  return -1;
}

std::uint32_t SimpleEscape(char character) {
  switch (character) {
    case 'a':
      return 0x07;
    case 'b':
      return 0x08;
    case 'e':
      return 0x1B;
    case 'f':
      return 0x0C;
    case 'n':
      return 0x0A;
    case 'r':
      return 0x0D;
    case 't':
      return 0x09;
    case 'v':
      return 0x0B;
    default:
      return static_cast<unsigned char>(character);
  }
}

// The inverse of Wine's string dump: reads up to the unescaped `delimiter` and
// leaves `position` after it. Returns nullopt when the delimiter never comes.
std::optional<std::u16string> ParseEscapedText(std::string_view line, std::size_t& position, char delimiter) {
  std::u16string text;
  while (position < line.size()) {
    const char character = line[position];
    if (character == delimiter) {
      ++position;
      return text;
    }
    if (character != '\\' || position + 1 >= line.size()) {
      AppendUtf16(text, DecodeUtf8(line, position));
      continue;
    }
    const char escaped = line[position + 1];
    position += 2;
    if (escaped == 'x') {
      std::uint32_t unit = 0;
      int digits = 0;
      for (; digits < 4 && position < line.size() && HexDigitValue(line[position]) >= 0; ++digits, ++position) {
        unit = unit * 16 + static_cast<std::uint32_t>(HexDigitValue(line[position]));
      }
      text.push_back(static_cast<char16_t>(digits == 0 ? 'x' : unit));
    } else if (escaped >= '0' && escaped <= '7') {
      std::uint32_t unit = static_cast<std::uint32_t>(escaped - '0');
      for (int digits = 1; digits < 3 && position < line.size() && line[position] >= '0' && line[position] <= '7';
           ++digits, ++position) {
        unit = unit * 8 + static_cast<std::uint32_t>(line[position] - '0');
      }
      text.push_back(static_cast<char16_t>(unit));
    } else {
      text.push_back(static_cast<char16_t>(SimpleEscape(escaped)));
    }
  }
  return std::nullopt;
}

void SkipSpaces(std::string_view line, std::size_t& position) {
  while (position < line.size() && (line[position] == ' ' || line[position] == '\t')) {
    ++position;
  }
}

bool ConsumePrefix(std::string_view line, std::size_t& position, std::string_view prefix) {
  if (line.substr(position, prefix.size()) != prefix) {
    return false;
  }
  position += prefix.size();
  return true;
}

// Reads "N):" of "hex(N):" or "str(N):"; N is hexadecimal.
std::optional<std::uint32_t> ParseTypeNumber(std::string_view line, std::size_t& position) {
  std::uint32_t type = 0;
  int digits = 0;
  for (; position < line.size() && HexDigitValue(line[position]) >= 0; ++position, ++digits) {
    type = type * 16 + static_cast<std::uint32_t>(HexDigitValue(line[position]));
  }
  if (digits == 0 || !ConsumePrefix(line, position, "):")) {
    return std::nullopt;
  }
  return type;
}

class HiveParser {
 public:
  explicit HiveParser(std::string_view text) {
    std::size_t start = 0;
    while (start <= text.size()) {
      std::size_t end = text.find('\n', start);
      if (end == std::string_view::npos) {
        end = text.size();
      }
      std::string_view line = text.substr(start, end - start);
      if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
      }
      lines_.push_back(line);
      start = end + 1;
    }
  }

  void Parse(std::map<std::string, HiveKey>& keys) {
    if (lines_.empty() || lines_.front() != VersionLine) {
      return;
    }
    HiveKey* currentKey = nullptr;
    for (lineIndex_ = 1; lineIndex_ < lines_.size(); ++lineIndex_) {
      const std::string_view line = lines_[lineIndex_];
      if (line.empty() || line.front() == ';' || line.front() == '#') {
        continue;
      }
      if (line.front() == '[') {
        currentKey = ParseKeyLine(line, keys);
        continue;
      }
      if (currentKey != nullptr && (line.front() == '"' || line.front() == '@')) {
        ParseValueLine(line, *currentKey);
      }
    }
  }

 private:
  HiveKey* ParseKeyLine(std::string_view line, std::map<std::string, HiveKey>& keys) {
    std::size_t position = 1;
    const std::optional<std::u16string> path = ParseEscapedText(line, position, ']');
    if (!path) {
      return nullptr;
    }
    return &keys[FoldName(Utf16ToUtf8(*path))];
  }

  void ParseValueLine(std::string_view line, HiveKey& key) {
    std::size_t position = 1;
    HiveValue value;
    if (line.front() == '"') {
      const std::optional<std::u16string> name = ParseEscapedText(line, position, '"');
      if (!name) {
        return;
      }
      value.name = Utf16ToUtf8(*name);
    }
    SkipSpaces(line, position);
    if (!ConsumePrefix(line, position, "=")) {
      return;
    }
    SkipSpaces(line, position);
    if (!ParseData(line, position, value)) {
      return;
    }
    const std::string folded = FoldName(value.name);
    for (HiveValue& existing : key.values) {
      if (FoldName(existing.name) == folded) {
        existing = std::move(value);
        return;
      }
    }
    key.values.push_back(std::move(value));
  }

  bool ParseData(std::string_view line, std::size_t& position, HiveValue& value) {
    if (ConsumePrefix(line, position, "\"") || ConsumePrefix(line, position, "str:\"")) {
      value.type = static_cast<std::uint32_t>(RegistryValueType::String);
      return ParseStringData(line, position, value);
    }
    if (ConsumePrefix(line, position, "str(")) {
      const std::optional<std::uint32_t> type = ParseTypeNumber(line, position);
      if (!type || !ConsumePrefix(line, position, "\"")) {
        return false;
      }
      value.type = *type;
      return ParseStringData(line, position, value);
    }
    if (ConsumePrefix(line, position, "dword:")) {
      return ParseDwordData(line, position, value);
    }
    if (ConsumePrefix(line, position, "hex:")) {
      value.type = static_cast<std::uint32_t>(RegistryValueType::Binary);
      return ParseHexData(line, position, value);
    }
    if (ConsumePrefix(line, position, "hex(")) {
      const std::optional<std::uint32_t> type = ParseTypeNumber(line, position);
      if (!type) {
        return false;
      }
      value.type = *type;
      return ParseHexData(line, position, value);
    }
    return false;
  }

  static bool ParseStringData(std::string_view line, std::size_t& position, HiveValue& value) {
    std::optional<std::u16string> text = ParseEscapedText(line, position, '"');
    if (!text) {
      return false;
    }
    text->push_back(u'\0');
    value.data = Utf16LittleEndianBytes(*text);
    return true;
  }

  static bool ParseDwordData(std::string_view line, std::size_t& position, HiveValue& value) {
    std::uint32_t number = 0;
    int digits = 0;
    for (; digits < 8 && position < line.size() && HexDigitValue(line[position]) >= 0; ++digits, ++position) {
      number = number * 16 + static_cast<std::uint32_t>(HexDigitValue(line[position]));
    }
    if (digits == 0) {
      return false;
    }
    value.type = static_cast<std::uint32_t>(RegistryValueType::Dword);
    value.data = {static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
                  static_cast<std::uint8_t>(number >> 16), static_cast<std::uint8_t>(number >> 24)};
    return true;
  }

  // Comma-separated bytes; a line that ends in "\" goes on with the next line.
  bool ParseHexData(std::string_view line, std::size_t& position, HiveValue& value) {
    for (;;) {
      SkipSpaces(line, position);
      if (position >= line.size()) {
        return true;
      }
      if (line[position] == '\\') {
        if (lineIndex_ + 1 >= lines_.size()) {
          return true;
        }
        line = lines_[++lineIndex_];
        position = 0;
        continue;
      }
      if (line[position] == ',') {
        ++position;
        continue;
      }
      const int high = HexDigitValue(line[position]);
      const int low = position + 1 < line.size() ? HexDigitValue(line[position + 1]) : -1;
      if (high < 0 || low < 0) {
        return false;
      }
      value.data.push_back(static_cast<std::uint8_t>(high * 16 + low));
      position += 2;
    }
  }

  std::vector<std::string_view> lines_;
  std::size_t lineIndex_ = 0;
};

// A file is taken as unchanged while its inode, time and size stay: Wine saves a
// hive by renaming a new file over it, so the inode alone tells most saves apart.
struct CachedHive {
  ino_t inode = 0;
  std::int64_t modifiedNanoseconds = 0;
  std::int64_t size = -1;
  std::shared_ptr<const Hive> hive;
};

std::mutex cacheMutex;
std::map<std::string, CachedHive> cache;

std::shared_ptr<const Hive> EmptyHive() {
  static const auto empty = std::make_shared<const Hive>();
  return empty;
}

}  // namespace

const HiveValue* HiveKey::FindValue(std::string_view name) const {
  const std::string folded = FoldName(name);
  for (const HiveValue& value : values) {
    if (FoldName(value.name) == folded) {
      return &value;
    }
  }
  return nullptr;
}

Hive Hive::Parse(std::string_view text) {
  Hive hive;
  HiveParser(text).Parse(hive.keys_);
  return hive;
}

const HiveKey* Hive::FindKey(std::string_view path) const {
  static const HiveKey impliedParent;
  const std::string folded = FoldName(path);
  if (const auto exact = keys_.find(folded); exact != keys_.end()) {
    return &exact->second;
  }
  if (folded.empty()) {
    return &impliedParent;
  }
  const std::string childPrefix = folded + "\\";
  const auto child = keys_.lower_bound(childPrefix);
  if (child != keys_.end() && child->first.starts_with(childPrefix)) {
    return &impliedParent;
  }
  return nullptr;
}

std::string HiveFilePath(RegistryRoot root) {
  return WinePrefix() + (root == RegistryRoot::LocalMachine ? "/system.reg" : "/user.reg");
}

std::shared_ptr<const Hive> LoadHive(RegistryRoot root) {
  const std::string path = HiveFilePath(root);
  struct stat status{};
  if (stat(path.c_str(), &status) != 0) {
    return EmptyHive();
  }
  const std::int64_t modified = std::int64_t{status.st_mtim.tv_sec} * 1'000'000'000 + status.st_mtim.tv_nsec;
  const std::lock_guard lock(cacheMutex);
  CachedHive& cached = cache[path];
  if (cached.hive && cached.inode == status.st_ino && cached.modifiedNanoseconds == modified &&
      cached.size == status.st_size) {
    return cached.hive;
  }
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    return EmptyHive();
  }
  std::ostringstream contents;
  contents << file.rdbuf();
  auto hive = std::make_shared<const Hive>(Hive::Parse(contents.str()));
  cached = CachedHive{status.st_ino, modified, status.st_size, std::move(hive)};
  return cached.hive;
}

std::string Utf16LittleEndianToUtf8(const std::vector<std::uint8_t>& bytes) {
  std::u16string text;
  for (std::size_t index = 0; index + 1 < bytes.size(); index += 2) {
    text.push_back(static_cast<char16_t>(bytes[index] | (bytes[index + 1] << 8)));
  }
  return Utf16ToUtf8(text);
}

std::optional<std::string> StringValue(const HiveValue& value) {
  if (value.type != static_cast<std::uint32_t>(RegistryValueType::String) &&
      value.type != static_cast<std::uint32_t>(RegistryValueType::ExpandString)) {
    return std::nullopt;
  }
  std::string text = Utf16LittleEndianToUtf8(value.data);
  text.resize(std::min(text.size(), text.find('\0')));
  return text;
}

std::string FoldName(std::string_view name) {
  std::string folded(name);
  for (std::size_t index = 0; index < folded.size(); ++index) {
    const auto byte = static_cast<unsigned char>(folded[index]);
    if (byte >= 'A' && byte <= 'Z') {
      folded[index] = static_cast<char>(byte - 'A' + 'a');
      continue;
    }
    // Latin-1 capitals U+00C0..U+00DE (not U+00D7) are C3 80..C3 9E in UTF-8.
    if (byte == 0xC3 && index + 1 < folded.size()) {
      const auto next = static_cast<unsigned char>(folded[index + 1]);
      if (next >= 0x80 && next <= 0x9E && next != 0x97) {
        folded[index + 1] = static_cast<char>(next + 0x20);
      }
      ++index;
    }
  }
  return folded;
}

}  // namespace platform::posix
