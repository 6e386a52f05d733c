// The program's top-level windows: the window table, the window procedure
// that records events for the event pump, and the Tab/Shift+Tab focus keys.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>

#include "text/convert.hpp"
#include "ui/controls_win32.hpp"
#include "ui/event_queue.hpp"

namespace kurvlux {

// Event numbers the main window records besides the close event.
enum WindowEvent : std::int32_t {
  windowMovedEvent = 3,
  windowSizedEvent = 5,
  backgroundErasedEvent = 15,
  windowActivatedEvent = 13104,
  windowMinimisedEvent = 13107,
  windowMaximisedEvent = 13108,
  windowRestoredEvent = 13109,
  windowDeactivatedEvent = 13114,
};

class MainWindowWin32;

struct WindowRecord {
  int id = -1;
  HWND handle = nullptr;
  HACCEL accelerators = nullptr;
  MainWindowWin32* table = nullptr;
  // The control that had the keyboard focus when the window was last deactivated.
  HWND focusBeforeDeactivation = nullptr;
  bool minimisedOrMaximised = false;
};

class MainWindowWin32 {
 public:
  MainWindowWin32() = default;
  MainWindowWin32(const MainWindowWin32&) = delete;
  MainWindowWin32& operator=(const MainWindowWin32&) = delete;
  ~MainWindowWin32();

  // Opens a top-level window with the given client size. The low three bits
  // of flags choose the placement (1: centred; the x and y given are then
  // ignored), the other bits are the window style. The window is shown at
  // once and becomes the container for the controls created next. Returns
  // 0 on failure, leaving the identifier free.
  HWND openWindow(ControlTableWin32& controls, int id, int x, int y, int clientWidth, int clientHeight,
                  TextView title, std::uint32_t flags);
  HWND windowHandle(int id) const;
  // The record of a window of this table, or null for any other window.
  WindowRecord* findByHandle(HWND window) const;

  // The events recorded while messages were dispatched; the event pump takes them.
  EventQueue& events() { return events_; }

 private:
  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void recordEvent(const WindowRecord& record, std::int32_t number);

  std::map<int, std::unique_ptr<WindowRecord>> records_;
  EventQueue events_;
};

// True when the control inside the window is visible and it and every window
// between it and the top-level window are enabled.
bool canTakeFocus(HWND window, HWND control);

// Moves the focus among the window's tab stops; the accelerator keys end here.
void cycleFocus(HWND window, bool forward);

}  // namespace kurvlux
