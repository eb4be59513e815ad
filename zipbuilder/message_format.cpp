#include "zipbuilder/message_format.h"

#include <array>
#include <optional>

namespace zipbuilder {

namespace {

// The placeholders message texts use, each with the number of pattern
// characters it takes, "%" included.
struct Placeholder {
  std::string_view Spelling;
  bool TakesValue;
};
constexpr std::array KnownPlaceholders{
    Placeholder{"%%", false},
    Placeholder{"%s", true},
    Placeholder{"%d", true},
    Placeholder{"%.1d", true},
};

std::optional<Placeholder> PlaceholderAt(std::string_view rest) {
  for (const Placeholder& placeholder : KnownPlaceholders) {
    if (rest.starts_with(placeholder.Spelling)) {
      return placeholder;
    }
  }
  return std::nullopt;
}

std::string Render(const MessageValue& value) {
  if (const auto* number = std::get_if<std::int64_t>(&value)) {
    return std::to_string(*number);
  }
  return std::get<std::string>(value);
}

}  // namespace

std::string FormatMessageText(std::string_view pattern, std::span<const MessageValue> values) {
  std::string result;
  std::size_t nextValue = 0;
  std::size_t position = 0;
  while (position < pattern.size()) {
    const std::optional<Placeholder> placeholder =
        pattern[position] == '%' ? PlaceholderAt(pattern.substr(position)) : std::nullopt;
    if (!placeholder) {
      result += pattern[position];
      ++position;
      continue;
    }
    if (!placeholder->TakesValue) {
      result += '%';
    } else if (nextValue < values.size()) {
      result += Render(values[nextValue]);
      ++nextValue;
    } else {
      result += placeholder->Spelling;
    }
    position += placeholder->Spelling.size();
  }
  return result;
}

}  // namespace zipbuilder
