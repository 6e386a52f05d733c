// The line rate of a terminal device in bits per second, any value rather
// than one of the fixed B-constants. Its own file because the kernel's
// termios2 header clashes with <termios.h>.
#pragma once

#include <cstdint>

namespace kurvlux {

// Sets input and output rate of the open terminal `fd` to `bitsPerSecond`
// (BOTHER), leaving every other setting as it is. False when refused.
bool setLineSpeed(int fd, std::uint32_t bitsPerSecond);

// The output rate the driver really uses, which may differ from what was
// asked; 0 when it cannot be read.
std::uint32_t lineSpeed(int fd);

}  // namespace kurvlux
