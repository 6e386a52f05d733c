// The device path and the configuration changes of an opened port.
#include "serial/serial_settings.hpp"

namespace kurvlux {

Text devicePath(TextView portName) {
  constexpr std::size_t prefixLength = 4;
  constexpr std::size_t nameLimit = devicePathCapacity - prefixLength - 1;
  Text path = u"\\\\.\\";
  path += untilNul(portName).substr(0, nameLimit);
  return path;
}

std::uint8_t stopBitsCode(float stopBits) {
  // Exact comparisons: only the two exact values name one or two stop bits.
  if (stopBits == 1.0f) return 0;
  if (stopBits == 2.0f) return 2;
  return 1;
}

CommConfig applyPortSettings(CommConfig config, const PortSettings& settings) {
  config.baudRate = static_cast<std::uint32_t>(settings.baudRate);
  config.byteSize = static_cast<std::uint8_t>(settings.dataBits & 0xFF);
  config.parity = static_cast<std::uint8_t>(settings.parity & 0xFF);
  config.stopBits = stopBitsCode(settings.stopBits);
  config.fParity = 1;
  switch (settings.handshake) {
    case 0:
      config.fOutxCtsFlow = 0;
      config.fRtsControl = 0;
      break;
    case 1:
      config.fOutxCtsFlow = 0;
      config.fRtsControl = 1;
      break;
    case 2:
      config.fOutxCtsFlow = 1;
      config.fRtsControl = 2;
      break;
    case 3: {
      const std::int32_t tenth = settings.inputQueueSize / 10;
      config.fOutX = 1;
      config.fInX = 1;
      config.xonChar = 0x11;
      config.xoffChar = 0x13;
      // Both limits are 16-bit fields: larger queue sizes wrap.
      config.xonLim = static_cast<std::uint16_t>(tenth);
      config.xoffLim = static_cast<std::uint16_t>(tenth * 7);
      break;
    }
    default:
      break;
  }
  return config;
}

}  // namespace kurvlux
