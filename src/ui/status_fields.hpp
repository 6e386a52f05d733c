// The five fields of the main window's status bar and what they show while
// no port is connected.
#pragma once

#include <array>

#include "ui/controls.hpp"
#include "ui/status_bar.hpp"

namespace kurvlux {

// Frames, values per second, time per division, the load label, the load.
constexpr std::array<int, 5> statusFieldWidths{70, 100, 100, 120, 80};
constexpr int rateField = 0;
constexpr int valuesField = 1;
constexpr int divisionField = 2;
constexpr int loadLabelField = 3;
constexpr int loadField = 4;

// Written at start and again whenever a connection ends.
void writeIdleStatus(StatusBar& statusBar);

// The texts of fields 1 and 2 as both rate displays write them.
Text valuesPerSecondText(std::int64_t values);
Text divisionTimeText(float milliseconds);

// The load display's maximum: the bytes per second the line carries at ten
// bits a byte, from the baud-rate box (low 32 bits of the quotient).
std::int32_t lineCapacity(Controls& controls);

}  // namespace kurvlux
