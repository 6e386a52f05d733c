// The window shell of the program, set up in one go at start: main window,
// status bar with its fields, the seven input controls and their contents.
#pragma once

#include <windows.h>

#include "ui/control_layout.hpp"
#include "ui/control_table_win32.hpp"
#include "ui/event_pump_win32.hpp"
#include "ui/main_window_win32.hpp"
#include "ui/status_bar_win32.hpp"

namespace kurvlux {

constexpr int mainWindowId = 0;

class UserInterface {
 public:
  // Runs the whole set-up; results of the single steps are not checked, an
  // object that could not be created simply has no identifier.
  explicit UserInterface(ModeNames modeNames);
  UserInterface(const UserInterface&) = delete;
  UserInterface& operator=(const UserInterface&) = delete;
  ~UserInterface();

  ControlTable& controls() { return controls_; }
  StatusBarTable& statusBars() { return statusBars_; }
  Win32EventPump& eventPump() { return pump_; }
  Clock& clock() { return pump_; }
  WindowTable& windows() { return windows_; }
  HWND mainWindow() const { return windows_.windowHandle(mainWindowId); }
  // The program's private heap, created before anything else.
  HANDLE privateHeap() const { return heap_; }

 private:
  HANDLE heap_ = nullptr;
  bool comInitialised_ = false;
  WindowTable windows_;
  ControlTable controls_;
  StatusBarTable statusBars_;
  Win32EventPump pump_{windows_};
};

}  // namespace kurvlux
