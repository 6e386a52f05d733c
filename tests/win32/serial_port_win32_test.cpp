// The serial port layer against real Windows calls: under Wine the ports are
// pseudo-terminals fed by the board simulator with a counting ramp, so every
// byte read can be checked. tests/win32/run_serial_tests.sh starts them and
// names the ports in KURVLUX_TEST_COM_A / _B / _C.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "serial/port_discovery_win32.hpp"
#include "serial/serial_port_win32.hpp"
#include "text/wide_text_win32.hpp"

namespace kurvlux {
namespace {

constexpr int programPortId = 2;

// The COM port name in an environment variable, or empty.
Text portFromEnvironment(const char* variable) {
  const char* value = std::getenv(variable);
  return value == nullptr ? Text() : textFromLatin1(value);
}

#define REQUIRE_PORT(name, variable)                                                              \
  const Text name = portFromEnvironment(variable);                                                \
  if (name.empty()) {                                                                             \
    GTEST_SKIP() << variable " is not set: run tests/win32/run_serial_tests.sh, "                 \
                            "which maps simulated boards to COM ports";                           \
  }                                                                                               \
  static_assert(true)

// Polls until at least `count` bytes wait; gives up after about ten seconds.
std::int32_t waitForBytes(SerialPorts& ports, int id, std::int32_t count) {
  std::int32_t waiting = 0;
  for (int i = 0; i < 2000; ++i) {
    waiting = ports.waitingByteCount(id);
    if (waiting >= count) break;
    Sleep(5);
  }
  return waiting;
}

// Reads `count` bytes into a larger buffer and checks that they continue the
// simulator's ramp and that nothing behind them was written.
void expectRampRead(SerialPorts& ports, int id, std::int32_t count) {
  ASSERT_GE(waitForBytes(ports, id, count), count);
  std::array<std::uint8_t, 256> buffer;
  buffer.fill(0xEE);
  ASSERT_EQ(ports.readPortBytes(id, buffer.data(), count), count);
  for (std::int32_t i = 1; i < count; ++i) {
    ASSERT_EQ(buffer[i], static_cast<std::uint8_t>(buffer[i - 1] + 1)) << "ramp broken at byte " << i;
  }
  for (std::size_t i = static_cast<std::size_t>(count); i < buffer.size(); ++i) {
    ASSERT_EQ(buffer[i], 0xEE) << "written past the requested length at " << i;
  }
}

TEST(SerialPortWin32, OpensWithTheProgramsConfiguration) {
  REQUIRE_PORT(portA, "KURVLUX_TEST_COM_A");
  SerialPortsWin32 ports;
  const std::uintptr_t opened = ports.openPort(programPortId, portA, PortSettings{});
  ASSERT_NE(opened, 0u);
  HANDLE handle = reinterpret_cast<HANDLE>(opened);

  // Wine keeps 250000 baud on a pseudo-terminal but reports it as 38400, and
  // it reports RTS from modem lines a pseudo-terminal does not have; those two
  // are checked on the record handed to the driver (DcbChangesOnlyTheNamedFields)
  // and the baud rate with a standard rate below.
  DCB dcb{};
  dcb.DCBlength = sizeof(dcb);
  ASSERT_TRUE(GetCommState(handle, &dcb));
  EXPECT_EQ(dcb.ByteSize, 8);
  EXPECT_EQ(dcb.Parity, NOPARITY);
  EXPECT_EQ(dcb.StopBits, ONESTOPBIT);
  EXPECT_EQ(dcb.fOutxCtsFlow, 0u);
  EXPECT_EQ(dcb.fOutX, 0u);
  EXPECT_EQ(dcb.fInX, 0u);

  COMMTIMEOUTS timeouts{};
  ASSERT_TRUE(GetCommTimeouts(handle, &timeouts));
  EXPECT_EQ(timeouts.ReadIntervalTimeout, 0u);
  EXPECT_EQ(timeouts.ReadTotalTimeoutMultiplier, 0u);
  EXPECT_EQ(timeouts.ReadTotalTimeoutConstant, 0u);
  EXPECT_EQ(timeouts.WriteTotalTimeoutMultiplier, 100u);
  EXPECT_EQ(timeouts.WriteTotalTimeoutConstant, 10u);
  EXPECT_FALSE(ports.portFailed(programPortId));
}

// A pseudo-terminal always carries 8 data bits without parity (Linux forces
// them), so on it the driver can only report back baud rate and stop bits;
// parity and data bits are checked on the record in DcbChangesOnlyTheNamedFields.
TEST(SerialPortWin32, TheDriverReportsWhatWasSet) {
  REQUIRE_PORT(portA, "KURVLUX_TEST_COM_A");
  struct Case {
    std::int32_t baudRate;
    float stopBits;
    BYTE reportedStopBits;
  };
  const Case cases[] = {
      {115200, 1.0f, ONESTOPBIT},
      {9600, 2.0f, TWOSTOPBITS},
      {19200, 1.0f, ONESTOPBIT},
      {57600, 2.0f, TWOSTOPBITS},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.baudRate);
    SerialPortsWin32 ports;
    PortSettings settings;
    settings.baudRate = c.baudRate;
    settings.stopBits = c.stopBits;
    const std::uintptr_t opened = ports.openPort(programPortId, portA, settings);
    ASSERT_NE(opened, 0u);
    DCB dcb{};
    dcb.DCBlength = sizeof(dcb);
    ASSERT_TRUE(GetCommState(reinterpret_cast<HANDLE>(opened), &dcb));
    EXPECT_EQ(dcb.BaudRate, static_cast<DWORD>(c.baudRate));
    EXPECT_EQ(dcb.StopBits, c.reportedStopBits);
  }
}

// The record handed to SetCommState: a driver's record with every field set,
// changed by the program's settings, must differ exactly in the named fields.
TEST(SerialPortWin32, DcbChangesOnlyTheNamedFields) {
  DCB reported;
  std::memset(&reported, 0xFF, sizeof(reported));
  reported.DCBlength = sizeof(DCB);
  reported.fParity = 0;
  reported.BaudRate = 9600;

  for (const std::int32_t mode : {0, 1, 2, 3, 7}) {
    SCOPED_TRACE(mode);
    PortSettings settings;
    settings.handshake = mode;
    DCB changed = reported;
    storeCommConfig(applyPortSettings(commConfigFromDcb(reported), settings), changed);

    DCB expected = reported;
    expected.BaudRate = 250000;
    expected.ByteSize = 8;
    expected.Parity = NOPARITY;
    expected.StopBits = ONESTOPBIT;
    expected.fParity = 1;
    if (mode == 0) {
      expected.fOutxCtsFlow = 0;
      expected.fRtsControl = RTS_CONTROL_DISABLE;
    } else if (mode == 1) {
      expected.fOutxCtsFlow = 0;
      expected.fRtsControl = RTS_CONTROL_ENABLE;
    } else if (mode == 2) {
      expected.fOutxCtsFlow = 1;
      expected.fRtsControl = RTS_CONTROL_HANDSHAKE;
    } else if (mode == 3) {
      expected.fOutX = 1;
      expected.fInX = 1;
      expected.XonChar = 0x11;
      expected.XoffChar = 0x13;
      expected.XonLim = 1000;
      expected.XoffLim = 7000;
    }
    EXPECT_EQ(std::memcmp(&changed, &expected, sizeof(DCB)), 0);
    EXPECT_EQ(changed.fDtrControl, 3u);
    EXPECT_EQ(changed.fOutxDsrFlow, 1u);
    EXPECT_EQ(changed.fBinary, 1u);
  }

  // Word arguments reach the byte fields with their low byte.
  PortSettings settings;
  settings.parity = 0x102;
  settings.dataBits = 0x107;
  settings.stopBits = 1.5f;
  DCB changed = reported;
  storeCommConfig(applyPortSettings(commConfigFromDcb(reported), settings), changed);
  EXPECT_EQ(changed.Parity, EVENPARITY);
  EXPECT_EQ(changed.ByteSize, 7);
  EXPECT_EQ(changed.StopBits, ONE5STOPBITS);
}

TEST(SerialPortWin32, ReadsExactlyTheWaitingBytesInOrder) {
  REQUIRE_PORT(portA, "KURVLUX_TEST_COM_A");
  SerialPortsWin32 ports;
  ASSERT_NE(ports.openPort(programPortId, portA, PortSettings{}), 0u);
  expectRampRead(ports, programPortId, 37);
  // A whole queue at once, as the program's loop reads it.
  const std::int32_t waiting = std::min(waitForBytes(ports, programPortId, 100), 256);
  expectRampRead(ports, programPortId, waiting);
}

TEST(SerialPortWin32, APortAlreadyOpenCannotBeOpenedAgain) {
  REQUIRE_PORT(portA, "KURVLUX_TEST_COM_A");
  SerialPortsWin32 ports;
  const std::uintptr_t first = ports.openPort(programPortId, portA, PortSettings{});
  ASSERT_NE(first, 0u);
  EXPECT_EQ(ports.openPort(3, portA, PortSettings{}), 0u);
  EXPECT_EQ(ports.openPort(programPortId, portA, PortSettings{}), 0u);
  // The held port keeps its handle and keeps delivering.
  DCB dcb{};
  dcb.DCBlength = sizeof(dcb);
  EXPECT_TRUE(GetCommState(reinterpret_cast<HANDLE>(first), &dcb));
  expectRampRead(ports, programPortId, 37);
  EXPECT_EQ(ports.waitingByteCount(3), 0);
}

TEST(SerialPortWin32, ReopeningAnIdentifierOnAnotherPortClosesTheOldOne) {
  REQUIRE_PORT(portA, "KURVLUX_TEST_COM_A");
  REQUIRE_PORT(portB, "KURVLUX_TEST_COM_B");
  SerialPortsWin32 ports;
  const std::uintptr_t first = ports.openPort(programPortId, portA, PortSettings{});
  ASSERT_NE(first, 0u);
  const std::uintptr_t second = ports.openPort(programPortId, portB, PortSettings{});
  ASSERT_NE(second, 0u);
  EXPECT_NE(second, first);
  DCB dcb{};
  dcb.DCBlength = sizeof(dcb);
  EXPECT_FALSE(GetCommState(reinterpret_cast<HANDLE>(first), &dcb)) << "the old handle is still open";
  EXPECT_TRUE(GetCommState(reinterpret_cast<HANDLE>(second), &dcb));
  expectRampRead(ports, programPortId, 37);
  // The first port is free again.
  EXPECT_NE(ports.openPort(3, portA, PortSettings{}), 0u);
  expectRampRead(ports, 3, 37);
}

TEST(SerialPortWin32, ClosedAndUnknownIdentifiersGiveNothing) {
  REQUIRE_PORT(portA, "KURVLUX_TEST_COM_A");
  REQUIRE_PORT(portB, "KURVLUX_TEST_COM_B");
  SerialPortsWin32 ports;
  std::array<std::uint8_t, 16> buffer;
  buffer.fill(0x5A);
  const auto untouched = buffer;
  // Never opened.
  EXPECT_EQ(ports.waitingByteCount(programPortId), 0);
  EXPECT_EQ(ports.readPortBytes(programPortId, buffer.data(), 16), 0);
  EXPECT_EQ(ports.readPortBytes(1000, buffer.data(), 16), 0);
  EXPECT_EQ(ports.readPortBytes(-5, buffer.data(), 16), 0);

  ASSERT_NE(ports.openPort(programPortId, portA, PortSettings{}), 0u);
  ASSERT_GE(waitForBytes(ports, programPortId, 16), 16);
  ports.closePort(programPortId);
  ports.closePort(programPortId);
  EXPECT_EQ(ports.waitingByteCount(programPortId), 0);
  EXPECT_EQ(ports.readPortBytes(programPortId, buffer.data(), 16), 0);
  EXPECT_FALSE(ports.portFailed(programPortId));
  EXPECT_EQ(buffer, untouched);

  // -1 closes every open port: both can be opened by another owner afterwards.
  ASSERT_NE(ports.openPort(programPortId, portA, PortSettings{}), 0u);
  ASSERT_NE(ports.openPort(3, portB, PortSettings{}), 0u);
  ports.closePort(-1);
  EXPECT_EQ(ports.waitingByteCount(programPortId), 0);
  EXPECT_EQ(ports.waitingByteCount(3), 0);
  SerialPortsWin32 other;
  EXPECT_NE(other.openPort(programPortId, portA, PortSettings{}), 0u);
  EXPECT_NE(other.openPort(3, portB, PortSettings{}), 0u);
  other.closeAllPorts();
  EXPECT_EQ(other.waitingByteCount(3), 0);
  EXPECT_NE(ports.openPort(programPortId, portA, PortSettings{}), 0u);
}

TEST(SerialPortWin32, FailedOpensLeaveNothingBehind) {
  REQUIRE_PORT(portA, "KURVLUX_TEST_COM_A");
  SerialPortsWin32 ports;
  EXPECT_EQ(ports.openPort(programPortId, u"", PortSettings{}), 0u);
  EXPECT_EQ(ports.openPort(programPortId, u"COM250", PortSettings{}), 0u);
  // Cut at 59 characters: the rest of the name never reaches the device path.
  EXPECT_EQ(ports.openPort(programPortId, portA + Text(70, u'9'), PortSettings{}), 0u);
  EXPECT_EQ(ports.openPort(-1, portA, PortSettings{}), 0u);
  EXPECT_EQ(ports.waitingByteCount(programPortId), 0);
  // None of these holds the port: it opens normally.
  EXPECT_NE(ports.openPort(programPortId, portA, PortSettings{}), 0u);
}

TEST(SerialPortWin32, TableGrowsInStepsOf16) {
  REQUIRE_PORT(portB, "KURVLUX_TEST_COM_B");
  SerialPortsWin32 ports;
  EXPECT_EQ(ports.tableCapacity(), 0u);
  ASSERT_NE(ports.openPort(40, portB, PortSettings{}), 0u);
  EXPECT_EQ(ports.tableCapacity(), 48u);
  expectRampRead(ports, 40, 37);
  ports.closeAllPorts();
  EXPECT_EQ(ports.waitingByteCount(40), 0);
}

// The simulator behind port C is ended while the port is open; the run
// script ends it when this test creates the file named in the environment.
TEST(SerialPortWin32, AVanishedDeviceReportsFailureAndNoBytes) {
  REQUIRE_PORT(portC, "KURVLUX_TEST_COM_C");
  const char* request = std::getenv("KURVLUX_TEST_VANISH_REQUEST");
  if (request == nullptr) {
    GTEST_SKIP() << "KURVLUX_TEST_VANISH_REQUEST is not set";
  }
  SerialPortsWin32 ports;
  ASSERT_NE(ports.openPort(programPortId, portC, PortSettings{}), 0u);
  expectRampRead(ports, programPortId, 37);

  HANDLE file = CreateFileA(request, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  bool failed = false;
  for (int i = 0; i < 2000 && !failed; ++i) {
    const std::int32_t waiting = ports.waitingByteCount(programPortId);
    failed = ports.portFailed(programPortId);
    if (failed) {
      EXPECT_EQ(waiting, 0);
    }
    if (!failed && waiting > 0) {
      std::vector<std::uint8_t> drain(static_cast<std::size_t>(waiting));
      ports.readPortBytes(programPortId, drain.data(), waiting);
    }
    Sleep(5);
  }
  ASSERT_TRUE(failed) << "the status query kept succeeding after the device went away";
  EXPECT_EQ(ports.waitingByteCount(programPortId), 0);
  EXPECT_TRUE(ports.portFailed(programPortId));
  ports.closePort(programPortId);
  EXPECT_FALSE(ports.portFailed(programPortId));
}

std::int32_t numberOfPort(const Text& name) { return static_cast<std::int32_t>(parseInteger(name.substr(3))); }

TEST(PortDiscoveryWin32, ListsTheMappedPorts) {
  REQUIRE_PORT(portA, "KURVLUX_TEST_COM_A");
  REQUIRE_PORT(portB, "KURVLUX_TEST_COM_B");
  const std::vector<std::int32_t> listed = discoverPorts();
  for (const Text& port : {portA, portB}) {
    EXPECT_NE(std::find(listed.begin(), listed.end(), numberOfPort(port)), listed.end())
        << latin1FromText(port) << " is not listed";
  }
}

// Values written by the test itself, read back through the real registry
// calls: their buffer limits decide what is skipped and where the list ends.
TEST(PortDiscoveryWin32, RegistryAnswersFollowTheListRules) {
  const wchar_t* path = L"Software\\KurvluxTest\\SerialComm";
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS);
  const auto setText = [key](const std::wstring& name, const std::wstring& data) {
    RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
  };
  // Names sort in the order they are written, so any enumeration order holds.
  setText(L"a1", L"COM3");
  setText(L"a2", L"com12");
  setText(L"a3", L"COM1" + std::wstring(123, L'x'));  // 256 bytes: too long to read
  setText(L"a4", L"LPT1");
  setText(L"a5", L"COM04");
  setText(L"a6", L"COM6" + std::wstring(122, L'x'));  // 254 bytes: fits
  setText(L"b" + std::wstring(253, L'n'), L"COM10");  // a 254-character name is read
  setText(L"c" + std::wstring(254, L'n'), L"COM20");  // 255 characters end the list
  setText(L"d1", L"COM30");
  const std::vector<std::int32_t> numbers = portNumbersOfKey(HKEY_CURRENT_USER, path);
  RegCloseKey(key);
  RegDeleteKeyW(HKEY_CURRENT_USER, path);
  RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\KurvluxTest");
  EXPECT_EQ(numbers, (std::vector<std::int32_t>{3, 12, 4, 6, 10}));
  EXPECT_TRUE(portNumbersOfKey(HKEY_CURRENT_USER, L"Software\\KurvluxTest\\Absent").empty());
}

}  // namespace
}  // namespace kurvlux
