// The C library's broken-down local time as the layer's SystemTime.
#pragma once

#include <ctime>

#include "platform/date_time.h"

namespace platform::posix {

inline SystemTime SystemTimeFromLocal(const tm& local, std::uint16_t milliseconds) {
  SystemTime time;
  time.year = static_cast<std::uint16_t>(local.tm_year + 1900);
  time.month = static_cast<std::uint16_t>(local.tm_mon + 1);
  time.dayOfWeek = static_cast<std::uint16_t>(local.tm_wday);
  time.day = static_cast<std::uint16_t>(local.tm_mday);
  time.hour = static_cast<std::uint16_t>(local.tm_hour);
  time.minute = static_cast<std::uint16_t>(local.tm_min);
  time.second = static_cast<std::uint16_t>(local.tm_sec);
  time.milliseconds = milliseconds;
  return time;
}

}  // namespace platform::posix
