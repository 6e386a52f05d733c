// The millisecond clock and the loop's sleep on POSIX systems.
#pragma once

#include <cstdint>

#include "ui/clock.hpp"

namespace kurvlux {

// Milliseconds of the monotonic clock in 32 bits, wrapping like the Windows
// tick count; the loop only ever takes differences.
std::uint32_t monotonicMilliseconds();

// Sleeps n milliseconds, resumed after a signal so the pace stays as asked.
void sleepMilliseconds(int milliseconds);

class ClockPosix final : public Clock {
 public:
  std::uint32_t tickCount() override { return monotonicMilliseconds(); }
};

}  // namespace kurvlux
