// Byte-exact checks of engine records: each expected field by its place in the
// record, and every byte outside the expected fields zero. Places come from the
// record declarations, whose 32-bit offsets engines/engine_records.h pins down,
// so the same checks hold on the 32-bit build and on 64-bit builds.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace zipbuilder::testing_support {

struct ExpectedField {
  std::size_t Offset;
  std::size_t Width;
  const char* Name;
  // Nothing: an address, expected to be non-null.
  std::optional<std::uint64_t> Value = std::nullopt;
};

// RECORD_FIELD(Record, member, value) expects `value`; without a value, an address.
#define RECORD_FIELD(Record, member, ...)                                                          \
  ::zipbuilder::testing_support::ExpectedField {                                                   \
    offsetof(Record, member), sizeof(std::declval<Record&>().member), #member __VA_OPT__(, ) __VA_ARGS__ \
  }

[[nodiscard]] inline std::uint64_t ReadLittleEndian(std::span<const std::byte> bytes, std::size_t offset,
                                                    std::size_t width) {
  std::uint64_t value = 0;
  for (std::size_t index = width; index-- > 0;) {
    value = (value << 8) | std::to_integer<std::uint64_t>(bytes[offset + index]);
  }
  return value;
}

inline void ExpectRecordBytes(std::span<const std::byte> bytes, const std::vector<ExpectedField>& fields) {
  std::vector<bool> covered(bytes.size(), false);
  for (const ExpectedField& field : fields) {
    ASSERT_LE(field.Offset + field.Width, bytes.size()) << field.Name;
    const std::uint64_t value = ReadLittleEndian(bytes, field.Offset, field.Width);
    if (field.Value) {
      EXPECT_EQ(value, *field.Value) << field.Name;
    } else {
      EXPECT_NE(value, 0u) << field.Name << " should hold an address";
    }
    std::fill_n(covered.begin() + static_cast<std::ptrdiff_t>(field.Offset), field.Width, true);
  }
  std::size_t strayCount = 0;
  std::optional<std::size_t> firstStray;
  for (std::size_t offset = 0; offset < bytes.size(); ++offset) {
    if (!covered[offset] && bytes[offset] != std::byte{0}) {
      ++strayCount;
      firstStray = firstStray.value_or(offset);
    }
  }
  EXPECT_EQ(strayCount, 0u) << "non-zero bytes outside the expected fields, the first at offset "
                            << firstStray.value_or(0);
}

[[nodiscard]] inline std::uint64_t AddressValue(const void* address) {
  return static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(address));
}

}  // namespace zipbuilder::testing_support
