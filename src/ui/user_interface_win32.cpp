// Start-up of the window shell, in the order the user sees it built: the
// window first, then the status bar, then the controls that move into it.
#include "ui/user_interface_win32.hpp"

#include <commctrl.h>
#include <objbase.h>

#include "ui/info_message.hpp"
#include "ui/input_controls_win32.hpp"
#include "ui/status_fields.hpp"

namespace kurvlux {

namespace {

constexpr std::uint32_t mainWindowFlags = 0xCA0001;  // caption, system menu, minimise box; centred
constexpr int mainClientWidth = 1000;
constexpr int mainClientHeight = 279;

}  // namespace

UserInterfaceWin32::UserInterfaceWin32(ModeNames modeNames) {
  heap_ = HeapCreate(0, 4096, 0);
  INITCOMMONCONTROLSEX classes{};
  classes.dwSize = sizeof(classes);
  classes.dwICC = ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES;
  InitCommonControlsEx(&classes);
  comInitialised_ = SUCCEEDED(CoInitialize(nullptr));

  windows_.openWindow(controls_, mainWindowId, 0, 0, mainClientWidth, mainClientHeight, windowTitle,
                      mainWindowFlags);

  if (statusBars_.createStatusBar(statusBarId, windows_.windowHandle(mainWindowId)) != nullptr) {
    for (const int width : statusFieldWidths) statusBars_.addStatusField(width);
  }
  writeIdleStatus(statusBars_);

  for (const ControlLayout& layout : controlLayouts) {
    if (layout.type == ControlType::toggleButton) {
      createButton(controls_, layout.id, layout.x, layout.y, layout.width, layout.height, layout.caption,
                   layout.flags);
    } else {
      createComboBox(controls_, layout.id, layout.x, layout.y, layout.width, layout.height, layout.flags);
    }
  }
  // From here on the controls' coordinates count from the status bar's corner.
  // Without a status bar the controls stay in the main window rather than
  // becoming windows of their own.
  // A moved window lands at the top of its new parent's child order, which
  // would make Tab walk the row from right to left; each one is put last
  // instead, so the order is the row's from left to right.
  if (const HWND bar = statusBars_.statusBarHandle(statusBarId)) {
    for (const ControlLayout& layout : controlLayouts) {
      if (const HWND control = controls_.controlHandle(layout.id)) {
        SetParent(control, bar);
        SetWindowPos(control, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      }
    }
  }
  fillControlContents(controls_, modeNames);
}

UserInterfaceWin32::~UserInterfaceWin32() {
  // Windows go before the tables their hooks point into.
  if (const HWND window = mainWindow()) DestroyWindow(window);
  if (comInitialised_) CoUninitialize();
  if (heap_ != nullptr) HeapDestroy(heap_);
}

}  // namespace kurvlux
