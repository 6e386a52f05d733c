// Opening, polling, reading and closing serial ports with open, termios,
// FIONREAD and read. The system calls run outside the table lock; only
// lookups and entries take it.
#include "serial/serial_port_posix.hpp"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <limits>

#include "serial/line_speed_posix.hpp"
#include "serial/open_diagnostic_posix.hpp"
#include "serial/port_names.hpp"
#include "serial/termios_settings_posix.hpp"
#include "text/utf8_text.hpp"

namespace kurvlux {

namespace {

constexpr std::size_t tableStep = 16;
constexpr int firstPortDescriptor = 3;

bool validId(int id) { return id >= 0; }

// A receiver tolerates a few percent of rate difference between both ends in
// total; a driver that can only come further from the asked rate than this
// would deliver garbled bytes, so its rate counts as refused.
bool closeEnough(std::uint32_t actual, std::int32_t asked) {
  const auto difference = std::llabs(static_cast<long long>(actual) - static_cast<long long>(asked));
  return difference * 100 <= static_cast<long long>(asked) * 3;
}

void setRts(int fd, bool on) {
  // Pseudo-terminals and some adapters have no modem lines: not an error.
  int bits = TIOCM_RTS;
  ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &bits);
}

// Configures the open terminal; empty on success, else the reason.
std::string configure(int fd, const PortSettings& port) {
  termios settings{};
  if (tcgetattr(fd, &settings) != 0) return "not a serial device (" + errorDescription(errno) + ")";
  if (port.baudRate <= 0) return "cannot use " + std::to_string(port.baudRate) + " baud";
  std::string refused = applyToTermios(settings, port);
  if (!refused.empty()) return refused;
  const speed_t standard = standardSpeed(port.baudRate);
  if (standard != B0) cfsetspeed(&settings, standard);
  if (tcsetattr(fd, TCSANOW, &settings) != 0) return "cannot configure (" + errorDescription(errno) + ")";
  if (standard == B0 && !setLineSpeed(fd, static_cast<std::uint32_t>(port.baudRate))) {
    const int error = errno;
    return "cannot use " + std::to_string(port.baudRate) + " baud (" + errorDescription(error) + ")";
  }
  // tcsetattr succeeds when any of the settings took; a driver that cannot
  // make the rate shows it only in the rate it reports back.
  const std::uint32_t actual = lineSpeed(fd);
  if (!closeEnough(actual, port.baudRate)) {
    return "cannot use " + std::to_string(port.baudRate) + " baud (the device offers " + std::to_string(actual) + ")";
  }
  if (port.handshake == 0) setRts(fd, false);
  if (port.handshake == 1) setRts(fd, true);
  // Whatever came in before the rate was set was read at the wrong rate: it
  // is no sample.
  tcflush(fd, TCIFLUSH);
  return {};
}

// Keeps descriptors 0 to 2 free for the standard streams, and so the handle
// that openPort returns is never 0.
int awayFromStandardStreams(int fd) {
  if (fd >= firstPortDescriptor) return fd;
  const int moved = fcntl(fd, F_DUPFD_CLOEXEC, firstPortDescriptor);
  const int error = errno;
  close(fd);
  errno = error;
  return moved;
}

}  // namespace

PosixSerialPorts::PosixSerialPorts(std::ostream& diagnostics) : diagnostics_(diagnostics) {}

PosixSerialPorts::~PosixSerialPorts() { closeAllPorts(); }

int PosixSerialPorts::lookUp(int id) const {
  std::lock_guard guard(lock_);
  if (!validId(id) || static_cast<std::size_t>(id) >= entries_.size()) return -1;
  return entries_[static_cast<std::size_t>(id)].fd;
}

void PosixSerialPorts::markFailed(int id, int fd) {
  std::lock_guard guard(lock_);
  // Only if the port was not closed or replaced meanwhile.
  if (validId(id) && static_cast<std::size_t>(id) < entries_.size() && entries_[static_cast<std::size_t>(id)].fd == fd) {
    entries_[static_cast<std::size_t>(id)].failed = true;
  }
}

bool PosixSerialPorts::holds(dev_t device, const std::string& path) const {
  std::lock_guard guard(lock_);
  for (const auto& entry : entries_) {
    if (entry.fd >= 0 && (entry.device == device || entry.path == path)) return true;
  }
  return false;
}

void PosixSerialPorts::report(std::string_view path, std::string_view reason) {
  diagnostics_ << deviceFailureLine(path, reason) << '\n' << std::flush;
}

std::uintptr_t PosixSerialPorts::openPort(int id, TextView portName, const PortSettings& settings) {
  // -1 means "every port" to closePort and could never be closed on its own.
  if (!validId(id)) return 0;
  const std::string path = utf8FromText(devicePathOfPortName(portName));
  if (path.empty()) return 0;
  int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    const int error = errno;
    report(path, openErrorReason(error, deviceGroup(path)));
    return 0;
  }
  fd = awayFromStandardStreams(fd);
  if (fd < 0) {
    report(path, errorDescription(errno));
    return 0;
  }
  struct stat status {};
  fstat(fd, &status);
  const dev_t device = S_ISCHR(status.st_mode) ? status.st_rdev : 0;
  // A port this program holds is refused before its configuration could be
  // touched. TIOCEXCL does not stop root, and flock only other descriptions,
  // so the table is asked first.
  if (holds(device, path)) {
    close(fd);
    report(path, "already open in this program");
    return 0;
  }
  // The advisory lock keeps out other programs that lock serial devices the
  // same way, root's included; TIOCEXCL keeps out every later opener but root.
  // A file system without locks refuses the lock for that reason alone.
  if (flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
    close(fd);
    report(path, openErrorReason(EBUSY, std::nullopt));
    return 0;
  }
  ioctl(fd, TIOCEXCL);
  const std::string refused = configure(fd, settings);
  if (!refused.empty()) {
    close(fd);
    report(path, refused);
    return 0;
  }

  int replaced = -1;
  {
    std::lock_guard guard(lock_);
    const auto index = static_cast<std::size_t>(id);
    if (index >= entries_.size()) entries_.resize((index / tableStep + 1) * tableStep);
    replaced = entries_[index].fd;
    entries_[index] = PosixPortEntry{fd, false, device, path};
  }
  // The older port of this identifier closes only now that the new one is
  // open and configured, so a failed open never loses a working port.
  if (replaced >= 0) close(replaced);
  return static_cast<std::uintptr_t>(fd);
}

std::int32_t PosixSerialPorts::waitingByteCount(int id) {
  const int fd = lookUp(id);
  if (fd < 0) return 0;
  // An unplugged adapter hangs its line up, and the far end of a closed
  // pseudo-terminal does the same: the device is gone even while bytes of
  // it still wait, so those are not handed on.
  pollfd state{fd, POLLIN, 0};
  if (poll(&state, 1, 0) < 0 || (state.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
    markFailed(id, fd);
    return 0;
  }
  int waiting = 0;
  if (ioctl(fd, FIONREAD, &waiting) != 0 || waiting < 0) {
    markFailed(id, fd);
    return 0;
  }
  return waiting;
}

std::int32_t PosixSerialPorts::readPortBytes(int id, std::uint8_t* buffer, std::int32_t length) {
  const int fd = lookUp(id);
  if (fd < 0 || buffer == nullptr || length <= 0) return 0;
  std::int32_t done = 0;
  while (done < length) {
    const ssize_t n = read(fd, buffer + done, static_cast<std::size_t>(length - done));
    if (n > 0) {
      done += static_cast<std::int32_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && errno == EAGAIN) {
      // Fewer bytes than asked for: hand on what came rather than block the
      // one thread that also keeps the window alive.
      break;
    } else {
      // 0 is a hung-up line, EIO a pseudo-terminal whose far end closed.
      markFailed(id, fd);
      break;
    }
  }
  return done;
}

bool PosixSerialPorts::portFailed(int id) {
  std::lock_guard guard(lock_);
  if (!validId(id) || static_cast<std::size_t>(id) >= entries_.size()) return false;
  const auto& entry = entries_[static_cast<std::size_t>(id)];
  return entry.fd >= 0 && entry.failed;
}

void PosixSerialPorts::closePort(int id) {
  if (id == -1) {
    closeAllPorts();
    return;
  }
  int fd = -1;
  {
    std::lock_guard guard(lock_);
    if (!validId(id) || static_cast<std::size_t>(id) >= entries_.size()) return;
    fd = entries_[static_cast<std::size_t>(id)].fd;
    entries_[static_cast<std::size_t>(id)] = PosixPortEntry{};
  }
  if (fd >= 0) close(fd);
}

void PosixSerialPorts::closeAllPorts() {
  std::vector<int> open;
  {
    std::lock_guard guard(lock_);
    for (auto& entry : entries_) {
      if (entry.fd >= 0) open.push_back(entry.fd);
      entry = PosixPortEntry{};
    }
  }
  for (const int fd : open) close(fd);
}

}  // namespace kurvlux
