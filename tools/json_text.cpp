#include "tools/json_text.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace tools {

namespace {

constexpr std::string_view ReplacementCharacter = "\xEF\xBF\xBD";  // U+FFFD

// What a lead byte promises: the length of its sequence and the range its second
// byte must fall into. The narrowed second-byte ranges are what rule out
// overlong forms, surrogates and values above U+10FFFF; every later byte is a
// plain continuation byte.
struct SequenceShape {
  std::size_t Length = 0;  // 0: the byte cannot start a sequence
  std::uint8_t SecondLow = 0x80;
  std::uint8_t SecondHigh = 0xBF;
};

SequenceShape ShapeOf(std::uint8_t lead) {
  if (lead >= 0xC2 && lead <= 0xDF) {
    return {2};
  }
  if (lead == 0xE0) {
    return {3, 0xA0, 0xBF};
  }
  if (lead == 0xED) {
    return {3, 0x80, 0x9F};
  }
  if (lead >= 0xE1 && lead <= 0xEF) {
    return {3};
  }
  if (lead == 0xF0) {
    return {4, 0x90, 0xBF};
  }
  if (lead == 0xF4) {
    return {4, 0x80, 0x8F};
  }
  if (lead >= 0xF1 && lead <= 0xF3) {
    return {4};
  }
  return {};
}

struct SequenceScan {
  std::size_t Length;  // of the sequence, or of the ill-formed part to replace
  bool WellFormed;
};

SequenceScan ScanSequence(std::string_view text, std::size_t start) {
  const SequenceShape shape = ShapeOf(static_cast<std::uint8_t>(text[start]));
  if (shape.Length == 0) {
    return {1, false};
  }
  for (std::size_t matched = 1; matched < shape.Length; ++matched) {
    if (start + matched >= text.size()) {
      return {matched, false};
    }
    const auto byte = static_cast<std::uint8_t>(text[start + matched]);
    const std::uint8_t low = matched == 1 ? shape.SecondLow : std::uint8_t{0x80};
    const std::uint8_t high = matched == 1 ? shape.SecondHigh : std::uint8_t{0xBF};
    if (byte < low || byte > high) {
      return {matched, false};
    }
  }
  return {shape.Length, true};
}

// Bytes that end a run copied as it is: the quote and the backslash, control
// characters, and every non-ASCII byte (checked as UTF-8 on its own). A table,
// because this is asked for every byte of every name in a listing.
constexpr std::array<bool, 256> EndsPlainRun = [] {
  std::array<bool, 256> ends{};
  for (std::size_t byte = 0; byte < ends.size(); ++byte) {
    ends[byte] = byte < 0x20 || byte >= 0x80 || byte == '"' || byte == '\\';
  }
  return ends;
}();

void AppendEscapedAscii(std::string& json, char character) {
  switch (character) {
    case '"':
      json += "\\\"";
      return;
    case '\\':
      json += "\\\\";
      return;
    case '\b':
      json += "\\b";
      return;
    case '\f':
      json += "\\f";
      return;
    case '\n':
      json += "\\n";
      return;
    case '\r':
      json += "\\r";
      return;
    case '\t':
      json += "\\t";
      return;
    default:
      break;
  }
  constexpr std::string_view HexDigits = "0123456789abcdef";
  const auto byte = static_cast<std::uint8_t>(character);
  json += "\\u00";
  json += HexDigits[byte >> 4];
  json += HexDigits[byte & 0x0F];
}

}  // namespace

void AppendJsonString(std::string& json, std::string_view text) {
  json += '"';
  std::size_t position = 0;
  while (position < text.size()) {
    // Names are mostly plain ASCII: copy such runs whole.
    std::size_t runEnd = position;
    while (runEnd < text.size() && !EndsPlainRun[static_cast<std::uint8_t>(text[runEnd])]) {
      ++runEnd;
    }
    json.append(text, position, runEnd - position);
    position = runEnd;
    if (position == text.size()) {
      break;
    }
    if (static_cast<std::uint8_t>(text[position]) < 0x80) {
      AppendEscapedAscii(json, text[position]);
      ++position;
      continue;
    }
    const SequenceScan scan = ScanSequence(text, position);
    if (scan.WellFormed) {
      json.append(text, position, scan.Length);
    } else {
      json += ReplacementCharacter;
    }
    position += scan.Length;
  }
  json += '"';
}

}  // namespace tools
