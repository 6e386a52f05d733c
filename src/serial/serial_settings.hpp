// What opening a port sets: the device path and the changes to the driver's
// configuration and time-outs. Kept apart from the Win32 calls so the mapping
// is tested natively; every field not named here stays as the driver reports.
#pragma once

#include <cstdint>

#include "serial/serial_port.hpp"
#include "text/convert.hpp"

namespace kurvlux {

// The configuration fields that opening a port may change, with the meaning
// and width of the Windows DCB record.
struct CommConfig {
  std::uint32_t baudRate = 0;
  std::uint8_t byteSize = 0;
  std::uint8_t parity = 0;    // 0 none, 1 odd, 2 even, 3 mark, 4 space
  std::uint8_t stopBits = 0;  // 0 one, 1 one and a half, 2 two
  std::uint8_t fParity = 0;
  std::uint8_t fOutxCtsFlow = 0;
  std::uint8_t fRtsControl = 0;  // 0 disabled, 1 enabled, 2 handshake, 3 toggle
  std::uint8_t fOutX = 0;
  std::uint8_t fInX = 0;
  std::uint16_t xonLim = 0;
  std::uint16_t xoffLim = 0;
  char xonChar = 0;
  char xoffChar = 0;

  bool operator==(const CommConfig&) const = default;
};

struct CommTimeoutValues {
  std::uint32_t readIntervalTimeout = 0;
  std::uint32_t readTotalTimeoutMultiplier = 0;
  std::uint32_t readTotalTimeoutConstant = 0;
  std::uint32_t writeTotalTimeoutMultiplier = 0;
  std::uint32_t writeTotalTimeoutConstant = 0;
};

// The buffer of the device path holds 64 code units: the 4-unit prefix,
// at most 59 of the name's, and the terminating NUL.
constexpr std::size_t devicePathCapacity = 64;

// "\\.\" followed by at most 59 code units of the port name (up to its NUL).
Text devicePath(TextView portName);

// 1.0 gives one stop bit, 2.0 two, every other value one and a half.
std::uint8_t stopBitsCode(float stopBits);

// The reported configuration with the settings applied.
CommConfig applyPortSettings(CommConfig reported, const PortSettings& settings);

// No read time-outs: a read returns when every requested byte has arrived.
constexpr CommTimeoutValues portTimeouts() { return CommTimeoutValues{0, 0, 0, 100, 10}; }

}  // namespace kurvlux
