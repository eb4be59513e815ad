// TIcon: the picture the component puts into self-extractors, kept as the bytes
// of an icon file (.ico). Empty until a picture is assigned.
#pragma once

#include <cstdint>
#include <vector>

namespace zipbuilder {

class TIcon {
 public:
  [[nodiscard]] bool Empty() const { return iconFile_.empty(); }
  [[nodiscard]] const std::vector<std::uint8_t>& IconFile() const { return iconFile_; }
  void SetIconFile(std::vector<std::uint8_t> iconFile) { iconFile_ = std::move(iconFile); }
  void Clear() { iconFile_.clear(); }

  friend bool operator==(const TIcon&, const TIcon&) = default;

 private:
  std::vector<std::uint8_t> iconFile_;
};

}  // namespace zipbuilder
