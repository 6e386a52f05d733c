// Enabling and tooltips of the controls on Windows.
#include "ui/controls_win32.hpp"

#include "ui/tooltip_win32.hpp"

namespace kurvlux {

void ControlTableWin32::disableControl(int id, int flag) {
  const ControlRecord* record = find(id);
  // Re-applying the state a control already has would change nothing on
  // screen, yet costs the loop a round through the window system per pass.
  if (record && (IsWindowEnabled(record->handle) != FALSE) != (flag == 0)) {
    EnableWindow(record->handle, flag == 0 ? TRUE : FALSE);
  }
}

void ControlTableWin32::setControlTooltip(int id, TextView text) {
  const ControlRecord* record = find(id);
  if (record) setTooltip(record->handle, text);
}

}  // namespace kurvlux
