// What the Linux program costs while it waits, and how soon a byte reaches
// the screen: the steps of tools/throughput_waiting.sh, run by
// tests/e2e_linux/run_e2e_linux.sh with the throughput probe.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "e2e_linux/native_fixture.hpp"
#include "throughput/figures.hpp"
#include "throughput/scripted_board_posix.hpp"

namespace {

using namespace kurvlux;
using Clock = std::chrono::steady_clock;

// KURVLUX_STATE: "scope" (a sine at the line rate of 250000 baud in
// "Oszilloskop"), "fastplot" (the same in "schneller Plot"), "silent"
// (connected to a board that sends nothing) or "disconnected". Prints the
// program's user plus system CPU seconds per second of wall time over
// KURVLUX_SECONDS (at least 5).
TEST_F(NativeProgram, CpuWhileWaiting) {
  const std::string state = std::getenv("KURVLUX_STATE") ? std::getenv("KURVLUX_STATE") : "scope";
  const long seconds = std::max(5L, environmentNumber("KURVLUX_SECONDS", 6));
  ScriptedBoard silentBoard;
  if (state == "silent") {
    ASSERT_TRUE(program.start({silentBoard.device()}));
  } else {
    ASSERT_TRUE(board.plugIn({"--wave", "sine", "--rate", "25000"}));
    ASSERT_TRUE(program.start({board.link()}));
  }
  if (state == "fastplot") {
    program.chooseMode(1);
    ASSERT_TRUE(probe::waitUntil([&] { return program.text(modeListId) == "schneller Plot"; }));
  }
  if (state != "disconnected") {
    ASSERT_TRUE(pressConnect());
  }
  if (state == "scope" || state == "fastplot") {
    ASSERT_TRUE(probe::waitUntil([&] { return leadingNumber(program.statusText(1)) > 0; }));
  }
  probe::sleepMs(1500);
  const double cpuBefore = cpuSeconds(program.pid());
  const auto start = Clock::now();
  probe::sleepMs(static_cast<int>(seconds * 1000));
  const double cpu = cpuSeconds(program.pid()) - cpuBefore;
  const double wall = std::chrono::duration<double>(Clock::now() - start).count();
  const bool connected = program.pressed(connectToggleId);
  EXPECT_EQ(program.close(), 0);
  std::printf("CPU state=%s cpu_per_s=%.4f wall_s=%.1f connected=%d\n", state.c_str(), cpu / wall, wall,
              connected ? 1 : 0);
}

// KURVLUX_MODE "scope" or "fastplot": KURVLUX_SAMPLES times, the board sends
// one byte and the probe reads the canvas from the screen until the picture
// changes; the time from the write to the change is the byte's delay. In
// "schneller Plot" every byte is plotted and presented; in "Oszilloskop"
// (threshold "aus") the board first sends the first 1000 bytes of a frame,
// which stay unseen, and the byte that completes the frame is the one
// timed. The levels alternate, so every picture differs from the one
// before; between bytes the board rests, so the program is waiting when
// the byte comes.
TEST_F(NativeProgram, ByteToScreenDelay) {
  const bool scope = std::string(std::getenv("KURVLUX_MODE") ? std::getenv("KURVLUX_MODE") : "") == "scope";
  const long samples = environmentNumber("KURVLUX_SAMPLES", 100);
  ScriptedBoard scripted;
  ASSERT_TRUE(program.start({scripted.device()}));
  if (scope) {
    program.typeInto(thresholdBoxId, "aus");
    ASSERT_TRUE(probe::waitUntil([&] { return program.text(thresholdBoxId) == "aus"; }));
  } else {
    program.chooseMode(1);
    ASSERT_TRUE(probe::waitUntil([&] { return program.text(modeListId) == "schneller Plot"; }));
  }
  ASSERT_TRUE(pressConnect());
  std::vector<double> delays;
  std::vector<std::uint32_t> shown = program.canvasPixels();
  long grabs = 0;
  for (long i = 0; i < samples; ++i) {
    const std::uint8_t level = i % 2 ? 60 : 190;
    if (scope) {
      ASSERT_TRUE(scripted.send(std::vector<std::uint8_t>(1000, level)));
      probe::sleepMs(100);
      shown = program.canvasPixels();
    }
    const auto written = Clock::now();
    ASSERT_TRUE(scripted.send({level}));
    // Read as often as a grab allows, with a millisecond's rest for the
    // display server, which draws the program's pictures too.
    std::vector<std::uint32_t> now;
    for (;; probe::sleepMs(1)) {
      ++grabs;
      now = program.canvasPixels();
      if (now != shown) break;
      ASSERT_LT(Clock::now() - written, std::chrono::seconds(5)) << "byte " << i << " never showed";
    }
    delays.push_back(std::chrono::duration<double, std::milli>(Clock::now() - written).count());
    shown = std::move(now);
    // Rests of different lengths, so the bytes do not fall into step with
    // anything the program or the screen does periodically.
    probe::sleepMs(static_cast<int>(20 + i * 7 % 31));
  }
  EXPECT_EQ(program.close(), 0);
  std::printf("DELAY mode=%s samples=%zu median_ms=%.2f p99_ms=%.2f max_ms=%.2f grabs_per_sample=%.1f\n",
              scope ? "scope" : "fastplot", delays.size(), quantile(delays, 0.5), quantile(delays, 0.99),
              quantile(delays, 1.0), static_cast<double>(grabs) / static_cast<double>(delays.size()));
}

}  // namespace
