// When an idle pass of the Linux program wakes again, and for how many
// bytes: a pass per USB chunk costs a thousand wakes a second, most of them
// for bytes nobody sees until a frame is complete or the pause ends. While
// a frame is far from complete the wait has only a deadline; near its end
// the port's wait ends once the bytes it lacks are there.
#pragma once

#include <cstdint>

namespace kurvlux {

// What the loop knows when a pass found nothing to read.
struct WakeSituation {
  // Paused (nothing is drawn, but the oscilloscope still counts).
  bool paused = false;
  // Some part of the canvas can be seen on screen.
  bool seen = true;
  bool oscilloscope = true;
  // Bytes until the oscilloscope's frame in progress is complete.
  std::int32_t bytesForFrame = 1001;
  // Milliseconds until the oscilloscope's statistics are due; 0 or less once
  // they are due (they appear with the next byte).
  std::int32_t untilStatistics = 1000;
  // Milliseconds until the snapshot's re-show while nothing draws, else -1.
  int untilRedraw = -1;
  // What the line can carry (baud / 10) and what arrived of late.
  std::int32_t lineBytesPerSecond = 25000;
  std::int32_t recentBytesPerSecond = 0;
  // A recording keeps each burst's arrival time.
  bool timesBursts = false;
};

struct WakePlan {
  // False: the port's bytes do not end the wait, only the deadline does.
  bool watchPort = true;
  // The wait ends once this many bytes wait (termios VMIN: 1 to 255).
  std::int32_t byteCount = 1;
  int deadline = -1;  // milliseconds, -1: none
  bool operator==(const WakePlan&) const = default;
};

WakePlan planWake(const WakeSituation& situation);

// Bytes per second over the last tenth of a second or more.
class RecentByteRate {
 public:
  void add(std::int32_t bytes) { bytes_ += bytes; }
  // Closes the window once it is long enough.
  void update(std::uint32_t now);
  std::int32_t bytesPerSecond() const { return rate_; }

 private:
  std::int64_t bytes_ = 0;
  std::uint32_t start_ = 0;
  bool started_ = false;
  std::int32_t rate_ = 0;
};

}  // namespace kurvlux
