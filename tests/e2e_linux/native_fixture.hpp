// What every end-to-end test of the Linux program shares: a board, the
// program, and the checks that it is still serving its controls.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "e2e_linux/probe_linux.hpp"
#include "ui/controls.hpp"

inline long leadingNumber(const std::string& text) { return std::strtol(text.c_str(), nullptr, 10); }

inline bool endsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

inline int differingPixels(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b) {
  if (a.size() != b.size()) return -1;
  int count = 0;
  for (std::size_t i = 0; i < a.size(); ++i) count += a[i] != b[i] ? 1 : 0;
  return count;
}

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
  bool pressConnect() {
    program.click(kurvlux::connectToggleId);
    return probe::waitUntil([&] { return program.text(kurvlux::connectToggleId) == "Trennen"; }, 3000) &&
           program.pressed(kurvlux::connectToggleId);
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
