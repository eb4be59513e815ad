#include "installer/registry_lookup.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

namespace installer {

std::array<std::string, KnownTargetCount> TargetFolders;

namespace {

// The registry reader of one lookup: the key it opened is closed when it goes.
class RegistryReader {
 public:
  explicit RegistryReader(platform::RegistryRoot root) : root_(root) {}
  ~RegistryReader() {
    if (key_ != nullptr) {
      platform::RegCloseKey(key_);
    }
  }
  RegistryReader(const RegistryReader&) = delete;
  RegistryReader& operator=(const RegistryReader&) = delete;

  // Opens `keyPath` for full access, never creating it.
  [[nodiscard]] bool OpenKey(std::string_view keyPath) {
    if (keyPath.starts_with('\\')) {
      keyPath.remove_prefix(1);
    }
    return platform::RegOpenKeyEx(root_, keyPath, platform::RegistryAccess::FullAccess, key_) ==
           platform::win32_error::Success;
  }

  // The value as text up to its first NUL; an absent or empty value is an empty
  // text; nothing for a value of another type or one that cannot be read.
  [[nodiscard]] std::optional<std::string> ReadString(std::string_view valueName) const {
    platform::RegistryValueType type = platform::RegistryValueType::None;
    std::uint32_t size = 0;
    if (platform::RegQueryValueEx(key_, valueName, &type, nullptr, &size) != platform::win32_error::Success ||
        size == 0) {
      return std::string();
    }
    if (type != platform::RegistryValueType::String && type != platform::RegistryValueType::ExpandString) {
      return std::nullopt;
    }
    std::vector<char> data(size);
    if (platform::RegQueryValueEx(key_, valueName, &type, data.data(), &size) != platform::win32_error::Success) {
      return std::nullopt;
    }
    data.resize(std::min<std::size_t>(size, data.size()));
    return std::string(data.data(), std::find(data.begin(), data.end(), '\0') - data.begin());
  }

 private:
  platform::RegistryRoot root_;
  platform::RegistryKeyHandle key_ = nullptr;
};

void CopyIntoBuffer(const std::string& text, TargetFolderBuffer& buffer) {
  const std::size_t length = std::min(text.size(), buffer.size() - 1);
  std::copy_n(text.begin(), length, buffer.begin());
  buffer[length] = '\0';
}

}  // namespace

bool ReadTargetFolder(const KnownTarget& target, TargetFolderBuffer& buffer) {
  std::string folder;
  bool found = false;
  {
    RegistryReader reader(target.RootKey);
    if (reader.OpenKey(target.KeyPath)) {
      if (std::optional<std::string> text = reader.ReadString(target.ValueName)) {
        folder = std::move(*text);
        found = true;
      }
    }
  }
  CopyIntoBuffer(folder, buffer);
  return found;
}

bool ReadTargetFolder(std::size_t index, TargetFolderBuffer& buffer) {
  return ReadTargetFolder(KnownTargets.at(index), buffer);
}

void ReadAllTargetFolders() {
  for (std::size_t index = 0; index < KnownTargetCount; ++index) {
    TargetFolderBuffer buffer{};
    static_cast<void>(ReadTargetFolder(index, buffer));
    TargetFolders[index] = buffer.data();
  }
}

}  // namespace installer
