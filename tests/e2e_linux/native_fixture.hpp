// What every end-to-end test of the Linux program shares: a board, the
// program, and the checks that it is still serving its controls.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "e2e/canvas_checks.hpp"
#include "e2e_linux/probe_linux.hpp"
#include "ui/controls.hpp"

inline std::string fileContents(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Where a recorded ramp (counting up by one, wrapping at 256) first breaks;
// the size when it never does.
template <typename Values>
std::size_t firstBreakInRamp(const Values& values) {
  for (std::size_t i = 1; i < values.size(); ++i) {
    if (std::uint8_t(values[i] - values[i - 1]) != 1) return i;
  }
  return values.size();
}

inline long leadingNumber(const std::string& text) { return std::strtol(text.c_str(), nullptr, 10); }

inline bool endsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

using probe::differingPixels;
using probe::showsFullTrace;

inline std::string workFolder() {
  const char* folder = std::getenv("KURVLUX_E2E_DIR");
  return folder ? folder : ".";
}

class NativeProgram : public testing::Test {
 protected:
  void TearDown() override {
    if (program.running()) {
      EXPECT_EQ(program.close(), 0);
    }
    board.unplug();
  }

  // Presses the connect toggle; true when the port opened and stayed open.
  // A refused open ends the wait with its line on standard error.
  bool pressConnect() {
    const std::size_t before = program.standardError().size();
    program.click(kurvlux::connectToggleId);
    probe::waitUntil([&] {
      const std::string said = "\n" + saidSince(before);
      return program.text(kurvlux::connectToggleId) == "Trennen" ||
             (said.find("\nkurvlux: ") != std::string::npos && said.back() == '\n');
    });
    return program.text(kurvlux::connectToggleId) == "Trennen" && program.pressed(kurvlux::connectToggleId);
  }

  // What the program wrote on standard error after the first `before` bytes.
  std::string saidSince(std::size_t before) { return program.standardError().substr(before); }

  // The status bar's frames and values per second, each the median of five
  // readings a second apart. The program counts what arrived in each second
  // of its own; after this machine stalled the board or the program, what
  // was held back arrives at once, so one second may count far more and the
  // one before far less (9434 to 30321 seen on a busy machine). The median
  // stays within 40 % of the board's rate; counting every byte twice, or
  // losing every other one, would take it out.
  std::pair<long, long> steadyFigures() {
    std::vector<long> frames, values;
    for (int i = 0; i < 5; ++i) {
      if (i > 0) probe::sleepMs(1000);
      frames.push_back(leadingNumber(program.statusText(0)));
      values.push_back(leadingNumber(program.statusText(1)));
    }
    std::sort(frames.begin(), frames.end());
    std::sort(values.begin(), values.end());
    std::printf("frames per second read: %ld..%ld, values per second read: %ld..%ld\n", frames.front(), frames.back(),
                values.front(), values.back());
    return {frames[2], values[2]};
  }

  // The canvas once it has not changed for a second: a paused or frozen
  // picture, after the frame in progress and the re-show that follow a change.
  std::vector<std::uint32_t> settledCanvas() {
    std::vector<std::uint32_t> last = program.canvasPixels();
    int still = 0;
    probe::waitUntil([&] {
      probe::sleepMs(200);
      std::vector<std::uint32_t> now = program.canvasPixels();
      still = now == last ? still + 1 : 0;
      last = std::move(now);
      return still == 5;
    }, 20000);
    return last;
  }

  // Still serving its controls: the pause toggle flips and flips back.
  void expectResponsive() {
    const bool before = program.pressed(kurvlux::pauseToggleId);
    program.click(kurvlux::pauseToggleId);
    EXPECT_TRUE(probe::waitUntil([&] { return program.pressed(kurvlux::pauseToggleId) != before; }));
    program.click(kurvlux::pauseToggleId);
    EXPECT_TRUE(probe::waitUntil([&] { return program.pressed(kurvlux::pauseToggleId) == before; }));
  }

  void expectClosesCleanly() {
    expectResponsive();
    EXPECT_EQ(program.close(), 0);
  }

  probe::Board board{workFolder() + "/ttyKurvlux"};
  probe::Program program;
};
