// The line rates of a terminal device in bits per second, any value rather
// than one of the fixed B-constants, and the device's whole settings record
// with both rates. Its own file because the kernel's termios2 header clashes
// with <termios.h>.
#pragma once

#include <cstdint>
#include <optional>

namespace kurvlux {

// Sets input and output rate of the open terminal `fd` to `bitsPerSecond`
// (BOTHER), leaving every other setting as it is. False when refused.
bool setLineSpeed(int fd, std::uint32_t bitsPerSecond);

// How many bytes must wait before the terminal counts as readable to poll
// (VMIN, with VTIME 0), every other setting as it is. False when refused.
bool setReadMinimum(int fd, std::uint8_t count);

struct LineRates {
  std::uint32_t input = 0;
  std::uint32_t output = 0;
};

// The rates the driver really uses, which may differ from what was asked;
// 0 when they cannot be read.
LineRates lineRates(int fd);

// A receiver tolerates a few percent of rate difference between both ends in
// total; a driver that can only come further from the asked rate than 3 %
// would deliver garbled bytes. The first of the two rates that is that far
// off, nothing when both are near enough.
std::optional<std::uint32_t> rateTooFar(LineRates actual, std::int32_t asked);

// A device's settings as the kernel keeps them (termios2: flags, control
// characters and both rates), held as bytes so that callers need not see
// the kernel's header.
struct SavedTerminal {
  alignas(4) unsigned char record[44]{};
  bool valid = false;
};

SavedTerminal saveTerminal(int fd);
// Puts saved settings back; nothing when there are none.
void restoreTerminal(int fd, const SavedTerminal& saved);

}  // namespace kurvlux
