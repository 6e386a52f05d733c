// What the Linux program costs while it waits, and how soon a byte reaches
// the screen: the steps of tools/throughput_waiting.sh, run by
// tests/e2e_linux/run_e2e_linux.sh with the throughput probe.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "e2e_linux/native_fixture.hpp"
#include "throughput/figures.hpp"
#include "throughput/scripted_board_posix.hpp"

namespace {

using namespace kurvlux;
using Clock = std::chrono::steady_clock;

// The process's windows that show: the main window, and a tip while one shows.
int visibleWindows(pid_t pid) {
  FILE* list =
      popen(("xdotool search --onlyvisible --pid " + std::to_string(pid) + " 2>/dev/null").c_str(), "r");
  if (!list) return -1;
  int lines = 0;
  for (int c; (c = std::fgetc(list)) != EOF;) lines += c == '\n';
  pclose(list);
  return lines;
}

// KURVLUX_STATE: "scope" (a sine at the line rate of 250000 baud in
// "Oszilloskop"), "paused" (the same, paused), "unmapped" (the same with the
// window unmapped, as a minimised one is), "tooltip" (the same, shown, with
// the pointer resting on the port box and its tip shown), "fastplot" (the
// sine in "schneller Plot"), "silent" (connected to a board that sends nothing) or
// "disconnected". Prints the program's user plus system CPU seconds and its
// voluntary task switches (the waits it slept in) per second of wall time
// over KURVLUX_SECONDS (at least 5).
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
  const bool streaming = state != "silent" && state != "disconnected";
  if (streaming) {
    ASSERT_TRUE(probe::waitUntil([&] { return leadingNumber(program.statusText(1)) > 0; }));
  }
  if (state == "paused") {
    program.click(pauseToggleId);
    ASSERT_TRUE(probe::waitUntil([&] { return program.pressed(pauseToggleId); }));
  }
  if (state == "unmapped") {
    ASSERT_EQ(std::system(("xdotool windowunmap --sync " + std::to_string(program.window())).c_str()), 0);
  }
  if (state == "tooltip") {
    // The pointer comes to rest on the port box (GTK shows a tip after a
    // motion inside), until its tip shows.
    const auto box = program.extents(portBoxId);
    for (const int step : {0, 2}) {
      ASSERT_EQ(std::system(("xdotool mousemove --window " + std::to_string(program.window()) + " " +
                             std::to_string((box.x + box.width / 2 + step) * program.scale()) + " " +
                             std::to_string((box.y + box.height / 2) * program.scale()))
                                .c_str()),
                0);
    }
    ASSERT_TRUE(probe::waitUntil([&] { return visibleWindows(program.pid()) == 2; })) << "no tip";
  }
  probe::sleepMs(1500);
  // KURVLUX_TRACE names a file for `strace -c` of the measured seconds,
  // KURVLUX_PERF one for `perf record` (both slow the program, so the CPU
  // figures are then not its own).
  const std::string pid = std::to_string(program.pid()), limit = "timeout -s INT " + std::to_string(seconds);
  if (const char* trace = std::getenv("KURVLUX_TRACE")) {
    ASSERT_EQ(std::system((limit + " strace -c -f -p " + pid + " -o " + trace + " 2>/dev/null &").c_str()),
              0);
  }
  if (const char* profile = std::getenv("KURVLUX_PERF")) {
    ASSERT_EQ(
        std::system((limit + " perf record -q -F 997 -g -p " + pid + " -o " + profile + " >/dev/null 2>&1 &")
                        .c_str()),
        0);
  }
  const double cpuBefore = cpuSeconds(program.pid());
  const long switchesBefore = voluntarySwitches(program.pid());
  const auto start = Clock::now();
  probe::sleepMs(static_cast<int>(seconds * 1000));
  const double cpu = cpuSeconds(program.pid()) - cpuBefore;
  const long switches = voluntarySwitches(program.pid()) - switchesBefore;
  const double wall = std::chrono::duration<double>(Clock::now() - start).count();
  if (state == "tooltip") {
    EXPECT_EQ(visibleWindows(program.pid()), 2) << "the tip went away";
  }
  if (state == "unmapped") {
    ASSERT_EQ(std::system(("xdotool windowmap --sync " + std::to_string(program.window())).c_str()), 0);
  }
  // The statistics went on meanwhile: "Werte/s" near the line rate.
  const long values = streaming ? leadingNumber(program.statusText(1)) : 0;
  const bool connected = program.pressed(connectToggleId);
  EXPECT_EQ(program.close(), 0);
  std::printf("CPU state=%s cpu_per_s=%.4f wakes_per_s=%.0f values_per_s=%ld wall_s=%.1f connected=%d\n",
              state.c_str(), cpu / wall, static_cast<double>(switches) / wall, values, wall,
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
  // A frame changes every column; one of them is read much sooner than the
  // whole canvas. A plotted byte changes one column, which moves.
  const auto grab = [&] { return scope ? program.canvasPixels(525, 1) : program.canvasPixels(); };
  std::vector<double> delays;
  std::vector<std::uint32_t> shown = grab();
  long grabs = 0;
  for (long i = 0; i < samples; ++i) {
    const std::uint8_t level = i % 2 ? 60 : 190;
    if (scope) {
      ASSERT_TRUE(scripted.send(std::vector<std::uint8_t>(1000, level)));
      probe::sleepMs(100);
      shown = grab();
    }
    const auto written = Clock::now();
    ASSERT_TRUE(scripted.send({level}));
    // Read as often as a grab allows, with a millisecond's rest for the
    // display server, which draws the program's pictures too.
    std::vector<std::uint32_t> now;
    for (;; probe::sleepMs(1)) {
      ++grabs;
      now = grab();
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

// While the board streams: it completes a frame of a new level every 40 ms,
// sending 25 bytes every millisecond (the line rate of 250000 baud, in
// USB-sized chunks), in "Oszilloskop" with "aus". The probe reads one
// column of the canvas from the screen every millisecond and times each
// frame from the write that completed it to its first sight. KURVLUX_SECONDS long (at
// least 5); median and 99th percentile of the frames seen.
TEST_F(NativeProgram, StreamingDelay) {
  const long seconds = std::max(5L, environmentNumber("KURVLUX_SECONDS", 8));
  ScriptedBoard scripted;
  ASSERT_TRUE(program.start({scripted.device()}));
  program.typeInto(thresholdBoxId, "aus");
  ASSERT_TRUE(probe::waitUntil([&] { return program.text(thresholdBoxId) == "aus"; }));
  ASSERT_TRUE(pressConnect());
  // A frame takes 1001 samples; 40 levels a frame apart tell the frames
  // apart for 1.6 s.
  constexpr std::size_t frameBytes = 1001, chunk = 25;
  constexpr int levels = 40;
  const auto levelOf = [](std::size_t frame) { return static_cast<std::uint8_t>(20 + 5 * (frame % levels)); };
  const std::size_t frames = static_cast<std::size_t>(seconds) * 25;
  std::vector<Clock::time_point> completed(frames);
  std::atomic<std::size_t> framesWritten{0};
  std::atomic<bool> failed{false};
  std::thread writer([&] {
    std::vector<std::uint8_t> stream;
    for (std::size_t f = 0; f < frames; ++f) stream.insert(stream.end(), frameBytes, levelOf(f));
    auto next = Clock::now();
    for (std::size_t at = 0; at < stream.size(); at += chunk) {
      std::this_thread::sleep_until(next += std::chrono::milliseconds(1));
      const std::size_t end = std::min(at + chunk, stream.size());
      if (!scripted.send(std::vector<std::uint8_t>(stream.begin() + at, stream.begin() + end))) {
        failed = true;
        return;
      }
      const auto now = Clock::now();
      // Every frame whose last byte this write carried.
      for (std::size_t f = framesWritten; f < frames && (f + 1) * frameBytes <= end; ++f) {
        completed[f] = now;
        framesWritten = f + 1;
      }
    }
  });
  // The trace's row in column 525, away from the grid; -1 when there is none.
  // Only that column is read: a whole canvas took the probe about 3 ms a
  // time and loaded the display server beside the program, and its own
  // delay hid the program's.
  const auto shownLevel = [&] {
    const std::vector<std::uint32_t> pixels = program.canvasPixels(525, 1);
    if (pixels.size() < 256) return -1;
    for (int row = 0; row < 256; ++row) {
      const std::uint32_t p = pixels[static_cast<std::size_t>(row)];
      if (p != 0xFFFFFF && p != 0xBBBBBB) return 255 - row;
    }
    return -1;
  };
  std::vector<double> delays;
  std::size_t lastSeen = 0;
  bool seenAny = false;
  while (framesWritten < frames && !failed) {
    const int level = shownLevel();
    const auto seen = Clock::now();
    const std::size_t written = framesWritten;
    if (level < 0 || written == 0) continue;
    // The latest written frame of that level.
    for (std::size_t f = written; f-- > 0 && f + levels > written;) {
      if (levelOf(f) != level) continue;
      if (!seenAny || f > lastSeen) {
        // The first frames arrive while the program may still connect.
        if (f >= 5) delays.push_back(std::chrono::duration<double, std::milli>(seen - completed[f]).count());
        lastSeen = f;
        seenAny = true;
      }
      break;
    }
    probe::sleepMs(1);
  }
  writer.join();
  ASSERT_FALSE(failed);
  EXPECT_EQ(program.close(), 0);
  ASSERT_FALSE(delays.empty()) << "no frame was seen";
  std::printf("DELAY mode=streaming samples=%zu median_ms=%.2f p99_ms=%.2f max_ms=%.2f of_frames=%zu\n",
              delays.size(), quantile(delays, 0.5), quantile(delays, 0.99), quantile(delays, 1.0), frames);
}

}  // namespace
