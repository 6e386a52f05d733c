// Serial ports over the Windows communications interface: one handle per
// caller-chosen identifier, polled and read synchronously, never written.
#pragma once

#include <windows.h>

#include <mutex>
#include <vector>

#include "serial/serial_port.hpp"
#include "serial/serial_settings.hpp"

namespace kurvlux {

struct SerialPortEntry {
  HANDLE handle = nullptr;  // null: not open
  bool failed = false;      // the status query or a read failed since the open
  Text device;              // the device path it was opened with
};

// Identifier to open handle. The table owns every handle in it.
class SerialPortTable {
 public:
  // The entry of a non-negative identifier; grows the table in steps of 16.
  SerialPortEntry& entry(int id);
  // Null for an identifier that is not open (or was never opened).
  HANDLE handle(int id) const;
  // True when an open entry was opened with this device path (any case).
  bool holdsDevice(TextView device) const;
  std::size_t capacity() const { return entries_.size(); }

 private:
  std::vector<SerialPortEntry> entries_;
};

class SerialPortsWin32 final : public SerialPorts {
 public:
  SerialPortsWin32() = default;
  ~SerialPortsWin32() override;
  SerialPortsWin32(const SerialPortsWin32&) = delete;
  SerialPortsWin32& operator=(const SerialPortsWin32&) = delete;

  std::uintptr_t openPort(int id, TextView portName, const PortSettings& settings) override;
  std::int32_t waitingByteCount(int id) override;
  std::int32_t readPortBytes(int id, std::uint8_t* buffer, std::int32_t length) override;
  bool portFailed(int id) override;
  void closePort(int id) override;
  void closeAllPorts() override;

  std::size_t tableCapacity() const;

 private:
  HANDLE lookUp(int id) const;
  void markFailed(int id, HANDLE handle);

  // Guards the table's lookups and changes; the OS calls on a port run outside it.
  mutable std::recursive_mutex lock_;
  SerialPortTable table_;
};

// The DCB fields the mapping works on, and back.
CommConfig commConfigFromDcb(const DCB& dcb);
void storeCommConfig(const CommConfig& config, DCB& dcb);

}  // namespace kurvlux
