// Serial ports over POSIX termios: one descriptor per caller-chosen
// identifier, polled for waiting bytes and read without blocking, never written.
#pragma once

#include <sys/types.h>

#include <iostream>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "serial/port_failure_posix.hpp"
#include "serial/port_restore_posix.hpp"
#include "serial/serial_port.hpp"

namespace kurvlux {

struct PortEntryPosix {
  PortHold hold;
  bool failed = false;         // the count or a read found the device gone since the open
  dev_t device = 0;            // the device number: two paths to one device are one port
  std::string path;            // the path it was opened with
  std::int32_t wakeCount = 1;  // the VMIN the port has now
};

class SerialPortsPosix final : public SerialPorts {
 public:
  // A device that cannot be opened gets one line in `diagnostics`, and a
  // failed port one when its failureMessage is asked for; nothing else is
  // ever written there. `facts` answers what the lines and the window's box
  // say about a failure.
  explicit SerialPortsPosix(std::ostream& diagnostics = std::cerr,
                            SystemFactsPosix& facts = liveSystemFacts());
  ~SerialPortsPosix() override;
  SerialPortsPosix(const SerialPortsPosix&) = delete;
  SerialPortsPosix& operator=(const SerialPortsPosix&) = delete;

  // The port name is a path if it starts with "/", else a device under /dev.
  // The result is the descriptor, which is never 0, 1 or 2. Closing puts the
  // device's settings back as they were found and lets others open it again.
  std::uintptr_t openPort(int id, TextView portName, const PortSettings& settings) override;
  std::int32_t waitingByteCount(int id) override;
  // Reads at most length bytes, those that are there: a count from
  // waitingByteCount is there in full, and a read never waits for more.
  std::int32_t readPortBytes(int id, std::uint8_t* buffer, std::int32_t length) override;
  bool portFailed(int id) override;
  Text failureMessage(int id) override;
  // Through VMIN: the terminal's line discipline reports it readable to poll
  // only once that many bytes wait; a read still takes what is there. The
  // put-back on every ending restores the count found at the open.
  void setWakeCount(int id, std::int32_t count) override;
  void closePort(int id) override;
  void closeAllPorts() override;
  // Notes which board each USB name leads to, so that a board that comes
  // back under another name can be named; done at every open, and by the
  // caller whenever it lists the ports.
  void rememberUsbNames();

 private:
  // Where the open sequence stopped: what it did to the device so far, the
  // device it reached, and why it stopped (empty: the port is configured).
  struct Opening {
    PortHold hold;
    dev_t device = 0;
    std::string refusal;
    OpenStop stop;
  };
  Opening take(const std::string& path, const PortSettings& settings);
  // The identifier's entry, nullptr outside the table; lock_ is held.
  PortEntryPosix* entryOf(int id);
  int lookUp(int id);
  void markFailed(int id, int fd);
  bool holds(dev_t device, const std::string& path) const;
  void report(std::string_view path, std::string_view reason);
  std::vector<UsbNamePosix> rememberedUsbNames() const;

  std::ostream& diagnostics_;
  SystemFactsPosix& facts_;
  // Guards the table's lookups and changes; the OS calls on a port run outside it.
  mutable std::mutex lock_;
  std::vector<PortEntryPosix> entries_;
  std::vector<UsbNamePosix> usbNames_;
  int refusedId_ = -1;  // the identifier whose last open was refused, and why
  Text refusal_;
};

}  // namespace kurvlux
