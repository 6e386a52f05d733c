// The serial devices the system lists, asked through libserialport, which
// knows which ttyS devices are real UARTs.
#pragma once

#include <vector>

#include "text/convert.hpp"

namespace kurvlux {

// The device paths ("/dev/ttyACM0") in the order libserialport reports them;
// empty when it cannot list them.
std::vector<Text> discoverSerialDevices();

}  // namespace kurvlux
