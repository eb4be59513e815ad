// Code pages and comparison on POSIX, where the ANSI code page is UTF-8 and the
// OEM code page is CP437.
//
// Divisions: UTF-8 decoding and encoding; the CP437 table; conversions; the
// comparison, which sorts as the Windows word sort does for the scripts archive
// names usually use: punctuation before digits before letters, accents only
// deciding between otherwise equal texts, and "-" and "'" weighed last.
#include "platform/text.h"

#include <array>
#include <cstdint>
#include <vector>

#include "platform/posix/utf8.h"

namespace platform {

namespace {

constexpr char32_t ReplacementCharacter = 0xFFFD;

// CP437 bytes 0x80..0xFF; bytes below 0x80 are ASCII (control codes included, as
// Windows maps them).
constexpr std::array<char16_t, 128> Cp437Upper = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE,
    0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6,
    0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA,
    0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, 0x2591, 0x2592, 0x2593, 0x2502,
    0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514,
    0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550,
    0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C,
    0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320,
    0x2321, 0x00F7, 0x2248, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
};

// Decodes UTF-8; every byte that starts no valid sequence becomes U+FFFD.
std::vector<char32_t> DecodeUtf8(std::string_view text) {
  std::vector<char32_t> codePoints;
  std::size_t position = 0;
  while (position < text.size()) {
    const auto lead = static_cast<unsigned char>(text[position]);
    std::size_t length = 1;
    char32_t codePoint = lead;
    if (lead >= 0xC2 && lead < 0xE0) {
      length = 2;
      codePoint = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead < 0xF0) {
      length = 3;
      codePoint = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead < 0xF5) {
      length = 4;
      codePoint = lead & 0x07u;
    } else if (lead >= 0x80) {
      length = 0;
    }
    bool valid = length > 0 && position + length <= text.size();
    for (std::size_t index = 1; valid && index < length; ++index) {
      const auto next = static_cast<unsigned char>(text[position + index]);
      valid = (next & 0xC0) == 0x80;
      codePoint = (codePoint << 6) | (next & 0x3Fu);
    }
    if (!valid) {
      codePoints.push_back(ReplacementCharacter);
      ++position;
      continue;
    }
    codePoints.push_back(codePoint);
    position += length;
  }
  return codePoints;
}

char OemByteFor(char32_t codePoint) {
  if (codePoint < 0x80) {
    return static_cast<char>(codePoint);
  }
  for (std::size_t index = 0; index < Cp437Upper.size(); ++index) {
    if (Cp437Upper[index] == codePoint) {
      return static_cast<char>(0x80 + index);
    }
  }
  return '?';
}

// Simple case folding for Latin, Greek and Cyrillic.
char32_t FoldCase(char32_t codePoint) {
  if ((codePoint >= 'A' && codePoint <= 'Z') || (codePoint >= 0xC0 && codePoint <= 0xDE && codePoint != 0xD7)) {
    return codePoint + 0x20;
  }
  if (codePoint >= 0x100 && codePoint <= 0x17F && codePoint != 0x130 && codePoint != 0x131 && codePoint != 0x138 &&
      codePoint != 0x149 && codePoint != 0x17F) {
    const bool oddPairs = (codePoint >= 0x139 && codePoint <= 0x148) || (codePoint >= 0x179 && codePoint <= 0x17E);
    const bool isUpper = oddPairs ? (codePoint % 2 == 1) : (codePoint % 2 == 0);
    return isUpper ? codePoint + 1 : codePoint;
  }
  if ((codePoint >= 0x391 && codePoint <= 0x3A9 && codePoint != 0x3A2) || (codePoint >= 0x410 && codePoint <= 0x42F)) {
    return codePoint + 0x20;
  }
  if (codePoint >= 0x400 && codePoint <= 0x40F) {
    return codePoint + 0x50;
  }
  return codePoint;
}

// The unaccented letter of a lower-case Latin-1 letter, or the letter itself.
char32_t BaseLetter(char32_t folded) {
  static constexpr std::u32string_view latin1Bases = U"aaaaaaaceeeeiiiidnooooo\xF7ouuuuyty";
  if (folded >= 0xE0 && folded <= 0xFF) {
    return latin1Bases[folded - 0xE0];
  }
  return folded;
}

bool IsWordSortIgnorable(char32_t codePoint) {
  return codePoint == '-' || codePoint == '\'';
}

bool IsDigit(char32_t codePoint) {
  return codePoint >= '0' && codePoint <= '9';
}

bool IsLetter(char32_t folded) {
  return (folded >= 'a' && folded <= 'z') || (folded >= 0xDF && folded != 0xF7);
}

// Primary weight: script group first, then the unaccented, case-folded letter.
std::uint64_t PrimaryWeight(char32_t codePoint) {
  const char32_t folded = FoldCase(codePoint);
  std::uint64_t group = 1;  // spaces, punctuation and symbols
  if (IsDigit(folded)) {
    group = 2;
  } else if (IsLetter(folded)) {
    group = 3;
  }
  return (group << 32) | BaseLetter(folded);
}

int Sign(std::int64_t difference) {
  return difference < 0 ? -1 : (difference > 0 ? 1 : 0);
}

template <typename Weight>
int CompareWeights(const std::vector<char32_t>& left, const std::vector<char32_t>& right, bool skipIgnorable,
                   Weight weight) {
  std::size_t leftIndex = 0;
  std::size_t rightIndex = 0;
  for (;;) {
    while (skipIgnorable && leftIndex < left.size() && IsWordSortIgnorable(left[leftIndex])) {
      ++leftIndex;
    }
    while (skipIgnorable && rightIndex < right.size() && IsWordSortIgnorable(right[rightIndex])) {
      ++rightIndex;
    }
    const bool leftDone = leftIndex == left.size();
    const bool rightDone = rightIndex == right.size();
    if (leftDone || rightDone) {
      return Sign(static_cast<std::int64_t>(rightDone) - static_cast<std::int64_t>(leftDone));
    }
    const std::uint64_t leftWeight = weight(left[leftIndex++]);
    const std::uint64_t rightWeight = weight(right[rightIndex++]);
    if (leftWeight != rightWeight) {
      return leftWeight < rightWeight ? -1 : 1;
    }
  }
}

}  // namespace

std::string OemToChar(std::string_view oemText) {
  std::string text;
  text.reserve(oemText.size());
  for (const char byte : oemText) {
    const auto value = static_cast<unsigned char>(byte);
    posix::AppendUtf8(text, value < 0x80 ? char32_t{value} : char32_t{Cp437Upper[value - 0x80]});
  }
  return text;
}

std::string CharToOem(std::string_view ansiText) {
  std::string text;
  for (const char32_t codePoint : DecodeUtf8(ansiText)) {
    text.push_back(OemByteFor(codePoint));
  }
  return text;
}

std::string Utf8ToAnsi(std::string_view utf8Text) {
  return std::string(utf8Text);
}

std::string AnsiToUtf8(std::string_view ansiText) {
  return std::string(ansiText);
}

int CompareTextIgnoreCase(std::string_view left, std::string_view right) {
  const std::vector<char32_t> leftCodes = DecodeUtf8(left);
  const std::vector<char32_t> rightCodes = DecodeUtf8(right);
  if (const int primary = CompareWeights(leftCodes, rightCodes, true, PrimaryWeight); primary != 0) {
    return primary;
  }
  if (const int accents = CompareWeights(leftCodes, rightCodes, true, [](char32_t c) { return FoldCase(c); });
      accents != 0) {
    return accents;
  }
  return CompareWeights(leftCodes, rightCodes, false, [](char32_t c) { return std::uint64_t{FoldCase(c)}; });
}

}  // namespace platform
