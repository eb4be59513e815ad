// The POSIX machine: a scratch Wine prefix whose hive files this writes in Wine's
// own text format (saved as Wine saves them, a new file renamed over the old), whose
// dosdevices links are the drives, and a scratch XDG data folder for the Trash.
#include "tests/platform/test_machine.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>

#include "platform/temp_and_environment.h"

namespace platform_test {

namespace {

struct StoredValue {
  std::string name;
  std::string dataLine;  // what follows "=" in the hive file
};

using HiveContents = std::map<std::string, std::vector<StoredValue>>;

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string converted;
  for (std::size_t index = 0; index < text.size();) {
    const auto lead = static_cast<unsigned char>(text[index]);
    std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t codePoint = length == 1 ? lead : length == 2 ? (lead & 0x1Fu) : length == 3 ? (lead & 0x0Fu) : (lead & 0x07u);
    for (std::size_t next = 1; next < length && index + next < text.size(); ++next) {
      codePoint = (codePoint << 6) | (static_cast<unsigned char>(text[index + next]) & 0x3Fu);
    }
    index += length;
    if (codePoint >= 0x10000) {
      codePoint -= 0x10000;
      converted.push_back(static_cast<char16_t>(0xD800 + (codePoint >> 10)));
      converted.push_back(static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF)));
    } else {
      converted.push_back(static_cast<char16_t>(codePoint));
    }
  }
  return converted;
}

bool IsHexDigit(char16_t unit) {
  return (unit >= '0' && unit <= '9') || (unit >= 'a' && unit <= 'f') || (unit >= 'A' && unit <= 'F');
}

// Wine's string dump: "\" and the delimiters escaped, control characters as C
// escapes or octal, everything above ASCII as \x (four digits when a hex digit follows).
std::string EscapeText(std::u16string_view text, std::string_view delimiters) {
  std::string escaped;
  for (std::size_t index = 0; index < text.size(); ++index) {
    const char16_t unit = text[index];
    const bool nextIsHex = index + 1 < text.size() && IsHexDigit(text[index + 1]);
    const bool nextIsOctal = index + 1 < text.size() && text[index + 1] >= '0' && text[index + 1] <= '7';
    char buffer[16] = {};
    if (unit > 127) {
      std::snprintf(buffer, sizeof buffer, nextIsHex ? "\\x%04x" : "\\x%x", static_cast<unsigned>(unit));
    } else if (unit == '\\' || delimiters.find(static_cast<char>(unit)) != std::string_view::npos) {
      buffer[0] = '\\';
      buffer[1] = static_cast<char>(unit);
    } else if (unit == '\n') {
      std::snprintf(buffer, sizeof buffer, "\\n");
    } else if (unit == '\t') {
      std::snprintf(buffer, sizeof buffer, "\\t");
    } else if (unit < 32) {
      std::snprintf(buffer, sizeof buffer, nextIsOctal ? "\\%03o" : "\\%o", static_cast<unsigned>(unit));
    } else {
      buffer[0] = static_cast<char>(unit);
    }
    escaped.append(buffer);
  }
  return escaped;
}

// A string of the dump in its quotes. Appended piece by piece: GCC 12 misreads
// "\"" + std::string as overlapping copies (-Wrestrict).
std::string QuotedText(std::u16string_view text) {
  std::string quoted = "\"";
  quoted += EscapeText(text, "\"");
  quoted += '"';
  return quoted;
}

// Long data wraps as Wine wraps it, so continuation lines are exercised too.
std::string HexBytes(const std::vector<std::uint8_t>& data) {
  std::string text;
  for (std::size_t index = 0; index < data.size(); ++index) {
    if (index > 0) {
      text.append(index % 24 == 0 ? ",\\\n  " : ",");
    }
    char byte[4] = {};
    std::snprintf(byte, sizeof byte, "%02x", data[index]);
    text.append(byte);
  }
  return text;
}

bool IsStringType(platform::RegistryValueType type) {
  return type == platform::RegistryValueType::String || type == platform::RegistryValueType::ExpandString ||
         type == platform::RegistryValueType::MultiString;
}

std::vector<std::uint8_t> Utf16LittleEndian(std::u16string_view text) {
  std::vector<std::uint8_t> bytes;
  for (const char16_t unit : text) {
    bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
  return bytes;
}

std::string HexDataLine(platform::RegistryValueType type, const std::vector<std::uint8_t>& data) {
  const auto number = static_cast<unsigned>(type);
  if (type == platform::RegistryValueType::Binary) {
    return "hex:" + HexBytes(data);
  }
  char prefix[16] = {};
  std::snprintf(prefix, sizeof prefix, "hex(%x):", number);
  return prefix + HexBytes(data);
}

std::string StringDataLine(platform::RegistryValueType type, std::u16string_view text) {
  const std::string quoted = QuotedText(text);
  if (type == platform::RegistryValueType::String) {
    return quoted;
  }
  return "str(" + std::to_string(static_cast<unsigned>(type)) + "):" + quoted;
}

}  // namespace

struct TestMachine::State {
  ScratchFolder scratch;
  std::string prefix;
  std::optional<std::string> previousPrefix;
  std::optional<std::string> previousDataHome;
  std::map<platform::RegistryRoot, HiveContents> hives;

  std::string HivePath(platform::RegistryRoot root) const {
    return prefix + (root == platform::RegistryRoot::LocalMachine ? "/system.reg" : "/user.reg");
  }

  void Store(platform::RegistryRoot root, const std::string& keyPath, StoredValue value) {
    std::vector<StoredValue>& values = hives[root][keyPath];
    std::erase_if(values, [&value](const StoredValue& existing) { return existing.name == value.name; });
    values.push_back(std::move(value));
    SaveHive(root);
  }

  void SaveHive(platform::RegistryRoot root) {
    const std::string temporary = prefix + "/reg.tmp";
    {
      std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
      file << "WINE REGISTRY Version 2\n;; All keys relative to \\\\"
           << (root == platform::RegistryRoot::LocalMachine ? "Machine" : "User\\\\S-1-5-21-0-0-0-1000")
           << "\n\n#arch=win32\n";
      for (const auto& [keyPath, values] : hives[root]) {
        file << "\n[" << EscapeText(Utf8ToUtf16(keyPath), "[]") << "] 1700000000\n#time=1d9f1c4b7a3e000\n";
        for (const StoredValue& value : values) {
          file << (value.name.empty() ? "@" : QuotedText(Utf8ToUtf16(value.name))) << "="
               << value.dataLine << "\n";
        }
      }
    }
    std::filesystem::rename(temporary, HivePath(root));
  }
};

TestMachine::TestMachine() : state_(new State) {
  state_->prefix = state_->scratch.PathOf("prefix");
  state_->scratch.MakeFolder("prefix/dosdevices");
  state_->previousPrefix = platform::GetEnvironmentVariable("WINEPREFIX");
  state_->previousDataHome = platform::GetEnvironmentVariable("XDG_DATA_HOME");
  platform::SetEnvironmentVariable("WINEPREFIX", state_->prefix);
  platform::SetEnvironmentVariable("XDG_DATA_HOME", state_->scratch.PathOf("data"));
}

TestMachine::~TestMachine() {
  platform::SetEnvironmentVariable("WINEPREFIX", state_->previousPrefix);
  platform::SetEnvironmentVariable("XDG_DATA_HOME", state_->previousDataHome);
  delete state_;
}

void TestMachine::SetStringValue(platform::RegistryRoot root, std::string_view subKey, std::string_view valueName,
                                 std::string_view text, platform::RegistryValueType type) {
  state_->Store(root, std::string(TestKeyPath) + "\\" + std::string(subKey),
                {std::string(valueName), StringDataLine(type, Utf8ToUtf16(text))});
}

// As RegSetValueExA: string types arrive as ANSI bytes and are kept in UTF-16, in
// hex form when they are not one plain zero-terminated text.
void TestMachine::SetBinaryValue(platform::RegistryRoot root, std::string_view subKey, std::string_view valueName,
                                 platform::RegistryValueType type, const std::vector<std::uint8_t>& data) {
  std::vector<std::uint8_t> stored = data;
  if (IsStringType(type)) {
    stored = Utf16LittleEndian(Utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(data.data()), data.size())));
  }
  state_->Store(root, std::string(TestKeyPath) + "\\" + std::string(subKey),
                {std::string(valueName), HexDataLine(type, stored)});
}

void TestMachine::SetDwordValue(platform::RegistryRoot root, std::string_view subKey, std::string_view valueName,
                                std::uint32_t value) {
  char line[32] = {};
  std::snprintf(line, sizeof line, "dword:%08x", value);
  state_->Store(root, std::string(TestKeyPath) + "\\" + std::string(subKey), {std::string(valueName), line});
}

bool TestMachine::MakeRegistryReadOnly(platform::RegistryRoot root, std::string& /*reason*/) {
  state_->SaveHive(root);
  return chmod(state_->HivePath(root).c_str(), 0444) == 0;
}

bool TestMachine::MapDrive(char letter, const std::string& folder, std::string_view wineType, std::string& reason) {
  const std::string link = state_->prefix + "/dosdevices/" + static_cast<char>(std::tolower(letter)) + ":";
  std::error_code ignored;
  std::filesystem::remove(link, ignored);
  std::filesystem::create_directory_symlink(folder, link, ignored);
  if (ignored) {
    reason = "cannot link " + link;
    return false;
  }
  if (!wineType.empty()) {
    const std::string valueName = std::string(1, static_cast<char>(std::tolower(letter))) + ":";
    state_->Store(platform::RegistryRoot::LocalMachine, "Software\\Wine\\Drives",
                  {valueName, StringDataLine(platform::RegistryValueType::String, Utf8ToUtf16(wineType))});
  }
  return true;
}

bool TestMachine::SetDriveMedia(char letter, std::string_view label, std::uint32_t serial, std::string& /*reason*/) {
  const std::string root = state_->prefix + "/dosdevices/" + static_cast<char>(std::tolower(letter)) + ":";
  std::ofstream(root + "/.windows-label", std::ios::trunc) << label << "\n";
  char serialText[16] = {};
  std::snprintf(serialText, sizeof serialText, "%x", serial);
  std::ofstream(root + "/.windows-serial", std::ios::trunc) << serialText << "\n";
  return true;
}

std::optional<std::string> TestMachine::TrashFolder() const {
  return state_->scratch.PathOf("data/Trash");
}

}  // namespace platform_test
