// The window shell of the Linux program, set up in one go at start: main
// window, status bar with its fields, the seven input controls and their
// contents, in the same order and geometry as the Windows program.
#pragma once

#include "ui/clock_posix.hpp"
#include "ui/control_layout.hpp"
#include "ui/controls_gtk.hpp"
#include "ui/event_pump_gtk.hpp"
#include "ui/main_window_gtk.hpp"
#include "ui/status_bar_gtk.hpp"

namespace kurvlux {

class UserInterfaceGtk {
 public:
  // GTK must have been initialised. Results of the single steps are not
  // checked: an object that could not be created has no identifier.
  explicit UserInterfaceGtk(ModeNames modeNames);
  UserInterfaceGtk(const UserInterfaceGtk&) = delete;
  UserInterfaceGtk& operator=(const UserInterfaceGtk&) = delete;

  ControlTableGtk& controls() { return controls_; }
  StatusBarGtk& statusBars() { return statusBars_; }
  EventPumpGtk& eventPump() { return pump_; }
  Clock& clock() { return clock_; }
  MainWindowGtk& mainWindow() { return window_; }

 private:
  MainWindowGtk window_;
  ControlTableGtk controls_;
  StatusBarGtk statusBars_;
  EventPumpGtk pump_{window_};
  ClockPosix clock_;
};

}  // namespace kurvlux
