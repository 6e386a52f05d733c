// The combo boxes and toggle buttons of the main window, each registered in
// the control table with the operations of its kind.
#pragma once

#include <windows.h>

#include "text/convert.hpp"
#include "ui/controls_win32.hpp"

namespace kurvlux {

// Flags 0x42 make an editable drop-down whose edit field scrolls; flags 0 a
// list-only drop-down. The control is created in the table's container and
// its closed height is made exactly `height`. Returns 0 on failure.
HWND createComboBox(ControlTableWin32& controls, int id, int x, int y, int width, int height, int flags = 0);

// Flags 0x1003 make a toggle that stays pushed in while pressed.
HWND createButton(ControlTableWin32& controls, int id, int x, int y, int width, int height, TextView caption,
                  int flags);

extern const ControlKind editableComboKind;
extern const ControlKind listComboKind;
extern const ControlKind buttonKind;

}  // namespace kurvlux
