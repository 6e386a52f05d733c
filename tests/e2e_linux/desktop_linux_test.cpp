// The Linux program on the desktops users have: the keyboard's Tab walk,
// close requests at any moment, a window destroyed by another client, and
// Wayland (a headless weston that the test runner starts).
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>

#include "e2e_linux/native_fixture.hpp"

namespace {

using namespace kurvlux;

TEST_F(NativeProgram, TabAndShiftTabWalkTheControlsWithRealKeys) {
  ASSERT_TRUE(program.start({}));
  program.click(portBoxId);
  ASSERT_TRUE(probe::waitUntil([&] { return program.focusedControl() == portBoxId; }));
  std::vector<int> walked;
  for (const char* key : {"Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "shift+Tab", "shift+Tab", "shift+Tab"}) {
    const int before = program.focusedControl();
    int now = before;
    program.key(key);
    probe::waitUntil([&] { return (now = program.focusedControl()) != before && now != -1; });
    walked.push_back(now);
  }
  EXPECT_EQ(walked, (std::vector<int>{7, 10, 8, 9, 11, 12, 6, 12, 11, 9}));
  EXPECT_EQ(program.close(), 0);
}

// One close request at a random moment, streaming in every mode, with the
// info box open and right after it closed, at both screen scales; and the
// window destroyed by another client, idle and streaming. Each run ends at
// once with exit code 0 and nothing on standard error.
TEST_F(NativeProgram, EveryCloseEndsTheProgram) {
  // Cases 0 to 7 stream in modes 0 to 7; the later ones in mode 0.
  enum Moment { streaming = 7, infoOpen, infoClosed, destroyedIdle, destroyedStreaming };
  const char* said[] = {"streaming", "info box open", "info box just closed", "destroyed idle", "destroyed streaming"};
  const unsigned seed = std::random_device()();
  std::mt19937 random(seed);
  ASSERT_TRUE(board.plugIn({"--wave", "sine", "--rate", "25000"}));
  for (int i = 0; i <= destroyedStreaming; ++i) {
    const int moment = std::max<int>(i, streaming), delay = std::uniform_int_distribution<int>(0, 700)(random);
    std::printf("seed %u, case %d (%s, mode %d, %s): close sent after %d ms\n", seed, i, said[moment - streaming],
                i <= streaming ? i : 0, i % 2 ? "GDK_SCALE=2" : "scale 1", delay);
    probe::Program run;
    ASSERT_TRUE(run.start({board.link()}, {i % 2 ? "GDK_SCALE=2" : ""}));
    if (moment != destroyedIdle) {
      run.activate(connectToggleId);
      ASSERT_TRUE(probe::waitUntil([&] { return leadingNumber(run.statusText(1)) > 0; }));
      run.chooseMode(i <= streaming ? i : 0);
    }
    if (moment == infoOpen || moment == infoClosed) {
      run.activate(infoToggleId);
      ASSERT_TRUE(run.boxShown());
    }
    for (int box = 0; box < 2 && moment == infoClosed; ++box) EXPECT_NE(run.answerBox(), "");
    probe::sleepMs(delay);
    if (moment >= destroyedIdle) {
      EXPECT_EQ(run.destroyWindow(), 0);
    } else {
      run.requestClose();
      // With the box open, the close waits until both boxes are closed.
      for (int box = 0; box < 2 && moment == infoOpen; ++box) EXPECT_NE(run.answerBox(), "");
      EXPECT_EQ(run.exitCode(), 0);
    }
    EXPECT_EQ(run.standardError(), "");
  }
}

TEST_F(NativeProgram, OnWaylandItStreamsShowsBothInfoBoxesAndEnds) {
  const char* wayland = std::getenv("KURVLUX_WAYLAND_DISPLAY");
  if (!wayland) GTEST_SKIP() << "no weston: tests/e2e_linux/run_e2e_linux.sh starts one where it is installed";
  ASSERT_TRUE(board.plugIn({"--wave", "sine", "--rate", "25000"}));
  // GTK looks for a Wayland compositor only with a runtime folder set; its
  // title bar's "Close" is English whatever the machine's language.
  const std::string socket = wayland;
  ASSERT_TRUE(program.start({board.link()}, {"GDK_BACKEND=wayland", "WAYLAND_DISPLAY=" + socket, "LANGUAGE=en",
                                             "XDG_RUNTIME_DIR=" + socket.substr(0, socket.rfind('/'))}));
  program.setText(thresholdBoxId, "130");
  program.activate(connectToggleId);
  ASSERT_TRUE(probe::waitUntil([&] { return leadingNumber(program.statusText(1)) > 24000; })) << program.statusText(1);
  program.activate(infoToggleId);
  const std::string info = program.answerBox(), sketch = program.answerBox();
  std::printf("on Wayland: \"%s\" \"%s\", boxes \"%.20s...\" \"%.32s...\"\n", program.statusText(0).c_str(),
              program.statusText(1).c_str(), info.c_str(), sketch.c_str());
  EXPECT_EQ(info.rfind("Name:", 0), 0u);
  EXPECT_EQ(sketch.rfind("Beispiel für den Arduino-Sketch:", 0), 0u);
  EXPECT_TRUE(program.pressed(connectToggleId));
  EXPECT_EQ(program.closeFromTitleBar(), 0);
  // A compositor without a seat (no keyboard, no pointer) makes GTK itself
  // complain; nothing else may appear.
  std::istringstream errors(program.standardError());
  for (std::string line; std::getline(errors, line);) {
    if (line.find("GDK_IS_SEAT") == std::string::npos && line.find("GDK_IS_DEVICE") == std::string::npos) {
      EXPECT_EQ(line, "");
    }
  }
}

}  // namespace
