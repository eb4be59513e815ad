// The fault table. One plan per operation, guarded by a mutex: tests arm it from
// the test thread, and file operations may come from any thread of the component
// or an engine. While nothing is armed a call costs one atomic load.
#include "platform/file_faults.h"

#include <atomic>
#include <mutex>

namespace platform::file_faults {

namespace {

struct FaultPlan {
  bool armed = false;
  std::uint32_t callsBeforeFault = 0;
  Persistence persistence = Persistence::Once;
  Win32Error error = win32_error::Success;
  bool fired = false;
};

std::mutex planMutex;
std::array<FaultPlan, AllOperations.size()> plans;
std::atomic<bool> anyArmed{false};

FaultPlan& PlanOf(Operation operation) {
  return plans[static_cast<std::size_t>(operation)];
}

}  // namespace

std::string_view NameOf(Operation operation) {
  switch (operation) {
    case Operation::Create:
      return "Create";
    case Operation::Write:
      return "Write";
    case Operation::Flush:
      return "Flush";
    case Operation::Close:
      return "Close";
    case Operation::SetEnd:
      return "SetEnd";
    case Operation::Move:
      return "Move";
    case Operation::Delete:
      return "Delete";
    case Operation::Recycle:
      return "Recycle";
    case Operation::HardLink:
      return "HardLink";
    case Operation::SetDate:
      return "SetDate";
  }
  return "?";
}

void Fail(Operation operation, std::uint32_t callNumber, Persistence persistence, Win32Error error) {
  const std::lock_guard lock(planMutex);
  // Call 0 does not exist; the next call is the first.
  PlanOf(operation) = FaultPlan{true, callNumber > 0 ? callNumber - 1 : 0, persistence, error, false};
  anyArmed.store(true);
}

void Clear() {
  const std::lock_guard lock(planMutex);
  plans.fill(FaultPlan{});
  anyArmed.store(false);
}

bool Fired(Operation operation) {
  const std::lock_guard lock(planMutex);
  return PlanOf(operation).fired;
}

bool ShouldFail(Operation operation) {
  if (!anyArmed.load(std::memory_order_relaxed)) {
    return false;
  }
  Win32Error error = win32_error::Success;
  {
    const std::lock_guard lock(planMutex);
    FaultPlan& plan = PlanOf(operation);
    if (!plan.armed) {
      return false;
    }
    if (plan.callsBeforeFault > 0) {
      --plan.callsBeforeFault;
      return false;
    }
    plan.fired = true;
    plan.armed = plan.persistence == Persistence::FromThenOn;
    error = plan.error;
  }
  SetLastError(error);
  return true;
}

}  // namespace platform::file_faults
