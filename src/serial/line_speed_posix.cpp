// termios2 with BOTHER: the only way to ask Linux for 250000 or 1843200 baud.
#include "serial/line_speed_posix.hpp"

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace kurvlux {

bool setLineSpeed(int fd, std::uint32_t bitsPerSecond) {
  termios2 settings{};
  if (ioctl(fd, TCGETS2, &settings) != 0) return false;
  // The input rate follows the output rate's field (IBSHIFT) unless it is
  // given too: give it, so both directions run at the same rate.
  settings.c_cflag &= ~static_cast<tcflag_t>(CBAUD | (CBAUD << IBSHIFT));
  settings.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
  settings.c_ispeed = bitsPerSecond;
  settings.c_ospeed = bitsPerSecond;
  return ioctl(fd, TCSETS2, &settings) == 0;
}

std::uint32_t lineSpeed(int fd) {
  termios2 settings{};
  if (ioctl(fd, TCGETS2, &settings) != 0) return 0;
  return settings.c_ospeed;
}

}  // namespace kurvlux
