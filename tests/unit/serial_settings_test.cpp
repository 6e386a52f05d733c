// The device path and the configuration an opened port gets: only the named
// fields change, everything else stays as the driver reported it.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "serial/serial_settings.hpp"

namespace kurvlux {
namespace {

// A reported configuration with every field set to a value no setting uses,
// so a field that is changed by mistake shows.
CommConfig reportedConfig() {
  CommConfig c;
  c.baudRate = 9600;
  c.byteSize = 7;
  c.parity = 4;
  c.stopBits = 1;
  c.fParity = 0;
  c.fOutxCtsFlow = 1;
  c.fRtsControl = 3;
  c.fOutX = 0;
  c.fInX = 1;
  c.xonLim = 1234;
  c.xoffLim = 4321;
  c.xonChar = 0x21;
  c.xoffChar = 0x23;
  return c;
}

TEST(SerialSettings, DevicePathKeepsAtMost59NameUnits) {
  struct Case {
    Text name;
    Text path;
  };
  const Text seventy = Text(60, u'A') + Text(10, u'B');
  const Case cases[] = {
      {u"COM3", u"\\\\.\\COM3"},
      {u"", u"\\\\.\\"},
      {seventy, u"\\\\.\\" + Text(59, u'A')},
      {Text(59, u'C'), u"\\\\.\\" + Text(59, u'C')},
      {Text(u"COM7\0junk", 9), u"\\\\.\\COM7"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(latin1FromText(c.name));
    const Text path = devicePath(c.name);
    EXPECT_EQ(path, c.path);
    EXPECT_LT(path.size(), devicePathCapacity);
  }
}

TEST(SerialSettings, StopBitsByExactComparison) {
  struct Case {
    float stopBits;
    std::uint8_t code;
  };
  const Case cases[] = {
      {1.0f, 0}, {2.0f, 2}, {1.5f, 1}, {0.0f, 1}, {-1.0f, 1}, {std::nextafter(1.0f, 2.0f), 1},
      {std::nextafter(2.0f, 1.0f), 1}, {std::numeric_limits<float>::quiet_NaN(), 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stopBits);
    EXPECT_EQ(stopBitsCode(c.stopBits), c.code);
    PortSettings settings;
    settings.stopBits = c.stopBits;
    EXPECT_EQ(applyPortSettings(reportedConfig(), settings).stopBits, c.code);
  }
}

TEST(SerialSettings, TheProgramsSettingsChangeOnlyTheirFields) {
  const CommConfig applied = applyPortSettings(reportedConfig(), PortSettings{});
  CommConfig expected = reportedConfig();
  expected.baudRate = 250000;
  expected.byteSize = 8;
  expected.parity = 0;
  expected.stopBits = 0;
  expected.fParity = 1;
  expected.fOutxCtsFlow = 0;
  expected.fRtsControl = 0;
  EXPECT_EQ(applied, expected);
}

TEST(SerialSettings, WordArgumentsUseTheirLowByteAndBaudRateIsUnchanged) {
  PortSettings settings;
  settings.baudRate = -1;
  settings.dataBits = 0x107;
  settings.parity = 0x202;
  const CommConfig applied = applyPortSettings(reportedConfig(), settings);
  EXPECT_EQ(applied.baudRate, 0xFFFFFFFFu);
  EXPECT_EQ(applied.byteSize, 7);
  EXPECT_EQ(applied.parity, 2);
}

TEST(SerialSettings, HandshakeModes) {
  const auto mode3 = [](CommConfig c, std::uint16_t xon, std::uint16_t xoff) {
    c.fOutX = 1;
    c.fInX = 1;
    c.xonChar = 0x11;
    c.xoffChar = 0x13;
    c.xonLim = xon;
    c.xoffLim = xoff;
    return c;
  };
  struct Row {
    std::int32_t mode;
    std::int32_t inputQueue;
    CommConfig expected;
  };
  CommConfig base = applyPortSettings(reportedConfig(), PortSettings{});
  // Start from the changes every mode makes, then add the mode's own.
  base.fOutxCtsFlow = reportedConfig().fOutxCtsFlow;
  base.fRtsControl = reportedConfig().fRtsControl;
  const auto flow = [base](std::uint8_t cts, std::uint8_t rts) {
    CommConfig c = base;
    c.fOutxCtsFlow = cts;
    c.fRtsControl = rts;
    return c;
  };
  const Row rows[] = {
      {0, 10000, flow(0, 0)},
      {1, 10000, flow(0, 1)},
      {2, 10000, flow(1, 2)},
      {3, 10000, mode3(base, 1000, 7000)},
      {3, 9, mode3(base, 0, 0)},
      {3, 99999, mode3(base, 9999, 4457)},     // 69993 wraps to 16 bits
      {3, 1000000, mode3(base, 34464, 44640)},  // 100000 and 700000 wrap
      {4, 10000, base},
      {-1, 10000, base},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.mode);
    SCOPED_TRACE(row.inputQueue);
    PortSettings settings;
    settings.handshake = row.mode;
    settings.inputQueueSize = row.inputQueue;
    EXPECT_EQ(applyPortSettings(reportedConfig(), settings), row.expected);
  }
}

}  // namespace
}  // namespace kurvlux
