// A millisecond clock that moves only when the test says so.
#pragma once

#include "ui/clock.hpp"

namespace kurvlux::fakes {

class FakeClock final : public Clock {
 public:
  explicit FakeClock(std::uint32_t start = 100000) : now(start) {}
  std::uint32_t tickCount() override {
    ++readings;
    return now;
  }
  void advance(std::uint32_t milliseconds) { now += milliseconds; }

  std::uint32_t now;
  int readings = 0;
};

}  // namespace kurvlux::fakes
