// Pacing and window events as the main loop sees them.
#pragma once

#include <cstdint>

#include "text/convert.hpp"

namespace kurvlux {

// The event fetch returns this when the user asked to close the window.
constexpr int closeEvent = 16;
// A wait that only bytes or a window message end.
constexpr int noDeadline = -1;

enum class MessageFont { proportional, fixedWidth };

class EventPump {
 public:
  virtual ~EventPump() = default;
  // Handles at most one window message and never waits; 0 when none was
  // pending, closeEvent when the user closed the window.
  virtual int fetchEvent() = 0;
  // Sleeps about n milliseconds with a 1 ms timer resolution.
  virtual void pauseMilliseconds(int milliseconds) = 0;
  // Called by a pass that found nothing to do: returns once bytes wait at the
  // port with this handle (0: no port is open), a window message waits, or
  // `milliseconds` have passed (noDeadline: none), at once when one of them
  // is there already; it handles none of them. A pump whose loop polls
  // returns sooner.
  virtual void waitForInput(std::uintptr_t port, int milliseconds) = 0;
  // A pump whose wait really sleeps lets the loop plan it (wake_plan.hpp):
  // fewer wakes while nothing new can be seen. One that polls keeps the loop
  // as it is.
  virtual bool plansWaits() const { return false; }
  // Whether any part of the canvas can be seen (not minimised, unmapped or
  // fully covered).
  virtual bool canvasSeen() const { return true; }
  // A modal box with an OK button, owned by the program's window. A platform
  // that can choose the box's font sets program code in a fixed-width one.
  virtual void showMessage(TextView title, TextView text, MessageFont font) = 0;
};

}  // namespace kurvlux
