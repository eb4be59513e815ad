// The write-fault seam. A plain counter guarded by a mutex: tests arm it from the
// test thread, and writes may come from any thread of the component.
#include "platform/write_faults.h"

#include <mutex>

namespace platform::write_faults {

namespace {

struct FaultPlan {
  bool armed = false;
  std::uint32_t writesLeft = 0;
  Win32Error error = win32_error::Success;
};

std::mutex planMutex;
FaultPlan plan;

}  // namespace

void FailAfter(std::uint32_t successfulWrites, Win32Error error) {
  const std::lock_guard lock(planMutex);
  plan = FaultPlan{true, successfulWrites, error};
}

void Clear() {
  const std::lock_guard lock(planMutex);
  plan = FaultPlan{};
}

bool ShouldFailThisWrite() {
  Win32Error error = win32_error::Success;
  {
    const std::lock_guard lock(planMutex);
    if (!plan.armed) {
      return false;
    }
    if (plan.writesLeft > 0) {
      --plan.writesLeft;
      return false;
    }
    error = plan.error;
  }
  SetLastError(error);
  return true;
}

}  // namespace platform::write_faults
