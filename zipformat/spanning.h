// The marks of a spanned set: the first file begins with a span signature, and
// every removable disk of a set carries a volume label with its number.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace zipformat {

// The span signature (the data descriptor's) and the first local header behind it.
inline constexpr std::size_t SpanMarkSize = 8;

// True when `fileStart`, the first bytes of a file, carry the span mark.
[[nodiscard]] bool IsSpanMarked(std::span<const std::byte> fileStart);

// A removable disk of a spanned set is labelled with this and its 1-based number
// in three digits.
inline constexpr std::string_view SpanLabelPrefix = "PKBACK# ";

// The label of disk `diskNumber` (0-based) of a spanned set: "PKBACK# 001" for disk 0.
[[nodiscard]] std::string SpanDiskLabel(int diskNumber);

// The 1-based disk number a "PKBACK# nnn" label carries; 0 for any other label.
// Up to three digits are read; anything but digits there makes it no disk label.
[[nodiscard]] int DiskNumberOfLabel(std::string_view label);

}  // namespace zipformat
