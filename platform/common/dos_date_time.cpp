// DOS date-time packing, the same arithmetic for both backends. Only the reading of
// the clock (GetLocalTime) is backend code.
#include "platform/date_time.h"

namespace platform {

namespace {

constexpr int FirstDosYear = 1980;
constexpr int LastDosYear = 2107;

// Sakamoto's method; 0 = Sunday. Months outside 1..12 are taken modulo 12 so that
// a corrupt stamp still gives a weekday instead of reading past the table.
std::uint16_t DayOfWeek(int year, int month, int day) {
  static constexpr int monthOffsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  const int monthIndex = ((month - 1) % 12 + 12) % 12;
  if (monthIndex < 2) {
    --year;
  }
  const int weekday = (year + year / 4 - year / 100 + year / 400 + monthOffsets[monthIndex] + day) % 7;
  return static_cast<std::uint16_t>((weekday + 7) % 7);
}

}  // namespace

std::uint32_t SystemTimeToDosDateTime(const SystemTime& time) {
  if (time.year < FirstDosYear) {
    return (std::uint32_t{(1u << 5) | 1u} << 16);  // 1980-01-01 00:00:00
  }
  if (time.year > LastDosYear) {
    const std::uint32_t date = (std::uint32_t(LastDosYear - FirstDosYear) << 9) | (12u << 5) | 31u;
    const std::uint32_t clock = (23u << 11) | (59u << 5) | (58u / 2);
    return (date << 16) | clock;
  }
  const std::uint32_t date =
      (std::uint32_t(time.year - FirstDosYear) << 9) | (std::uint32_t(time.month & 0x0F) << 5) | (time.day & 0x1Fu);
  const std::uint32_t clock =
      (std::uint32_t(time.hour & 0x1F) << 11) | (std::uint32_t(time.minute & 0x3F) << 5) | ((time.second / 2) & 0x1Fu);
  return (date << 16) | clock;
}

SystemTime DosDateTimeToSystemTime(std::uint32_t dosDateTime) {
  const std::uint32_t date = dosDateTime >> 16;
  const std::uint32_t clock = dosDateTime & 0xFFFFu;
  SystemTime time;
  time.year = static_cast<std::uint16_t>(FirstDosYear + (date >> 9));
  time.month = static_cast<std::uint16_t>((date >> 5) & 0x0F);
  time.day = static_cast<std::uint16_t>(date & 0x1F);
  time.hour = static_cast<std::uint16_t>(clock >> 11);
  time.minute = static_cast<std::uint16_t>((clock >> 5) & 0x3F);
  time.second = static_cast<std::uint16_t>((clock & 0x1F) * 2);
  time.dayOfWeek = DayOfWeek(time.year, time.month, time.day);
  return time;
}

}  // namespace platform
