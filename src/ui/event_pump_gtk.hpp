// The event fetch of the main loop, the paced sleep, the wait of an idle pass
// and the message box on GTK: one non-waiting main-context iteration per
// fetch.
#pragma once

#include <vector>

#include "ui/event_pump.hpp"
#include "ui/main_window_gtk.hpp"

namespace kurvlux {

class EventPumpGtk final : public EventPump {
 public:
  explicit EventPumpGtk(MainWindowGtk& window) : window_(window) {}

  // A recorded event if one waits; otherwise one iteration of GTK's main
  // context without waiting, then the event it recorded, or 0.
  int fetchEvent() override;
  void pauseMilliseconds(int milliseconds) override;
  // Waits in one poll on what GTK's main context waits for (the display,
  // signals, its timers) and on the port's descriptor, and dispatches
  // nothing: the next fetch handles what woke it.
  void waitForInput(std::uintptr_t port, int milliseconds) override;
  bool plansWaits() const override { return true; }
  bool canvasSeen() const override { return window_.seen(); }
  // Modal and blocking: returns when the user has pressed OK or closed it,
  // or another client destroyed it.
  void showMessage(TextView title, TextView text, MessageFont font) override;

  // Ends the program as closing the window does, without waiting for the
  // user: the open box closes and no further box opens.
  void endProgram();

 private:
  MainWindowGtk& window_;
  // Kept from wait to wait: the main context's descriptors, then the port's.
  std::vector<GPollFD> polled_ = std::vector<GPollFD>(16);
};

}  // namespace kurvlux
