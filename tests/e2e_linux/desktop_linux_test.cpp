// The Linux program on the desktops users have: the keyboard's Tab walk,
// close requests at any moment, a window destroyed by another client, and
// Wayland (a headless weston that the test runner starts).
#include <gtest/gtest.h>

#include <signal.h>
#include <string.h>

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

// Every way the program ends, at a random moment: closed in every mode, with the info box open, after it
// closed or was destroyed by another client, or under nohup after SIGHUP; destroyed, also with the box open;
// every kind of ending signal, two at once; the display lost, also right after a signal, or the connection
// closed by another client. Each ends as expected (a signal's ending by that signal, as its default action
// ends a process), leaving the device as found (stty -a) and free (stty, another program, opens it).
enum Ending { closed, closedBoxOpen, closedAfterBoxes, boxesDestroyed, nohup, destroyedIdle, destroyed, signalled,
              displayLost, xkilled, waylandLost };
struct EndingCase {
  const char* name;
  Ending ending;
  int mode = 0;  // odd modes at GDK_SCALE=2
  int signal = 0;
  bool box = false;
  int then = 0;  // a second signal right after the first
};
const EndingCase endingCases[] = {
    {"closedInMode0", closed, 0}, {"closedInMode1", closed, 1}, {"closedInMode2", closed, 2}, {"closedInMode3", closed, 3},
    {"closedInMode4", closed, 4}, {"closedInMode5", closed, 5}, {"closedInMode6", closed, 6}, {"closedInMode7", closed, 7},
    {"closedBoxOpen", closedBoxOpen, 0, 0, true}, {"closedAfterBoxes", closedAfterBoxes, 1, 0, true},
    {"boxesDestroyed", boxesDestroyed, 0, 0, true}, {"nohup", nohup, 0, SIGHUP}, {"destroyedIdle", destroyedIdle},
    {"destroyed", destroyed, 1}, {"sigterm", signalled, 0, SIGTERM}, {"sigint", signalled, 1, SIGINT},
    {"sighup", signalled, 0, SIGHUP}, {"sigtermBoxOpen", signalled, 1, SIGTERM, true},
    {"destroyedBoxOpen", destroyed, 0, 0, true}, {"sigquit", signalled, 1, SIGQUIT}, {"sigusr1", signalled, 0, SIGUSR1},
    {"sigalrm", signalled, 0, SIGALRM}, {"sigsegv", signalled, 1, SIGSEGV}, {"sigintThenSigterm", signalled, 0, SIGINT, false, SIGTERM},
    {"displayLost", displayLost}, {"xkilled", xkilled, 1}, {"waylandLost", waylandLost},
    {"sigtermThenDisplayLost", displayLost, 0, SIGTERM}};
// A failing row names itself, not its bytes.
void PrintTo(const EndingCase& c, std::ostream* out) {
  *out << c.name << " (mode " << c.mode;
  if (c.signal) *out << ", " << sigabbrev_np(c.signal);
  if (c.then) *out << " then " << sigabbrev_np(c.then);
  *out << (c.box ? ", info box open)" : ")");
}
class EveryEnding : public NativeProgram, public testing::WithParamInterface<EndingCase> {};

// What stty says of the device, or why it could not open it.
std::string sttyOf(const std::string& device, const std::string& settings = "-a") {
  std::string out(4096, '\0');
  FILE* stty = popen(("stty -F " + device + " " + settings + " 2>&1").c_str(), "r");
  out.resize(stty ? std::fread(out.data(), 1, out.size(), stty) : 0);
  if (stty) pclose(stty);
  return out;
}

// An Xvfb or a headless weston of the test's own, to take away under the program: its pid (-1: it did not start)
// and the settings that lead the program to it. Xvfb prints its display once it serves; weston makes its socket.
std::pair<pid_t, std::vector<std::string>> ownDisplay(bool wayland, const std::string& runtime) {
  FILE* server = popen((wayland ? "XDG_RUNTIME_DIR=" + runtime + " weston --backend=headless-backend.so --socket=w "
                                  "--idle-time=0 >/dev/null 2>&1 & echo $!"
                                : "Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp 2>/dev/null & echo $!").c_str(), "r");
  char pid[32]{}, display[32]{};
  bool started = server && std::fgets(pid, sizeof pid, server) && (wayland || std::fgets(display, sizeof display, server));
  if (server) pclose(server);
  started = started && (!wayland || probe::waitUntil([&] { return access((runtime + "/w").c_str(), F_OK) == 0; }));
  if (wayland) return {started ? std::atoi(pid) : -1, {"GDK_BACKEND=wayland", "WAYLAND_DISPLAY=" + runtime + "/w",
                                                       "XDG_RUNTIME_DIR=" + runtime}};
  return {started ? std::atoi(pid) : -1, {"DISPLAY=:" + std::to_string(std::atoi(display))}};
}

// What the program said, but GTK's own complaints (and the blank lines after them) under a compositor without a
// seat (no keyboard, no pointer).
std::string withoutSeatComplaints(const std::string& said) {
  std::istringstream lines(said);
  std::string kept;
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.find("GDK_IS_SEAT") == std::string::npos && line.find("GDK_IS_DEVICE") == std::string::npos) {
      kept += line + "\n";
    }
  }
  return kept;
}

TEST_P(EveryEnding, LeavesTheDeviceAsFoundAndFree) {
  const EndingCase c = GetParam();
  const unsigned seed = std::random_device()();
  const int delay = static_cast<int>(seed % 701);
  std::printf("seed %u: %s after %d ms\n", seed, c.name, delay);
  ASSERT_TRUE(board.plugIn({"--wave", "ramp", "--rate", "25000"}));
  const std::string device = board.device();
  ASSERT_EQ(sttyOf(device, "9600 crtscts ixon icanon echo"), "");
  // Far less than a block of the recording: only the ending writes it out.
  const std::string recording = workFolder() + "/" + c.name + ".bin";
  std::remove(recording.c_str());
  const std::string before = sttyOf(device);
  if (c.ending == waylandLost && std::system("command -v weston >/dev/null") != 0) {
    GTEST_SKIP() << "no weston: the runner's setup installs it";
  }
  std::string runtime = workFolder() + "/waylandXXXXXX";
  ASSERT_TRUE(c.ending != waylandLost || mkdtemp(runtime.data()));
  auto [server, settings] = c.ending == displayLost || c.ending == waylandLost
                                ? ownDisplay(c.ending == waylandLost, runtime)
                                : std::pair<pid_t, std::vector<std::string>>{0, {c.mode % 2 ? "GDK_SCALE=2" : ""}};
  ASSERT_GE(server, 0) << "no display server of its own";
  signal(SIGHUP, c.ending == nohup ? SIG_IGN : SIG_DFL);  // what the program inherits
  const bool started = program.start({"--record", recording, board.link()}, settings);
  signal(SIGHUP, SIG_DFL);
  if (!started && server > 0) kill(server, SIGKILL);
  ASSERT_TRUE(started);
  if (c.ending != destroyedIdle) {
    program.activate(connectToggleId);
    ASSERT_TRUE(probe::waitUntil([&] { return leadingNumber(program.statusText(1)) > 0; }));
    program.chooseMode(c.mode);
  }
  if (c.box) program.activate(infoToggleId);
  ASSERT_TRUE(!c.box || program.boxShown());
  for (int box = 0; box < 2 && c.ending == closedAfterBoxes; ++box) EXPECT_NE(program.answerBox(), "");
  // A destroyed box counts as closed: the second one still follows.
  for (int box = 0; box < 2 && c.ending == boxesDestroyed; ++box) EXPECT_TRUE(program.destroyBox());
  probe::sleepMs(delay);
  if (c.signal != 0) kill(program.pid(), c.signal);
  if (c.then != 0) kill(program.pid(), c.then);
  if (server > 0) kill(server, SIGKILL);
  if (c.ending == nohup) expectResponsive();
  if (c.ending <= nohup) program.requestClose();
  // With the box open, the close waits until both boxes are closed; a destroyed window ends without them.
  for (int box = 0; box < 2 && c.ending == closedBoxOpen; ++box) EXPECT_NE(program.answerBox(), "");
  const int ended = c.ending == destroyedIdle || c.ending == destroyed ? program.destroyWindow()
                    : c.ending == xkilled                              ? program.killClient()
                                                                       : program.exitCode();
  const std::string after = sttyOf(device);
  std::printf("exit %d, stty -a after: %s", ended, after.substr(0, after.find('\n') + 1).c_str());
  // A signal that came first decides, also over a display lost right after it.
  const int bySignal = c.ending == nohup ? 0 : c.signal;
  EXPECT_EQ(ended, bySignal ? 128 + bySignal : c.ending >= displayLost ? 1 : 0);
  EXPECT_EQ(program.endingSignal(), bySignal) << "ended by an exit status, not by the signal";
  EXPECT_EQ(after, before);
  const std::string said = withoutSeatComplaints(program.standardError()), lost = "kurvlux: the display connection was lost\n";
  // Whether the close after a signal met the lost display first is the machine's choice.
  if (c.ending >= displayLost && bySignal) EXPECT_TRUE(said == "" || said == lost) << said;
  else EXPECT_EQ(said, c.ending >= displayLost ? lost : "");
  const std::string bytes = fileContents(recording);
  EXPECT_EQ(bytes.empty(), c.ending == destroyedIdle) << "the bytes read before the ending, " << bytes.size();
  EXPECT_EQ(firstBreakInRamp(bytes), bytes.size()) << "a byte lost or repeated";
}

INSTANTIATE_TEST_SUITE_P(Endings, EveryEnding, testing::ValuesIn(endingCases),
                         [](const testing::TestParamInfo<EndingCase>& info) { return std::string(info.param.name); });

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
  EXPECT_EQ(withoutSeatComplaints(program.standardError()), "");
}

}  // namespace
