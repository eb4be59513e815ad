// The clock in local time, from the C library's time zone rules.
#include "platform/date_time.h"

#include <ctime>

#include "platform/posix/local_time.h"

namespace platform {

SystemTime GetLocalTime() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  tm local{};
  localtime_r(&now.tv_sec, &local);
  return posix::SystemTimeFromLocal(local, static_cast<std::uint16_t>(now.tv_nsec / 1'000'000));
}

std::int64_t GetUnixTime() {
  return static_cast<std::int64_t>(std::time(nullptr));
}

}  // namespace platform
