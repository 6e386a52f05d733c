// termios2 with BOTHER: the only way to ask Linux for 250000 or 1843200 baud,
// and the only record that holds both rates exactly.
#include "serial/line_speed_posix.hpp"

#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cstdlib>
#include <cstring>

#include "serial/retry_posix.hpp"

namespace kurvlux {

static_assert(sizeof(termios2) == sizeof(SavedTerminal::record));

bool setLineSpeed(int fd, std::uint32_t bitsPerSecond) {
  termios2 settings{};
  if (retryOnSignal([&] { return ioctl(fd, TCGETS2, &settings); }) != 0) return false;
  // The input rate follows the output rate's field (IBSHIFT) unless it is
  // given too: give it, so both directions run at the same rate. The kernel
  // turns a rate with a B-constant back into that constant.
  settings.c_cflag &= ~static_cast<tcflag_t>(CBAUD | (CBAUD << IBSHIFT));
  settings.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
  settings.c_ispeed = bitsPerSecond;
  settings.c_ospeed = bitsPerSecond;
  return retryOnSignal([&] { return ioctl(fd, TCSETS2, &settings); }) == 0;
}

bool setReadMinimum(int fd, std::uint8_t count) {
  termios2 settings{};
  if (retryOnSignal([&] { return ioctl(fd, TCGETS2, &settings); }) != 0) return false;
  settings.c_cc[VMIN] = count;
  return retryOnSignal([&] { return ioctl(fd, TCSETS2, &settings); }) == 0;
}

LineRates lineRates(int fd) {
  termios2 settings{};
  if (retryOnSignal([&] { return ioctl(fd, TCGETS2, &settings); }) != 0) return {};
  return {settings.c_ispeed, settings.c_ospeed};
}

std::optional<std::uint32_t> rateTooFar(LineRates actual, std::int32_t asked) {
  for (const std::uint32_t rate : {actual.input, actual.output}) {
    const long long difference = std::llabs(static_cast<long long>(rate) - asked);
    if (difference * 100 > static_cast<long long>(asked) * 3) return rate;
  }
  return std::nullopt;
}

SavedTerminal saveTerminal(int fd) {
  termios2 settings{};
  SavedTerminal saved;
  saved.valid = retryOnSignal([&] { return ioctl(fd, TCGETS2, &settings); }) == 0;
  std::memcpy(saved.record, &settings, sizeof settings);
  return saved;
}

void restoreTerminal(int fd, const SavedTerminal& saved) {
  if (!saved.valid) return;
  termios2 settings{};
  std::memcpy(&settings, saved.record, sizeof settings);
  // A device that went away refuses; there is nothing left to put back then.
  retryOnSignal([&] { return ioctl(fd, TCSETS2, &settings); });
}

}  // namespace kurvlux
