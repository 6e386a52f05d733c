// The five fields of the main window's status bar and what they show while
// no port is connected.
#pragma once

#include <array>

#include "ui/status_bar.hpp"

namespace kurvlux {

// Frames, values per second, time per division, the load label, the load.
constexpr std::array<int, 5> statusFieldWidths{70, 100, 100, 120, 80};

// Written at start and again whenever a connection ends.
void writeIdleStatus(StatusBar& statusBar);

}  // namespace kurvlux
