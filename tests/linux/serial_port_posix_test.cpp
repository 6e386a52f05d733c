// The termios port layer against real pseudo-terminals: each test starts the
// board simulator with a counting ramp, so every byte read can be checked,
// and ends it to look like an unplugged board.
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>

#include "serial/device_identity_posix.hpp"
#include "serial/line_speed_posix.hpp"
#include "serial/open_diagnostic_posix.hpp"
#include "serial/port_restore_posix.hpp"
#include "serial/retry_posix.hpp"
#include "serial/serial_port_posix.hpp"
#include "serial/termios_settings_posix.hpp"
#include "text/file_name_text.hpp"
#include "text/utf8_text.hpp"

extern char** environ;

namespace kurvlux {
namespace {

constexpr int programPortId = 2;

// KURVLUX_BOARD_SIMULATOR, else the simulator built beside this program.
std::string simulatorPath() {
  if (const char* set = std::getenv("KURVLUX_BOARD_SIMULATOR")) return set;
  return (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "board_simulator").string();
}

// One simulated board on a pseudo-terminal, streaming a ramp until unplugged.
class SimulatedBoard {
 public:
  SimulatedBoard() {
    const std::string program = simulatorPath();
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::string args[] = {program, "--wave", "ramp", "--rate", "20000"};
    char* argv[] = {args[0].data(), args[1].data(), args[2].data(), args[3].data(), args[4].data(), nullptr};
    if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv, environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    char c = 0;
    while (pid_ > 0 && read(out[0], &c, 1) == 1 && c != '\n') path_ += c;
    close(out[0]);
  }
  ~SimulatedBoard() { unplug(); }
  SimulatedBoard(const SimulatedBoard&) = delete;
  SimulatedBoard& operator=(const SimulatedBoard&) = delete;

  bool running() const { return pid_ > 0 && !path_.empty(); }
  const std::string& path() const { return path_; }
  Text port() const { return textFromUtf8(path_); }
  void unplug() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
  std::string path_;
};

// A pseudo-terminal whose near end the test keeps: termios calls on it
// reach the far end, the device that the ports open, without opening it.
struct PseudoTerminal {
  PseudoTerminal() : near(posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK)) {
    if (near >= 0 && grantpt(near) == 0 && unlockpt(near) == 0) path = ptsname(near);
  }
  ~PseudoTerminal() { close(near); }
  int near;
  std::string path;
};

// Flags, control characters and both rates, as `stty -a` shows them.
std::string terminalState(int fd) {
  termios t{};
  tcgetattr(fd, &t);
  const LineRates rates = lineRates(fd);
  return testing::PrintToString(std::make_tuple(t.c_iflag, t.c_oflag, t.c_cflag, t.c_lflag,
                                                std::string(t.c_cc, t.c_cc + NCCS), rates.input, rates.output));
}

// Whether a fresh open finds the device's exclusive flag set.
bool exclusiveFlagSet(const std::string& path) {
  const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  int exclusive = 0;
  if (fd < 0) return errno == EBUSY;
  ioctl(fd, TIOCGEXCL, &exclusive);
  close(fd);
  return exclusive != 0;
}

// What `body` gives, run in a child process, where a case may change what
// the process is: its user, its session, its standard streams.
std::string inChild(const std::function<std::string()>& body) {
  int out[2];
  if (pipe(out) != 0) return "no pipe";
  const pid_t child = fork();
  if (child == 0) {
    const std::string text = body();
    _exit(write(out[1], text.data(), text.size()) == static_cast<ssize_t>(text.size()) ? 0 : 1);
  }
  close(out[1]);
  std::string text;
  char chunk[256];
  for (ssize_t n; (n = read(out[0], chunk, sizeof chunk)) > 0;) text.append(chunk, static_cast<std::size_t>(n));
  close(out[0]);
  waitpid(child, nullptr, 0);
  return text;
}

#define START_BOARD(name)                                                              \
  SimulatedBoard name;                                                                 \
  ASSERT_TRUE(name.running()) << "no board simulator at " << simulatorPath()

// Polls until at least `count` bytes wait; gives up after about ten seconds.
std::int32_t waitForBytes(SerialPorts& ports, int id, std::int32_t count) {
  std::int32_t waiting = 0;
  for (int i = 0; i < 2000 && waiting < count; ++i) {
    waiting = ports.waitingByteCount(id);
    if (waiting < count) usleep(5000);
  }
  return waiting;
}

// Reads `count` bytes into a larger buffer and checks that they continue the
// ramp (after `previous`, if given) and that nothing behind them was written.
// Gives the last byte read.
int expectRampRead(SerialPorts& ports, int id, std::int32_t count, int previous = -1) {
  std::array<std::uint8_t, 512> buffer;
  buffer.fill(0xEE);
  EXPECT_EQ(ports.readPortBytes(id, buffer.data(), count), count);
  int last = previous;
  for (std::int32_t i = 0; i < count; ++i) {
    if (last >= 0) {
      EXPECT_EQ(buffer[i], (last + 1) % 256) << "ramp broken at byte " << i;
    }
    last = buffer[i];
  }
  for (std::size_t i = static_cast<std::size_t>(count); i < buffer.size(); ++i) {
    EXPECT_EQ(buffer[i], 0xEE) << "written past the requested length at " << i;
  }
  return last;
}

// Run as root and again as an ordinary user (run_linux_tests.sh), whom an
// exclusive flag left behind keeps out. Each way of closing puts back the
// device as found (a terminal's settings at 9600 baud, or a rate only
// termios2 sets) and lets the next one in; so does what an ending signal's
// handler does after a disconnect and a new connection on another device,
// which takes the descriptor's number again.
TEST(SerialPortPosix, ClosingLeavesTheDeviceAsFoundAndFree) {
  enum Close { port, all, owner, replaced, failedOpen, signalledAfterReconnect };
  const std::tuple<Close, std::uint32_t, std::int32_t> cases[] = {
      {port, 9600, 250000}, {all, 250000, 9600}, {owner, 9600, 1843200}, {replaced, 250000, 115200}, {failedOpen, 9600, 0},
      {signalledAfterReconnect, 9600, 250000}};
  for (const auto& [close, found, asked] : cases) {
    SCOPED_TRACE(close);
    PseudoTerminal device, other;
    termios t{};
    ASSERT_EQ(tcgetattr(device.near, &t), 0);
    // 9600 as a driver records it, in both rate fields (the input one is
    // CBAUD shifted to CIBAUD); any other rate as only termios2 sets it.
    t.c_cflag = (t.c_cflag & ~(CBAUD | CIBAUD)) | B9600 | B9600 * (CIBAUD / CBAUD) | CRTSCTS;
    t.c_iflag |= IXON, t.c_lflag |= ICANON | ECHO;
    ASSERT_TRUE(tcsetattr(device.near, TCSANOW, &t) == 0 && (found == 9600 || setLineSpeed(device.near, found)));
    // A rate no other case has, so that any other copy put back over it shows.
    termios o{};
    ASSERT_TRUE(close != signalledAfterReconnect ||
                (tcgetattr(other.near, &o) == 0 && cfsetspeed(&o, B4800) == 0 && tcsetattr(other.near, TCSANOW, &o) == 0));
    const std::string before = terminalState(device.near), otherBefore = terminalState(other.near);
    {
      std::ostringstream diagnostics;
      SerialPortsPosix ports(diagnostics);
      const PortSettings settings{asked};
      // With descriptor 0 free, the port still takes none of 0 to 2.
      const int input = dup(STDIN_FILENO);
      ::close(STDIN_FILENO);
      const auto fd = static_cast<int>(ports.openPort(programPortId, textFromUtf8(device.path), settings));
      EXPECT_EQ(fcntl(STDIN_FILENO, F_GETFD), -1);
      dup2(input, STDIN_FILENO), ::close(input);
      EXPECT_EQ(fd > 2, close != failedOpen);
      // Raw, non-blocking (or a line without carrier detect freezes the window).
      int exclusive = 0;
      if (fd > 2 && ioctl(fd, TIOCGEXCL, &exclusive) == 0 && tcgetattr(fd, &t) == 0) {
        const LineRates rates = lineRates(fd);
        const auto asOpen = std::make_tuple(fcntl(fd, F_GETFL) & O_NONBLOCK, fcntl(fd, F_GETFD), exclusive, t.c_cc[VMIN],
                                            t.c_lflag & (ICANON | ECHO | ISIG), t.c_iflag & (IXON | ICRNL),
                                            t.c_cflag & (CSIZE | CLOCAL | CREAD | CRTSCTS), rates.input, rates.output);
        EXPECT_EQ(asOpen, std::make_tuple(O_NONBLOCK, FD_CLOEXEC, 1, cc_t{1}, 0u, 0u, tcflag_t{CS8 | CLOCAL | CREAD},
                                          std::uint32_t(asked), std::uint32_t(asked)));
      }
      // The count the loop's waits set is put back like every other setting.
      ports.setWakeCount(programPortId, 200);
      if (close == port) ports.closePort(programPortId);
      if (close == all) ports.closePort(-1);
      const auto again = [&] { return int(ports.openPort(programPortId, textFromUtf8(other.path), settings)); };
      EXPECT_TRUE(close != replaced || fcntl(again(), F_GETFD) == FD_CLOEXEC);
      EXPECT_EQ(close == owner || close == signalledAfterReconnect ? before : terminalState(device.near), before);
      if (close == signalledAfterReconnect) {
        ports.closePort(programPortId);
        const int reopened = static_cast<int>(ports.openPort(programPortId, textFromUtf8(device.path), settings));
        ports.closePort(programPortId);
        const int fd = again();
        EXPECT_EQ(fd, reopened) << "not the same descriptor's number";
        restoreEveryPort();
        EXPECT_EQ(fcntl(fd, F_GETFD), -1) << "the new connection stays open";
        EXPECT_EQ(terminalState(other.near), otherBefore);
        EXPECT_FALSE(exclusiveFlagSet(other.path));
      }
    }
    EXPECT_EQ(terminalState(device.near), before);
    EXPECT_FALSE(exclusiveFlagSet(device.path)) << "another program cannot open the device";
  }
}

// A handler without SA_RESTART makes a waiting call of the thread it hits
// return EINTR; an idle port comes through a storm of them.
TEST(SerialPortPosix, ASignalIsNotAnUnplug) {
  struct sigaction action {}, previous{};
  action.sa_handler = [](int) {};
  ASSERT_EQ(sigaction(SIGUSR1, &action, &previous), 0);
  // What waited before the connect came at a rate not yet set: no sample.
  PseudoTerminal device;
  pollfd early{open(device.path.c_str(), O_RDWR | O_NOCTTY), POLLIN, 0};
  ASSERT_EQ(write(device.near, "old\n", 4), 4);
  ASSERT_EQ(poll(&early, 1, 10000), 1);
  SerialPortsPosix ports;
  ASSERT_NE(ports.openPort(programPortId, textFromUtf8(device.path), PortSettings{}), 0u);
  close(early.fd);
  std::atomic<int> sent = 0;
  std::thread storm([&, target = pthread_self()] {
    for (; sent < 300000 && !ports.portFailed(programPortId); ++sent) pthread_kill(target, SIGUSR1);
  });
  while (sent < 300000 && !ports.portFailed(programPortId)) ports.waitingByteCount(programPortId);
  storm.join();
  sigaction(SIGUSR1, &previous, nullptr);
  std::printf("%d signals while idle\n", sent.load());
  ASSERT_EQ(write(device.near, "abc", 3), 3);
  EXPECT_EQ(waitForBytes(ports, programPortId, 3), 3);
  // Asked for more than waits, the read meets EAGAIN: no unplug either.
  std::array<char, 8> got{};
  EXPECT_EQ(ports.readPortBytes(programPortId, reinterpret_cast<std::uint8_t*>(got.data()), 8), 3);
  EXPECT_STREQ(got.data(), "abc");
  EXPECT_FALSE(ports.portFailed(programPortId));
  // A call cut short is made again; any other failure is handed on.
  int calls = 0;
  EXPECT_EQ(retryOnSignal([&] { errno = ++calls < 3 ? EINTR : EAGAIN; return calls < 3 ? -1 : 7; }), 7);
  EXPECT_EQ(retryOnSignal([&] { errno = EAGAIN; return ++calls < 5 ? -1 : 9; }), -1);
}

TEST(SerialPortPosix, ReadsTheWaitingBytesInOrderWithNothingLost) {
  START_BOARD(board);
  SerialPortsPosix ports;
  ASSERT_NE(ports.openPort(programPortId, board.port(), PortSettings{}), 0u);
  ASSERT_GE(waitForBytes(ports, programPortId, 37), 37);
  int last = expectRampRead(ports, programPortId, 37);
  // A whole queue at once, as the program's loop reads it.
  const std::int32_t waiting = std::min(waitForBytes(ports, programPortId, 100), 256);
  last = expectRampRead(ports, programPortId, waiting, last);
  // Asked for more than waits, a read hands on what is there and never more
  // than asked; it does not wait for the rest.
  const std::int32_t more = std::min(waitForBytes(ports, programPortId, 1), 200);
  std::array<std::uint8_t, 512> buffer;
  buffer.fill(0xEE);
  const std::int32_t got = ports.readPortBytes(programPortId, buffer.data(), more + 100);
  EXPECT_GE(got, more);
  EXPECT_LE(got, more + 100);
  for (std::int32_t i = 0; i < got; ++i) ASSERT_EQ(buffer[i], (last + 1 + i) % 256) << "at byte " << i;
  EXPECT_EQ(buffer[static_cast<std::size_t>(more + 100)], 0xEE);
}

TEST(SerialPortPosix, APortHeldCannotBeOpenedAgainUnderAnyName) {
  START_BOARD(board);
  std::ostringstream diagnostics;
  SerialPortsPosix ports(diagnostics);
  ASSERT_NE(ports.openPort(programPortId, board.port(), PortSettings{}), 0u);
  // Under another name too: a link whose name is no UTF-8 and holds a
  // backslash, and as root a second node of the device.
  const std::string link = std::filesystem::temp_directory_path() / ("kurvlux-b\xE4r\\d-" + std::to_string(getpid()));
  std::filesystem::remove(link);
  const std::string node = link + "-node";
  std::filesystem::create_symlink(board.path(), link);
  struct stat status {};
  const bool copied = stat(board.path().c_str(), &status) == 0 && mknod(node.c_str(), S_IFCHR | 0600, status.st_rdev) == 0;
  std::string refused;
  for (const auto& [id, name] : {std::pair{3, board.path()}, {programPortId, board.path()}, {4, link}, {5, node}}) {
    if (name == node && !copied) continue;
    EXPECT_EQ(deviceIdentity(textFromFileName(name)), deviceIdentity(board.port())) << name;
    EXPECT_EQ(ports.openPort(id, textFromFileName(name), PortSettings{}), 0u);
    refused += "kurvlux: " + printableFileName(name) + ": already open in this program\n";
  }
  EXPECT_EQ(diagnostics.str(), refused);
  EXPECT_NE(deviceIdentity(textFromUtf8(PseudoTerminal().path)), deviceIdentity(board.port()));
  // Another owner in the same process is kept out as another program would be.
  std::ostringstream otherDiagnostics;
  SerialPortsPosix other(otherDiagnostics);
  EXPECT_EQ(other.openPort(programPortId, board.port(), PortSettings{}), 0u);
  for (const std::string& made : {link, node}) std::filesystem::remove(made);
  EXPECT_NE(otherDiagnostics.str().find(board.path()), std::string::npos);
  // The held port keeps delivering.
  ASSERT_GE(waitForBytes(ports, programPortId, 37), 37);
  expectRampRead(ports, programPortId, 37);
  EXPECT_EQ(ports.waitingByteCount(3), 0);
}

TEST(SerialPortPosix, IdentifierTableOpensClosesAndReplaces) {
  START_BOARD(boardA);
  START_BOARD(boardB);
  SerialPortsPosix ports;
  std::array<std::uint8_t, 16> buffer;
  buffer.fill(0x5A);
  const auto untouched = buffer;
  EXPECT_EQ(ports.waitingByteCount(programPortId), 0);
  EXPECT_EQ(ports.readPortBytes(programPortId, buffer.data(), 16), 0);
  EXPECT_EQ(ports.openPort(-1, boardA.port(), PortSettings{}), 0u);
  // Re-opening an identifier on another device closes the older port.
  const std::uintptr_t first = ports.openPort(programPortId, boardA.port(), PortSettings{});
  ASSERT_NE(first, 0u);
  ASSERT_NE(ports.openPort(programPortId, boardB.port(), PortSettings{}), 0u);
  EXPECT_EQ(fcntl(static_cast<int>(first), F_GETFD), -1) << "the old descriptor is still open";
  ASSERT_GE(waitForBytes(ports, programPortId, 16), 16);
  expectRampRead(ports, programPortId, 16);
  ASSERT_NE(ports.openPort(40, boardA.port(), PortSettings{}), 0u);
  ports.closePort(programPortId);
  ports.closePort(programPortId);
  EXPECT_EQ(ports.waitingByteCount(programPortId), 0);
  EXPECT_EQ(ports.readPortBytes(programPortId, buffer.data(), 16), 0);
  EXPECT_FALSE(ports.portFailed(programPortId));
  EXPECT_EQ(buffer, untouched);
  // -1 closes every open port: another owner can open both afterwards.
  ports.closePort(-1);
  EXPECT_EQ(ports.waitingByteCount(40), 0);
  SerialPortsPosix other;
  EXPECT_NE(other.openPort(programPortId, boardA.port(), PortSettings{}), 0u);
  EXPECT_NE(other.openPort(3, boardB.port(), PortSettings{}), 0u);
}

// Each case in a process of its own session, started without a terminal,
// which may then have its own pseudo-terminal ("*" as a name) as controlling
// terminal or on a standard stream, and which another may hold.
TEST(SerialPortPosix, AnUnopenablePortGivesZeroAndOneLineNamingTheDevice) {
  START_BOARD(board);
  const std::filesystem::path plainFile =
      std::filesystem::temp_directory_path() / ("kurvlux-plain-" + std::to_string(getpid()));
  const std::string fifo = plainFile.string() + "-fifo";
  { std::ofstream(plainFile) << "x"; }
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  // Locked by someone else, a file that is no device (a private device node
  // too, as root) is refused as such: no lock is tried before.
  const std::string nullNode = plainFile.string() + "-null";
  const int nullLock = mknod(nullNode.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0 ? open(nullNode.c_str(), O_RDONLY) : -1;
  const int plainLock = open(plainFile.c_str(), O_RDONLY), fifoLock = open(fifo.c_str(), O_RDWR);
  for (const int locked : {plainLock, fifoLock, nullLock}) ASSERT_TRUE(locked < 0 || flock(locked, LOCK_EX) == 0);
  // Where /sys tells, a device that is no terminal is not even opened.
  const std::string memory = std::filesystem::exists("/sys/dev/char/1:3/subsystem") ? " (it is a mem device)" : "";
  const std::string ownTerminal = "not opened: it is the terminal this program runs in";
  // The test itself holds the device the child finds busy.
  std::string self;
  std::ifstream("/proc/self/comm") >> self;
  const std::vector<PortHolder> heldHere{{self, long(getpid())}};
  enum Place { input = STDIN_FILENO, output = STDOUT_FILENO, errors = STDERR_FILENO, controlling, nowhere };
  enum Holder { none, flag, flagLeft, lock, sharedLock };
  struct Case {
    Text portName;
    Place place;
    Holder holder;
    std::int32_t baudRate;
    std::int32_t dataBits;
    std::string device;  // "*": its own terminal; empty: it opens, and it takes no terminal to run in
    std::string reason;
  };
  const Case cases[] = {
      {u"kurvlux-no-such-tty", nowhere, none, 250000, 8, "/dev/kurvlux-no-such-tty", "No such file or directory"},
      {u"/kurvlux/no/such/dir", nowhere, none, 250000, 8, "/kurvlux/no/such/dir", "No such file or directory"},
      {textFromUtf8(plainFile.string()), nowhere, none, 250000, 8, plainFile.string(), "not a serial device"},
      {textFromUtf8(fifo), nowhere, none, 250000, 8, fifo, "not a serial device"},
      {textFromUtf8(plainFile.parent_path().string()), nowhere, none, 250000, 8, plainFile.parent_path().string(),
       "not a serial device"},
      {u"null", nowhere, none, 250000, 8, "/dev/null", "not a serial device" + memory},
      {textFromUtf8(nullNode), nowhere, none, 250000, 8, nullNode, "not a serial device" + memory},
      {u"ptmx", nowhere, none, 250000, 8, "/dev/ptmx", "not a serial device (it makes new pseudo-terminals)"},
      {u"tty", nowhere, none, 250000, 8, "/dev/tty", "not opened: this program has no terminal"},
      {u"tty", controlling, none, 250000, 8, "/dev/tty", ownTerminal},
      {u"/dev/stdin", input, none, 250000, 8, "/dev/stdin", ownTerminal},
      {u"*", controlling, none, 250000, 8, "*", ownTerminal},
      {u"*", output, none, 250000, 8, "*", ownTerminal},
      {u"*", errors, none, 250000, 8, "*", ownTerminal},
      {u"*", nowhere, none, 250000, 8, "", ""},
      {u"*", nowhere, flag, 250000, 8, "*", busyReason(heldHere)},
      {u"*", nowhere, flagLeft, 250000, 8, "*", busyReason({})},
      {u"*", nowhere, lock, 250000, 8, "*", busyReason(heldHere)},
      {u"*", nowhere, sharedLock, 250000, 8, "*", busyReason(heldHere)},
      {u"tty\nS0\x1b[2J", nowhere, none, 250000, 8, "/dev/tty\\x0AS0\\x1B[2J", "No such file or directory"},
      {board.port(), nowhere, none, 0, 8, board.path(), "cannot use 0 baud"},
      {board.port(), nowhere, none, 250000, 9, board.path(), "cannot use 9 data bits"},
  };
  for (const auto& c : cases) {
    if (c.device == nullNode && nullLock < 0) continue;
    PseudoTerminal own;
    const std::string device = c.device == "*" ? own.path : c.device, ownState = terminalState(own.near);
    SCOPED_TRACE(testing::Message() << device << " " << c.place << " " << c.holder);
    const int holder = open(own.path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (c.holder == flag || c.holder == flagLeft) ioctl(holder, TIOCEXCL);
    if (c.holder == lock || c.holder == sharedLock) flock(holder, c.holder == lock ? LOCK_EX : LOCK_SH);
    if (c.holder == flagLeft) close(holder);
    const std::string said = inChild([&] {
      setsid();
      // The first terminal a session leader opens without O_NOCTTY becomes its own.
      if (c.place == controlling) close(open(own.path.c_str(), O_RDWR));
      if (c.place <= errors) dup2(open(own.path.c_str(), O_RDWR | O_NOCTTY), c.place);
      std::ostringstream diagnostics;
      SerialPortsPosix ports(diagnostics);
      const PortSettings settings{c.baudRate, 0, c.dataBits};
      if (ports.openPort(programPortId, c.portName == u"*" ? textFromUtf8(own.path) : c.portName, settings) != 0) {
        diagnostics << "opened\n";
      }
      if (open("/dev/tty", O_RDWR | O_NOCTTY) >= 0 && c.place != controlling) diagnostics << "took a terminal\n";
      return diagnostics.str();
    });
    EXPECT_EQ(said, device.empty() ? "opened\n" : "kurvlux: " + device + ": " + c.reason + "\n");
    EXPECT_EQ(terminalState(own.near), ownState);
    EXPECT_EQ(exclusiveFlagSet(own.path), c.holder == flag || c.holder == flagLeft);
    if (c.holder != flagLeft) close(holder);
  }
  for (const int opened : {plainLock, fifoLock, nullLock}) close(opened);
  for (const std::string& made : {plainFile.string(), fifo, nullNode}) std::filesystem::remove(made);
  // None of these holds the board: it opens normally.
  SerialPortsPosix ports;
  EXPECT_NE(ports.openPort(programPortId, board.port(), PortSettings{}), 0u);
}

TEST(SerialPortPosix, AnUnpluggedBoardReportsFailureAndNoBytes) {
  START_BOARD(board);
  SerialPortsPosix ports;
  ASSERT_NE(ports.openPort(programPortId, board.port(), PortSettings{}), 0u);
  ASSERT_GE(waitForBytes(ports, programPortId, 37), 37);
  expectRampRead(ports, programPortId, 37);
  board.unplug();
  bool failed = false;
  for (int i = 0; i < 2000 && !failed; ++i) {
    const std::int32_t waiting = ports.waitingByteCount(programPortId);
    failed = ports.portFailed(programPortId);
    if (failed) {
      EXPECT_EQ(waiting, 0);
    } else {
      usleep(5000);
    }
  }
  ASSERT_TRUE(failed) << "the count kept succeeding after the board went away";
  EXPECT_EQ(ports.waitingByteCount(programPortId), 0);
  std::array<std::uint8_t, 16> buffer{};
  EXPECT_EQ(ports.readPortBytes(programPortId, buffer.data(), 16), 0);
  EXPECT_TRUE(ports.portFailed(programPortId));
  ports.closePort(programPortId);
  EXPECT_FALSE(ports.portFailed(programPortId));
}

// The driver's rates as read back, each on either side of 3 % off.
TEST(LineSpeed, ARateMoreThanThreePercentOffIsRefused) {
  const std::tuple<LineRates, std::int32_t, std::optional<std::uint32_t>> cases[] = {
      {{250000, 250000}, 250000, std::nullopt}, {{257500, 242500}, 250000, std::nullopt},
      {{257501, 250000}, 250000, 257501},       {{250000, 242499}, 250000, 242499},
      {{9600, 9889}, 9600, 9889},               {{9311, 9600}, 9600, 9311},
      {{1898496, 1787904}, 1843200, std::nullopt}, {{0, 0}, 9600, 0},
  };
  for (const auto& [actual, asked, tooFar] : cases) {
    EXPECT_EQ(rateTooFar(actual, asked), tooFar) << actual.input << " " << actual.output << " for " << asked;
  }
}

// Settings a pseudo-terminal would not keep (it forces 8 bits without
// parity), checked on the record handed to the driver.
TEST(TermiosSettings, MapsTheProgramsSettings) {
  termios reported{};
  reported.c_iflag = IXON | IXOFF | IXANY | ICRNL | ISTRIP;
  reported.c_lflag = ICANON | ECHO | ISIG;
  reported.c_cflag = CS7 | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS | HUPCL;
  struct Case {
    std::int32_t parity, dataBits;
    float stopBits;
    std::int32_t handshake;
    tcflag_t cflag;  // under CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS
    tcflag_t iflag;  // under IXON | IXOFF | IXANY
  };
  const Case cases[] = {
      {0, 8, 1.0f, 0, CS8, 0},
      {1, 7, 2.0f, 2, CS7 | PARENB | PARODD | CSTOPB | CRTSCTS, 0},
      {2, 6, 1.5f, 1, CS6 | PARENB | CSTOPB, 0},
      // XON/XOFF and unknown modes leave hardware flow control as reported,
      // and an unknown mode leaves IXOFF and IXANY too.
      {3, 5, 1.0f, 3, CS5 | PARENB | PARODD | CMSPAR | CRTSCTS, IXON | IXOFF | IXANY},
      {4, 8, 1.0f, 7, CS8 | PARENB | CMSPAR | CRTSCTS, IXOFF | IXANY},
      {0x102, 0x107, 1.0f, 0, CS7 | PARENB, 0},
  };
  constexpr tcflag_t cmask = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS;
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.parity << " " << c.dataBits << " " << c.stopBits << " " << c.handshake);
    termios t = reported;
    EXPECT_EQ(applyToTermios(t, PortSettings{9600, c.parity, c.dataBits, c.stopBits, c.handshake, 10000, 10000}), "");
    EXPECT_EQ(t.c_cflag & cmask, c.cflag);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF | IXANY | ICRNL | ISTRIP), c.iflag);
    EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD | HUPCL), CLOCAL | CREAD | HUPCL);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
    if (c.handshake == 3) {
      EXPECT_EQ(t.c_cc[VSTART], 0x11);
      EXPECT_EQ(t.c_cc[VSTOP], 0x13);
    }
  }
  termios t = reported;
  EXPECT_NE(applyToTermios(t, PortSettings{9600, 5, 8, 1.0f, 0, 0, 0}), "");
  EXPECT_NE(applyToTermios(t, PortSettings{9600, 0, 4, 1.0f, 0, 0, 0}), "");
}

TEST(OpenDiagnostic, NamesTheGroupToJoinWhenPermissionIsMissing) {
  const std::string join = "(the device belongs to group \"dialout\", which you are not in; add yourself with: "
                           "sudo usermod -aG dialout $USER, then log in again)";
  struct Case {
    int error;
    std::optional<DeviceGroup> group;
    std::string reason;
  };
  const Case cases[] = {
      {EACCES, DeviceGroup{"dialout", true, false, false}, "Permission denied " + join},
      {EACCES, DeviceGroup{"dialout", true, false, true},
       "Permission denied (the device belongs to group \"dialout\", which you were added to after this session "
       "began; log in again)"},
      {EACCES, DeviceGroup{"dialout", true, true, true}, "Permission denied"},
      {EACCES, DeviceGroup{"root", false, false, false}, "Permission denied"},
      {EBUSY, std::nullopt, "Device or resource busy"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reason);
    EXPECT_EQ(openErrorReason(c.error, c.group), c.reason);
  }
  EXPECT_EQ(busyReason({{"minicom", 4242}, {"kurvlux", 7}}),
            "Device or resource busy (held by minicom (PID 4242) and kurvlux (PID 7))");
  // A typed name can neither end the line nor steer the terminal.
  const std::pair<std::string, std::string> names[] = {
      {"/dev/tty\n\x1b[31m\x7f\\", "/dev/tty\\x0A\\x1B[31m\\x7F\\\\"},
      {"/tmp/\xff\xc3(\xc2\x85\xed\xa0\x80", "/tmp/\\xFF\\xC3(\\xC2\\x85\\xED\\xA0\\x80"},
      {"/dev/ttyÜ€😀", "/dev/ttyÜ€😀"}};
  for (const auto& [device, shown] : names) EXPECT_EQ(deviceFailureLine(device, "x"), "kurvlux: " + shown + ": x");
}

// The whole path for a user outside the device's group: a child process
// gives up root and opens a device node of group dialout.
TEST(OpenDiagnostic, AUserOutsideTheGroupIsToldWhichGroup) {
  const group* dialout = getgrnam("dialout");
  if (geteuid() != 0 || dialout == nullptr) GTEST_SKIP() << "needs root and a group dialout to take a user's place";
  char folder[] = "/tmp/kurvlux-access-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::string device = std::string(folder) + "/ttyTest0";
  // A terminal, so that nothing but the permission keeps the user out.
  PseudoTerminal terminal;
  struct stat status {};
  ASSERT_EQ(stat(terminal.path.c_str(), &status), 0);
  ASSERT_EQ(mknod(device.c_str(), S_IFCHR | 0600, status.st_rdev), 0) << std::strerror(errno);
  ASSERT_EQ(chmod(folder, 0755), 0);
  ASSERT_EQ(chown(device.c_str(), 0, dialout->gr_gid), 0);
  ASSERT_EQ(chmod(device.c_str(), 0660), 0);
  const std::string said = inChild([&] {
    if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) return std::string("still root");
    std::ostringstream diagnostics;
    SerialPortsPosix ports(diagnostics);
    if (ports.openPort(programPortId, textFromUtf8(device), PortSettings{}) != 0) diagnostics << "opened";
    return diagnostics.str();
  });
  std::filesystem::remove_all(folder);
  EXPECT_EQ(said, "kurvlux: " + device + ": Permission denied (the device belongs to group \"dialout\", which you are "
                                        "not in; add yourself with: sudo usermod -aG dialout $USER, then log in again)\n");
}

}  // namespace
}  // namespace kurvlux
