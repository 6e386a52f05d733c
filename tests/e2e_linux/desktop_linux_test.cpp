// The Linux program on the desktops users have: the keyboard's Tab walk,
// close requests at any moment, a window destroyed by another client, and
// Wayland (a headless weston that the test runner starts).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

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

// Every way the program ends, each at a random moment of its kind: the close
// button while streaming in every mode, with the info box open and right
// after it closed; the window destroyed by another client, idle and
// streaming; SIGTERM, SIGINT and SIGHUP, once with the box open; both boxes
// destroyed by another client; and SIGHUP inherited as ignored (nohup). Each
// ends with the status or signal expected and nothing on standard error, and
// leaves the device set as it was found (stty -a before and after) and free.
// Odd modes run at GDK_SCALE=2.
enum Ending { closed, closedBoxOpen, closedAfterBoxes, destroyedIdle, destroyed, sigterm, sigint, sighup, sigtermBoxOpen, boxesDestroyed, nohup };
struct EndingCase {
  Ending ending;
  int mode = 0;
};
class EveryEnding : public NativeProgram, public testing::WithParamInterface<EndingCase> {};

// What stty reads of the device, or why it could not open it.
std::string sttyOf(const std::string& device, const std::string& settings = "-a") {
  std::string out;
  if (FILE* stty = popen(("stty -F " + device + " " + settings + " 2>&1").c_str(), "r")) {
    for (int c; (c = std::fgetc(stty)) != EOF;) out += static_cast<char>(c);
    pclose(stty);
  }
  return out;
}

std::string endingName(const EndingCase& c) {
  const char* names[] = {"closed", "closedBoxOpen", "closedAfterBoxes", "destroyedIdle", "destroyed", "sigterm",
                         "sigint", "sighup", "sigtermBoxOpen", "boxesDestroyed", "nohup"};
  return names[c.ending] + (c.ending == closed ? "InMode" + std::to_string(c.mode) : "");
}

TEST_P(EveryEnding, LeavesTheDeviceAsFoundAndFree) {
  const EndingCase c = GetParam();
  const unsigned seed = std::random_device()();
  std::mt19937 random(seed);
  const int delay = std::uniform_int_distribution<int>(0, 700)(random);
  std::printf("seed %u: %s after %d ms\n", seed, endingName(c).c_str(), delay);
  ASSERT_TRUE(board.plugIn({"--wave", "sine", "--rate", "25000"}));
  const std::string device = board.device();
  ASSERT_EQ(sttyOf(device, "9600 crtscts ixon icanon echo"), "");
  const std::string before = sttyOf(device);
  struct sigaction inherited {}, ignored {};
  ignored.sa_handler = c.ending == nohup ? SIG_IGN : SIG_DFL;
  sigaction(SIGHUP, &ignored, &inherited);
  const bool started = program.start({board.link()}, {c.mode % 2 ? "GDK_SCALE=2" : ""});
  sigaction(SIGHUP, &inherited, nullptr);
  ASSERT_TRUE(started);
  if (c.ending != destroyedIdle) {
    program.activate(connectToggleId);
    ASSERT_TRUE(probe::waitUntil([&] { return leadingNumber(program.statusText(1)) > 0; }));
    program.chooseMode(c.mode);
  }
  if (c.ending == closedBoxOpen || c.ending == closedAfterBoxes || c.ending == sigtermBoxOpen || c.ending == boxesDestroyed) {
    program.activate(infoToggleId);
    ASSERT_TRUE(program.boxShown());
  }
  for (int box = 0; box < 2 && c.ending == closedAfterBoxes; ++box) EXPECT_NE(program.answerBox(), "");
  // A destroyed box counts as closed: the second one still follows.
  for (int box = 0; box < 2 && c.ending == boxesDestroyed; ++box) EXPECT_TRUE(program.destroyBox());
  probe::sleepMs(delay);
  const int signals[] = {SIGTERM, SIGINT, SIGHUP, SIGTERM};
  int expected = 0;
  if (c.ending == destroyedIdle || c.ending == destroyed) {
    program.destroyWindow();
  } else if (c.ending >= sigterm && c.ending <= sigtermBoxOpen) {
    const int sent = signals[c.ending - sigterm];
    kill(program.pid(), sent);
    expected = 128 + sent;
  } else {
    if (c.ending == nohup) {
      kill(program.pid(), SIGHUP);
      expectResponsive();
    }
    program.requestClose();
    // With the box open, the close waits until both boxes are closed.
    for (int box = 0; box < 2 && c.ending == closedBoxOpen; ++box) EXPECT_NE(program.answerBox(), "");
  }
  const int ended = program.exitCode();
  const std::string after = sttyOf(device);
  std::printf("exit %d; stty -a before and after: %s", ended, after == before ? after.substr(0, after.find('\n') + 1).c_str() : "differ\n");
  EXPECT_EQ(ended, expected);
  EXPECT_EQ(after, before);
  const int fd = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  int exclusive = -1;
  EXPECT_EQ(fd >= 0 ? ioctl(fd, TIOCGEXCL, &exclusive) : -1, 0) << "no second open of " << device;
  EXPECT_EQ(exclusive, 0);
  if (fd >= 0) close(fd);
  EXPECT_EQ(program.standardError(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Endings, EveryEnding,
    testing::Values(EndingCase{closed, 0}, EndingCase{closed, 1}, EndingCase{closed, 2}, EndingCase{closed, 3},
                    EndingCase{closed, 4}, EndingCase{closed, 5}, EndingCase{closed, 6}, EndingCase{closed, 7},
                    EndingCase{closedBoxOpen}, EndingCase{closedAfterBoxes, 1}, EndingCase{destroyedIdle},
                    EndingCase{destroyed, 1}, EndingCase{sigterm}, EndingCase{sigint, 1}, EndingCase{sighup},
                    EndingCase{sigtermBoxOpen, 1}, EndingCase{boxesDestroyed}, EndingCase{nohup}),
    [](const testing::TestParamInfo<EndingCase>& info) { return endingName(info.param); });

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
