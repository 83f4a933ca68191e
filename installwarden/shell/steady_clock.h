#pragma once

#include <chrono>

#include "assistant/ports.h"

namespace installwarden {

/// The monotonic clock the assistant measures its durations with.
class SteadyClock final : public Clock {
 public:
  std::chrono::steady_clock::time_point now() override { return std::chrono::steady_clock::now(); }
};

}  // namespace installwarden
