// The controls as the program's logic sees them: polled states and texts,
// named by small identifiers. The Win32 layer implements this over real
// windows; tests implement it with a recording fake.
#pragma once

#include <cstdint>

#include "text/convert.hpp"

namespace kurvlux {

// Identifiers of the controls of the main window.
enum ControlId : int {
  imageControlId = 5,
  portBoxId = 6,
  baudBoxId = 7,
  modeListId = 8,
  thresholdBoxId = 9,
  connectToggleId = 10,
  pauseToggleId = 11,
  infoToggleId = 12,
};

class Controls {
 public:
  virtual ~Controls() = default;
  // Combo box: selected index or -1; toggle: 1 pressed, 0 released; image
  // control: the bitmap handle. 0 for an identifier without a control.
  virtual std::intptr_t controlState(int id) = 0;
  virtual void setControlState(int id, std::intptr_t value) = 0;
  // Editable combo: the edit field; list-only combo: the selected item;
  // button: the caption. Empty for an identifier without a control.
  virtual Text controlText(int id) = 0;
  virtual void setControlText(int id, TextView text) = 0;
  // Non-zero disables, 0 enables.
  virtual void disableControl(int id, int flag) = 0;
  // Position -1 appends.
  virtual void addControlItem(int id, int position, TextView text) = 0;
  virtual void setControlTooltip(int id, TextView text) = 0;
};

}  // namespace kurvlux
