// Serial ports as the program's logic sees them: opened by a small identifier,
// polled for waiting bytes and read, never written.
#pragma once

#include <cstdint>

#include "text/convert.hpp"

namespace kurvlux {

struct PortSettings {
  std::int32_t baudRate = 250000;
  std::int32_t parity = 0;  // 0 none, 1 odd, 2 even, 3 mark, 4 space
  std::int32_t dataBits = 8;
  float stopBits = 1.0f;
  std::int32_t handshake = 0;  // 0 none, 1 RTS on, 2 RTS/CTS, 3 XON/XOFF
  std::int32_t inputQueueSize = 10000;
  std::int32_t outputQueueSize = 10000;
};

class SerialPorts {
 public:
  virtual ~SerialPorts() = default;
  // Non-zero (the OS handle) on success, 0 on failure.
  virtual std::uintptr_t openPort(int id, TextView portName, const PortSettings& settings) = 0;
  // Bytes waiting in the driver's input queue; 0 for a port that is not open
  // and also when the status query fails, which portFailed() then reports.
  virtual std::int32_t waitingByteCount(int id) = 0;
  // Reads exactly length bytes (never more) into buffer; returns the number
  // read, 0 on failure or for a port that is not open.
  virtual std::int32_t readPortBytes(int id, std::uint8_t* buffer, std::int32_t length) = 0;
  // True once the status query or a read of an open port has failed (the
  // device vanished); cleared when the port is closed or opened again.
  virtual bool portFailed(int id) = 0;
  // What the user should read about the last failure of this identifier: a
  // refused open, or a failed port before it is closed. Empty where the
  // platform says nothing in the window, as on Windows.
  virtual Text failureMessage(int /*id*/) { return {}; }
  // A wait on the port's handle ends only once this many bytes (1 to 255)
  // wait, where the driver can do so; elsewhere it ends with the first byte.
  virtual void setWakeCount(int /*id*/, std::int32_t /*count*/) {}
  // -1 closes every open port.
  virtual void closePort(int id) = 0;
  virtual void closeAllPorts() = 0;
};

}  // namespace kurvlux
