#include "zipformat/spanning.h"

#include <algorithm>
#include <cstdio>

#include "zipformat/little_endian.h"
#include "zipformat/records.h"

namespace zipformat {

namespace {
constexpr std::size_t LabelDigits = 3;
}  // namespace

bool IsSpanMarked(std::span<const std::byte> fileStart) {
  return fileStart.size() >= SpanMarkSize && ReadUint32(fileStart, 0) == DataDescriptorSignature &&
         ReadUint32(fileStart, 4) == LocalHeaderSignature;
}

std::string SpanDiskLabel(int diskNumber) {
  char number[16];
  std::snprintf(number, sizeof number, "%03d", diskNumber + 1);
  return std::string(SpanLabelPrefix) + number;
}

int DiskNumberOfLabel(std::string_view label) {
  if (!label.starts_with(SpanLabelPrefix)) {
    return 0;
  }
  const std::string_view digits = label.substr(SpanLabelPrefix.size(), LabelDigits);
  if (digits.empty() || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return 0;
  }
  int number = 0;
  for (const char digit : digits) {
    number = number * 10 + (digit - '0');
  }
  return number;
}

}  // namespace zipformat
