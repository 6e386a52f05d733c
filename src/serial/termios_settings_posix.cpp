// Port settings to termios flags.
#include "serial/termios_settings_posix.hpp"

#include "serial/serial_settings.hpp"

namespace kurvlux {

namespace {

constexpr cc_t xonCharacter = 0x11;
constexpr cc_t xoffCharacter = 0x13;

}  // namespace

std::string applyToTermios(termios& t, const PortSettings& port) {
  // Only the low byte of parity and data bits counts, as with the Windows
  // configuration record.
  const int parity = port.parity & 0xFF;
  const int dataBits = port.dataBits & 0xFF;
  tcflag_t size = 0;
  switch (dataBits) {
    case 5:
      size = CS5;
      break;
    case 6:
      size = CS6;
      break;
    case 7:
      size = CS7;
      break;
    case 8:
      size = CS8;
      break;
    default:
      return "cannot use " + std::to_string(dataBits) + " data bits";
  }
  if (parity > 4) return "cannot use parity mode " + std::to_string(parity);

  // Every byte value is a sample: no echo, no line editing, no CR/NL
  // translation, no signal characters, no stripping of the eighth bit.
  cfmakeraw(&t);
  t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB);
  // CLOCAL: a board without carrier detect must not hang the line up.
  t.c_cflag |= size | CLOCAL | CREAD;
  // Parity errors are not checked (no INPCK), so a byte arrives as received,
  // as it does under Windows, where the error is only flagged.
  if (parity == 1) t.c_cflag |= PARENB | PARODD;
  if (parity == 2) t.c_cflag |= PARENB;
  if (parity == 3) t.c_cflag |= PARENB | CMSPAR | PARODD;
  if (parity == 4) t.c_cflag |= PARENB | CMSPAR;
  // termios knows one or two stop bits. A UART sends one and a half when asked
  // for two with five data bits, and no other width has one and a half, so
  // "two" is the nearest for every value other than 1.0.
  if (stopBitsCode(port.stopBits) != 0) t.c_cflag |= CSTOPB;

  switch (port.handshake) {
    case 0:
    case 1:
      // No flow control at all: with IXON left on, samples of 0x11 and 0x13
      // would be taken as flow-control characters and vanish.
      t.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
      t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
      break;
    case 2:
      t.c_cflag |= CRTSCTS;
      t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
      break;
    case 3:
      // The kernel keeps its own thresholds for sending XOFF and XON.
      t.c_iflag |= IXON | IXOFF;
      t.c_cc[VSTART] = xonCharacter;
      t.c_cc[VSTOP] = xoffCharacter;
      break;
    default:
      break;
  }
  // A read returns what is there; the descriptor is non-blocking, so an empty
  // queue answers EAGAIN and only a hung-up line answers 0.
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;
  return {};
}

}  // namespace kurvlux
