// Filling the placeholders of message texts: %s (a text), %d and %.1d (a decimal
// number of at least one digit) and %% (a percent sign). The values come in the
// order of the placeholders. The message text is the only pattern: no value is
// ever read as a pattern, so user texts with "%" in them are safe.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace zipbuilder {

using MessageValue = std::variant<std::int64_t, std::string>;

// A placeholder without a value left for it, and any "%" that begins no known
// placeholder, are copied unchanged. A value is written in its own form whatever
// the placeholder asks (a number under %s is written in decimal).
[[nodiscard]] std::string FormatMessageText(std::string_view pattern, std::span<const MessageValue> values);

}  // namespace zipbuilder
