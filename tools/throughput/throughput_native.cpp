// The steps of `tools/throughput.sh --native`, one measurement each, run by
// tests/e2e_linux/run_e2e_linux.sh with the end-to-end probe.
// Feeds the real program a counting ramp at the line rate of one baud rate,
// or at a byte rate of its own, or plots in "schneller Plot", and prints what
// the status bar showed each second, whether the board was held back and the
// CPU the program used.
#include <gtest/gtest.h>

#include <cstdio>

#include "e2e_linux/native_fixture.hpp"
#include "serial/serial_port_posix.hpp"
#include "text/utf8_text.hpp"
#include "throughput/bare_reader.hpp"
#include "throughput/figures.hpp"

namespace {

using namespace kurvlux;

long median(const std::vector<long>& values) { return quantile(values, 0.5); }

class NativeThroughput : public NativeProgram {
 protected:
  // Reads fields 0 and 1 once a second for the run's length, after the first
  // full second of statistics.
  void sample(int seconds) {
    probe::waitUntil([&] { return leadingNumber(program.statusText(1)) > 0; });
    probe::sleepMs(1500);
    const double cpuBefore = cpuSeconds(program.pid());
    for (int i = 0; i < seconds; ++i) {
      probe::sleepMs(1000);
      frames.push_back(leadingNumber(program.statusText(0)));
      values.push_back(leadingNumber(program.statusText(1)));
    }
    cpuPerSecond = (cpuSeconds(program.pid()) - cpuBefore) / seconds;
    connected = program.pressed(connectToggleId);
  }

  std::vector<long> frames, values;
  double cpuPerSecond = 0;
  bool connected = false;
};

TEST_F(NativeThroughput, AtBaudRate) {
  const long baud = environmentNumber("KURVLUX_BAUD", 250000);
  const long fed = baud / 10;
  ASSERT_TRUE(board.plugIn({"--wave", "ramp", "--rate", std::to_string(fed)}));
  ASSERT_TRUE(program.start({board.link()}));
  program.typeInto(baudBoxId, std::to_string(baud));
  ASSERT_TRUE(probe::waitUntil([&] { return program.text(baudBoxId) == std::to_string(baud); }));
  ASSERT_TRUE(pressConnect());
  sample(static_cast<int>(environmentNumber("KURVLUX_SECONDS", 12)));
  EXPECT_EQ(program.close(), 0);
  std::printf(
      "THROUGHPUT baud=%ld fed=%ld werte=[%s] werte_median=%ld fps=[%s] cpu_per_s=%.2f connected=%d "
      "board=%s\n",
      baud, fed, joined(values).c_str(), median(values), joined(frames).c_str(), cpuPerSecond,
      connected ? 1 : 0, board.unplug().c_str());
}

// A board that ignores the baud rate, as one with a native USB port does:
// in one run the bare reader of the same board, then the program, each fed
// a ramp at KURVLUX_RATE bytes per second, with the threshold KURVLUX_THRESHOLD.
TEST_F(NativeThroughput, AtRate) {
  const std::string rate = std::to_string(environmentNumber("KURVLUX_RATE", 1000000));
  const int seconds = static_cast<int>(environmentNumber("KURVLUX_SECONDS", 12));
  const char* thresholdSetting = std::getenv("KURVLUX_THRESHOLD");
  const std::string threshold = thresholdSetting && *thresholdSetting ? thresholdSetting : "aus";
  ASSERT_TRUE(board.plugIn({"--wave", "ramp", "--rate", rate}));
  SerialPortsPosix ports;
  const double reader = bareReaderRate(ports, textFromUtf8(board.link()), seconds);
  const std::string readerBoard = board.unplug();

  ASSERT_TRUE(board.plugIn({"--wave", "ramp", "--rate", rate}));
  ASSERT_TRUE(program.start({board.link()}));
  program.typeInto(thresholdBoxId, threshold);
  ASSERT_TRUE(probe::waitUntil([&] { return program.text(thresholdBoxId) == threshold; }));
  ASSERT_TRUE(pressConnect());
  sample(seconds);
  EXPECT_EQ(program.close(), 0);
  const std::string programBoard = board.unplug();
  std::printf(
      "RATE fed=%s threshold=%s werte=[%s] werte_median=%ld fps=[%s] fps_median=%ld cpu_per_s=%.2f "
      "connected=%d waits=%ld reader=%.0f reader_waits=%ld\n",
      rate.c_str(), threshold.c_str(), joined(values).c_str(), median(values), joined(frames).c_str(),
      median(frames), cpuPerSecond, connected ? 1 : 0, boardWaits(programBoard), reader,
      boardWaits(readerBoard));
}

TEST_F(NativeThroughput, FastPlot) {
  ASSERT_TRUE(board.plugIn({"--wave", "ramp", "--rate", "25000"}));
  ASSERT_TRUE(program.start({board.link()}));
  program.chooseMode(1);
  ASSERT_TRUE(probe::waitUntil([&] { return program.text(modeListId) == "schneller Plot"; }));
  ASSERT_TRUE(pressConnect());
  sample(static_cast<int>(environmentNumber("KURVLUX_SECONDS", 12)));
  EXPECT_EQ(program.close(), 0);
  std::printf("FASTPLOT werte=[%s] werte_median=%ld cpu_per_s=%.2f connected=%d board=%s\n",
              joined(values).c_str(), median(values), cpuPerSecond, connected ? 1 : 0,
              board.unplug().c_str());
}

}  // namespace
