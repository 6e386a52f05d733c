// The program's one tooltip window, shared by all controls.
#pragma once

#include <windows.h>

#include "text/convert.hpp"

namespace kurvlux {

// Registers (or re-registers) the tip text for a control; for a combo box
// also on its edit field, so the tip shows over the whole control. The
// tooltip window is created at the first call.
void setTooltip(HWND control, TextView text);

// Hands a mouse message taken from the queue to the tooltip window, which
// learns from it where the pointer rests; anything else is ignored.
void relayToTooltip(const MSG& message);

// The tooltip window, null before the first setTooltip.
HWND tooltipWindowHandle();

}  // namespace kurvlux
