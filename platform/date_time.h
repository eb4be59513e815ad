// Local time and DOS date-time conversion.
#pragma once

#include <cstdint>

namespace platform {

struct SystemTime {
  std::uint16_t year = 0;
  std::uint16_t month = 0;  // 1..12
  std::uint16_t dayOfWeek = 0;  // 0 = Sunday
  std::uint16_t day = 0;
  std::uint16_t hour = 0;
  std::uint16_t minute = 0;
  std::uint16_t second = 0;
  std::uint16_t milliseconds = 0;
};

[[nodiscard]] SystemTime GetLocalTime();

// DOS date-time: date in the high 16 bits (years since 1980 << 9 | month << 5 | day),
// time in the low 16 bits (hour << 11 | minute << 5 | second / 2).
// Years outside 1980..2107 are clamped to the nearest representable date.
[[nodiscard]] std::uint32_t SystemTimeToDosDateTime(const SystemTime& time);
// dayOfWeek is computed; invalid fields are kept as decoded.
[[nodiscard]] SystemTime DosDateTimeToSystemTime(std::uint32_t dosDateTime);

// Seconds since 1970-01-01 UTC.
[[nodiscard]] std::int64_t GetUnixTime();

}  // namespace platform
