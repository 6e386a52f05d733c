// The window shell of the program, set up in one go at start: main window,
// status bar with its fields, the seven input controls and their contents.
#pragma once

#include <windows.h>

#include "ui/control_layout.hpp"
#include "ui/controls_win32.hpp"
#include "ui/event_pump_win32.hpp"
#include "ui/main_window_win32.hpp"
#include "ui/status_bar_win32.hpp"

namespace kurvlux {

constexpr int mainWindowId = 0;

class UserInterfaceWin32 {
 public:
  // Runs the whole set-up; results of the single steps are not checked, an
  // object that could not be created simply has no identifier.
  explicit UserInterfaceWin32(ModeNames modeNames);
  UserInterfaceWin32(const UserInterfaceWin32&) = delete;
  UserInterfaceWin32& operator=(const UserInterfaceWin32&) = delete;
  ~UserInterfaceWin32();

  ControlTableWin32& controls() { return controls_; }
  StatusBarWin32& statusBars() { return statusBars_; }
  EventPumpWin32& eventPump() { return pump_; }
  Clock& clock() { return pump_; }
  MainWindowWin32& windows() { return windows_; }
  HWND mainWindow() const { return windows_.windowHandle(mainWindowId); }

 private:
  // The program's private heap, created before anything else and destroyed last.
  HANDLE heap_ = nullptr;
  bool comInitialised_ = false;
  MainWindowWin32 windows_;
  ControlTableWin32 controls_;
  StatusBarWin32 statusBars_;
  EventPumpWin32 pump_{windows_};
};

}  // namespace kurvlux
