// What opening a port sets on a terminal device, in termios terms: raw bytes
// in both directions, and the program's parity, data bits, stop bits and flow
// control. Kept apart from the device calls so the mapping is checked on
// settings that a pseudo-terminal would not keep (it forces 8 bits, no parity).
#pragma once

#include <termios.h>

#include <cstdint>
#include <string>

#include "serial/serial_port.hpp"

namespace kurvlux {

// Changes the settings the driver reported for the port settings; the rate is
// left to the caller. Empty on success, else why the settings cannot be made.
std::string applyToTermios(termios& settings, const PortSettings& port);

}  // namespace kurvlux
