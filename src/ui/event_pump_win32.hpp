// The event fetch of the main loop, the paced sleep, the message box and the
// millisecond clock on Windows.
#pragma once

#include <windows.h>

#include "ui/clock.hpp"
#include "ui/event_pump.hpp"
#include "ui/event_queue.hpp"
#include "ui/main_window_win32.hpp"

namespace kurvlux {

class EventPumpWin32 final : public EventPump, public Clock {
 public:
  explicit EventPumpWin32(MainWindowWin32& windows) : windows_(windows) {}

  // Returns a recorded event if one waits; otherwise handles at most one
  // window message and returns its number, 0 when none was pending.
  int fetchEvent() override;
  void pauseMilliseconds(int milliseconds) override;
  // The loop polls: while a port is open it goes on at once, and a pass
  // without one sleeps 3 ms, whatever the deadline.
  void waitForInput(std::uintptr_t port, int milliseconds) override;
  // A Windows message box has one font for every text.
  void showMessage(TextView title, TextView text, MessageFont font) override;
  std::uint32_t tickCount() override;

  // The event last returned by fetchEvent (for a message: its parameters as
  // the data words).
  const EventRecord& currentEvent() const { return current_; }

 private:
  MainWindowWin32& windows_;
  EventRecord current_;
};

}  // namespace kurvlux
