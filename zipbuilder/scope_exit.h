// Runs an action when a scope is left, however it is left: the busy flags, the
// cursor and open files are given back even when an event handler raises.
#pragma once

#include <utility>

namespace zipbuilder {

template <typename Action>
class ScopeExit {
 public:
  explicit ScopeExit(Action action) : action_(std::move(action)) {}
  ~ScopeExit() { action_(); }
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;

 private:
  Action action_;
};

}  // namespace zipbuilder
