// The Linux program on the desktops users have: the keyboard's Tab walk,
// close requests at any moment, a window destroyed by another client, and
// Wayland (a headless weston that the test runner starts).
#include <gtest/gtest.h>

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
    probe::waitUntil([&] { return (now = program.focusedControl()) != before && now != -1; }, 3000);
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
  enum class Moment { streaming, infoOpen, infoClosed, destroyedIdle, destroyedStreaming };
  struct Case {
    Moment moment;
    int mode;
  };
  std::vector<Case> cases;
  for (int mode = 0; mode < 8; ++mode) cases.push_back({Moment::streaming, mode});
  for (Moment moment : {Moment::infoOpen, Moment::infoClosed, Moment::destroyedIdle, Moment::destroyedStreaming}) {
    cases.push_back({moment, 0});
  }
  const unsigned seed = std::random_device()();
  std::mt19937 random(seed);
  std::printf("seed %u\n", seed);
  ASSERT_TRUE(board.plugIn({"--wave", "sine", "--rate", "25000"}));
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    const int delay = std::uniform_int_distribution<int>(0, 700)(random);
    SCOPED_TRACE(testing::Message() << "case " << i << ", " << delay << " ms");
    probe::Program run;
    ASSERT_TRUE(run.start({board.link()}, {i % 2 ? "GDK_SCALE=2" : ""}));
    if (c.moment != Moment::destroyedIdle) {
      run.activate(connectToggleId);
      ASSERT_TRUE(probe::waitUntil([&] { return leadingNumber(run.statusText(1)) > 0; }));
      run.chooseMode(c.mode);
    }
    if (c.moment == Moment::infoOpen || c.moment == Moment::infoClosed) {
      run.activate(infoToggleId);
      ASSERT_TRUE(run.boxShown());
    }
    if (c.moment == Moment::infoClosed) {
      EXPECT_NE(run.answerBox(), "");
      EXPECT_NE(run.answerBox(), "");
    }
    probe::sleepMs(delay);
    if (c.moment == Moment::destroyedIdle || c.moment == Moment::destroyedStreaming) {
      EXPECT_EQ(run.destroyWindow(), 0);
    } else {
      run.requestClose();
      if (c.moment == Moment::infoOpen) {
        // The close waits until both boxes are closed.
        EXPECT_NE(run.answerBox(), "");
        EXPECT_NE(run.answerBox(), "");
      }
      EXPECT_EQ(run.exitCode(), 0);
    }
    EXPECT_EQ(run.standardError(), "");
    std::printf("case %zu (moment %d, mode %d, %s): close sent after %d ms\n", i, static_cast<int>(c.moment), c.mode,
                i % 2 ? "GDK_SCALE=2" : "scale 1", delay);
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
  std::printf("on Wayland: \"%s\" \"%s\"\n", program.statusText(0).c_str(), program.statusText(1).c_str());
  program.activate(infoToggleId);
  const std::string info = program.answerBox(), sketch = program.answerBox();
  std::printf("info boxes: \"%.20s...\" \"%.32s...\"\n", info.c_str(), sketch.c_str());
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
