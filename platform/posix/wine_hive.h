// Reading Wine's registry files ("WINE REGISTRY Version 2" text format).
//
// A hive is the set of keys of one file: key lines "[Software\\Wine] 1700000000",
// key options ("#time=", "#class=", "#link") that are skipped, and value lines
// `"name"=data` or `@=data` with the data forms "text", str:"", str(N):"",
// dword:xxxxxxxx, hex:.., and hex(N):.. (which may continue over lines ending in
// "\"). Strings are kept as Windows keeps them: UTF-16LE with their terminating
// zero. Names are compared without regard to letter case.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace platform::posix {

struct HiveValue {
  std::string name;  // UTF-8; empty for the default value
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
};

struct HiveKey {
  std::vector<HiveValue> values;

  [[nodiscard]] const HiveValue* FindValue(std::string_view name) const;
};

class Hive {
 public:
  // An empty hive when the text does not start with the version line.
  [[nodiscard]] static Hive Parse(std::string_view text);

  // The key at `path` ("Software\Wine", separators "\"); nullptr when absent.
  // A key that only has subkeys in the file exists without values.
  [[nodiscard]] const HiveKey* FindKey(std::string_view path) const;

  [[nodiscard]] std::size_t KeyCount() const { return keys_.size(); }

 private:
  // Key paths folded to lower case, so that lookups ignore letter case.
  std::map<std::string, HiveKey> keys_;
};

// The hive file of `root` in the current prefix: user.reg or system.reg.
[[nodiscard]] std::string HiveFilePath(RegistryRoot root);

// The hive of `root` as the file is now; a missing or unreadable file is an empty
// hive. Parsed hives are cached until the file changes.
[[nodiscard]] std::shared_ptr<const Hive> LoadHive(RegistryRoot root);

// A string value (REG_SZ or REG_EXPAND_SZ) as UTF-8 up to its first zero.
[[nodiscard]] std::optional<std::string> StringValue(const HiveValue& value);

// UTF-16LE bytes to UTF-8; unpaired surrogates become U+FFFD.
[[nodiscard]] std::string Utf16LittleEndianToUtf8(const std::vector<std::uint8_t>& bytes);

// Lower-cases ASCII and the Latin-1 letters, the folding used for key and value names.
[[nodiscard]] std::string FoldName(std::string_view name);

}  // namespace platform::posix
