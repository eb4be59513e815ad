#include "platform/date_time.h"

#include "platform/win32/windows_api.h"

namespace platform {

namespace {

// FILETIME counts 100-nanosecond ticks since 1601-01-01.
constexpr std::int64_t TicksPerSecond = 10'000'000;
constexpr std::int64_t SecondsFrom1601To1970 = 11'644'473'600;

}  // namespace

SystemTime GetLocalTime() {
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  return SystemTime{now.wYear, now.wMonth, now.wDayOfWeek, now.wDay,
                    now.wHour, now.wMinute, now.wSecond,   now.wMilliseconds};
}

std::int64_t GetUnixTime() {
  FILETIME now{};
  ::GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER ticks{};
  ticks.LowPart = now.dwLowDateTime;
  ticks.HighPart = now.dwHighDateTime;
  return static_cast<std::int64_t>(ticks.QuadPart) / TicksPerSecond - SecondsFrom1601To1970;
}

}  // namespace platform
