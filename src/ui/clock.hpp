// The millisecond clock that every elapsed time of the program is read from.
#pragma once

#include <cstdint>

namespace kurvlux {

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since system start; wraps after 49.7 days.
  virtual std::uint32_t tickCount() = 0;
};

// Milliseconds from an earlier reading to a later one. The unsigned
// difference stays right across the clock's wrap.
inline std::uint32_t elapsedSince(std::uint32_t earlier, std::uint32_t now) { return now - earlier; }

}  // namespace kurvlux
