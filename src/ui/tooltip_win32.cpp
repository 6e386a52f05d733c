// Placeholder until the tooltip window is built: registers nothing.
#include "ui/tooltip_win32.hpp"

namespace kurvlux {

void setTooltip(HWND, TextView) {}

}  // namespace kurvlux
