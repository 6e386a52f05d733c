// Opening, polling, reading and closing serial ports with the Win32 calls.
// The OS calls run outside the table lock; only lookups and entries take it.
#include "serial/serial_port_win32.hpp"

#include <limits>

#include "text/wide_text_win32.hpp"

namespace kurvlux {

namespace {

constexpr std::size_t tableStep = 16;

bool validId(int id) { return id >= 0; }

}  // namespace

SerialPortEntry& SerialPortTable::entry(int id) {
  const auto index = static_cast<std::size_t>(id);
  if (index >= entries_.size()) entries_.resize((index / tableStep + 1) * tableStep);
  return entries_[index];
}

HANDLE SerialPortTable::handle(int id) const {
  if (!validId(id) || static_cast<std::size_t>(id) >= entries_.size()) return nullptr;
  return entries_[static_cast<std::size_t>(id)].handle;
}

bool SerialPortTable::holdsDevice(TextView device) const {
  const Text wanted = lowerText(device);
  for (const auto& entry : entries_) {
    if (entry.handle != nullptr && lowerText(entry.device) == wanted) return true;
  }
  return false;
}

CommConfig commConfigFromDcb(const DCB& dcb) {
  CommConfig c;
  c.baudRate = dcb.BaudRate;
  c.byteSize = dcb.ByteSize;
  c.parity = dcb.Parity;
  c.stopBits = dcb.StopBits;
  c.fParity = static_cast<std::uint8_t>(dcb.fParity);
  c.fOutxCtsFlow = static_cast<std::uint8_t>(dcb.fOutxCtsFlow);
  c.fRtsControl = static_cast<std::uint8_t>(dcb.fRtsControl);
  c.fOutX = static_cast<std::uint8_t>(dcb.fOutX);
  c.fInX = static_cast<std::uint8_t>(dcb.fInX);
  c.xonLim = dcb.XonLim;
  c.xoffLim = dcb.XoffLim;
  c.xonChar = dcb.XonChar;
  c.xoffChar = dcb.XoffChar;
  return c;
}

void storeCommConfig(const CommConfig& c, DCB& dcb) {
  dcb.BaudRate = c.baudRate;
  dcb.ByteSize = c.byteSize;
  dcb.Parity = c.parity;
  dcb.StopBits = c.stopBits;
  dcb.fParity = c.fParity & 1u;
  dcb.fOutxCtsFlow = c.fOutxCtsFlow & 1u;
  dcb.fRtsControl = c.fRtsControl & 3u;
  dcb.fOutX = c.fOutX & 1u;
  dcb.fInX = c.fInX & 1u;
  dcb.XonLim = c.xonLim;
  dcb.XoffLim = c.xoffLim;
  dcb.XonChar = c.xonChar;
  dcb.XoffChar = c.xoffChar;
}

SerialPortsWin32::~SerialPortsWin32() { closeAllPorts(); }

HANDLE SerialPortsWin32::lookUp(int id) const {
  std::lock_guard guard(lock_);
  return table_.handle(id);
}

void SerialPortsWin32::markFailed(int id, HANDLE handle) {
  std::lock_guard guard(lock_);
  // Only if the port was not closed or replaced meanwhile.
  if (table_.handle(id) == handle) table_.entry(id).failed = true;
}

std::uintptr_t SerialPortsWin32::openPort(int id, TextView portName, const PortSettings& settings) {
  // The table holds non-negative identifiers only; -1 means "every port"
  // to closePort and could never be closed on its own.
  if (!validId(id)) return 0;
  const Text device = devicePath(portName);
  const std::wstring path = wideText(device);
  HANDLE handle =
      CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return 0;
  // Share mode 0 makes Windows refuse a second open of a port; Wine does not
  // enforce it for serial devices, so a port this program already holds is
  // refused here, before its configuration could be touched.
  bool held = false;
  {
    std::lock_guard guard(lock_);
    held = table_.holdsDevice(device);
  }
  if (held) {
    CloseHandle(handle);
    return 0;
  }
  if (settings.inputQueueSize > 0 && settings.outputQueueSize > 0) {
    SetupComm(handle, static_cast<DWORD>(settings.inputQueueSize),
              static_cast<DWORD>(settings.outputQueueSize));
  }
  DCB dcb{};
  dcb.DCBlength = sizeof(dcb);
  if (!GetCommState(handle, &dcb)) {
    CloseHandle(handle);
    return 0;
  }
  storeCommConfig(applyPortSettings(commConfigFromDcb(dcb), settings), dcb);
  if (!SetCommState(handle, &dcb)) {
    CloseHandle(handle);
    return 0;
  }
  const CommTimeoutValues t = portTimeouts();
  COMMTIMEOUTS timeouts{t.readIntervalTimeout, t.readTotalTimeoutMultiplier, t.readTotalTimeoutConstant,
                        t.writeTotalTimeoutMultiplier, t.writeTotalTimeoutConstant};
  SetCommTimeouts(handle, &timeouts);

  HANDLE replaced = nullptr;
  {
    std::lock_guard guard(lock_);
    SerialPortEntry& slot = table_.entry(id);
    replaced = slot.handle;
    slot = SerialPortEntry{handle, false, device};
  }
  // The older port of this identifier closes only now that the new one is
  // open and configured, so a failed open never loses a working port.
  if (replaced != nullptr) CloseHandle(replaced);
  return reinterpret_cast<std::uintptr_t>(handle);
}

std::int32_t SerialPortsWin32::waitingByteCount(int id) {
  HANDLE handle = lookUp(id);
  if (handle == nullptr) return 0;
  DWORD errors = 0;
  COMSTAT status{};
  if (!ClearCommError(handle, &errors, &status)) {
    // A device that vanished (Wine answers ERROR_NOT_READY once the far end
    // of a pseudo-terminal is gone): nothing to read, and the caller can ask.
    markFailed(id, handle);
    return 0;
  }
  constexpr auto most = static_cast<DWORD>(std::numeric_limits<std::int32_t>::max());
  return static_cast<std::int32_t>(status.cbInQue > most ? most : status.cbInQue);
}

std::int32_t SerialPortsWin32::readPortBytes(int id, std::uint8_t* buffer, std::int32_t length) {
  HANDLE handle = lookUp(id);
  if (handle == nullptr || buffer == nullptr || length <= 0) return 0;
  DWORD read = 0;
  if (!ReadFile(handle, buffer, static_cast<DWORD>(length), &read, nullptr)) {
    markFailed(id, handle);
    return 0;
  }
  return static_cast<std::int32_t>(read > static_cast<DWORD>(length) ? static_cast<DWORD>(length) : read);
}

bool SerialPortsWin32::portFailed(int id) {
  std::lock_guard guard(lock_);
  if (table_.handle(id) == nullptr) return false;
  return table_.entry(id).failed;
}

void SerialPortsWin32::closePort(int id) {
  if (id == -1) {
    closeAllPorts();
    return;
  }
  HANDLE handle = nullptr;
  {
    std::lock_guard guard(lock_);
    if (table_.handle(id) == nullptr) return;
    handle = table_.entry(id).handle;
    table_.entry(id) = SerialPortEntry{};
  }
  CloseHandle(handle);
}

void SerialPortsWin32::closeAllPorts() {
  std::vector<HANDLE> open;
  {
    std::lock_guard guard(lock_);
    for (std::size_t i = 0; i < table_.capacity(); ++i) {
      const int id = static_cast<int>(i);
      if (table_.handle(id) == nullptr) continue;
      open.push_back(table_.handle(id));
      table_.entry(id) = SerialPortEntry{};
    }
  }
  for (HANDLE handle : open) CloseHandle(handle);
}

std::size_t SerialPortsWin32::tableCapacity() const {
  std::lock_guard guard(lock_);
  return table_.capacity();
}

}  // namespace kurvlux
