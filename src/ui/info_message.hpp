// The two message boxes behind the "Info" button: what the program shows and
// the example sketch for the board.
#pragma once

#include "text/convert.hpp"
#include "ui/controls.hpp"
#include "ui/event_pump.hpp"

namespace kurvlux {

// The main window's title, also the title of the info boxes.
extern const char16_t* const windowTitle;

Text infoText();
Text sketchText();

// If the info button is pressed: release it first, then show both boxes one
// after the other. Returns only when both have been closed.
void runInfoSequence(Controls& controls, EventPump& pump);

}  // namespace kurvlux
