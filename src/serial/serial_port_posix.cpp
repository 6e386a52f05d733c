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

#include <algorithm>
#include <cerrno>

#include "serial/device_identity_posix.hpp"
#include "serial/line_speed_posix.hpp"
#include "serial/open_diagnostic_posix.hpp"
#include "serial/port_names.hpp"
#include "serial/retry_posix.hpp"
#include "serial/termios_settings_posix.hpp"
#include "text/file_name_text.hpp"

namespace kurvlux {

namespace {

constexpr std::size_t tableStep = 16;
constexpr int firstPortDescriptor = 3;

void setRts(int fd, bool on) {
  // Pseudo-terminals and some adapters have no modem lines: not an error.
  int bits = TIOCM_RTS;
  retryOnSignal([&] { return ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &bits); });
}

std::string rateRefusal(std::int32_t asked, std::string_view why) {
  return "cannot use " + std::to_string(asked) + " baud (" + std::string(why) + ")";
}

// Configures the open terminal; empty on success, else the reason.
std::string configure(int fd, const PortSettings& port) {
  termios settings{};
  if (tcgetattr(fd, &settings) != 0) return "not a serial device (" + errorDescription(errno) + ")";
  if (port.baudRate <= 0) return "cannot use " + std::to_string(port.baudRate) + " baud";
  std::string refused = applyToTermios(settings, port);
  if (!refused.empty()) return refused;
  if (retryOnSignal([&] { return tcsetattr(fd, TCSANOW, &settings); }) != 0) {
    return "cannot configure (" + errorDescription(errno) + ")";
  }
  // Both rates, every time: an input rate left from an earlier rate that
  // only termios2 could set would outlive a later standard one.
  if (!setLineSpeed(fd, static_cast<std::uint32_t>(port.baudRate))) {
    return rateRefusal(port.baudRate, errorDescription(errno));
  }
  // The driver accepts a rate it cannot make and shows so only in the rates
  // it reports back.
  if (const auto offered = rateTooFar(lineRates(fd), port.baudRate)) {
    return rateRefusal(port.baudRate, "the device offers " + std::to_string(*offered));
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

void release(const PortHold& hold) {
  if (hold.fd < 0) return;
  const SignalsHeldPosix held;
  forgetPort(hold.fd);
  putBack(hold);
}

}  // namespace

SerialPortsPosix::SerialPortsPosix(std::ostream& diagnostics, SystemFactsPosix& facts)
    : diagnostics_(diagnostics), facts_(facts) {
  rememberUsbNames();
}

SerialPortsPosix::~SerialPortsPosix() { closeAllPorts(); }

PortEntryPosix* SerialPortsPosix::entryOf(int id) {
  if (id < 0 || static_cast<std::size_t>(id) >= entries_.size()) return nullptr;
  return &entries_[static_cast<std::size_t>(id)];
}

int SerialPortsPosix::lookUp(int id) {
  std::lock_guard guard(lock_);
  const PortEntryPosix* entry = entryOf(id);
  return entry != nullptr ? entry->hold.fd : -1;
}

void SerialPortsPosix::markFailed(int id, int fd) {
  std::lock_guard guard(lock_);
  // Only if the port was not closed or replaced meanwhile.
  if (PortEntryPosix* entry = entryOf(id); entry != nullptr && entry->hold.fd == fd) entry->failed = true;
}

bool SerialPortsPosix::holds(dev_t device, const std::string& path) const {
  std::lock_guard guard(lock_);
  for (const auto& entry : entries_) {
    if (entry.hold.fd >= 0 && (entry.device == device || entry.path == path)) return true;
  }
  return false;
}

void SerialPortsPosix::report(std::string_view path, std::string_view reason) {
  diagnostics_ << deviceFailureLine(path, reason) << '\n' << std::flush;
}

SerialPortsPosix::Opening SerialPortsPosix::take(const std::string& path, const PortSettings& settings) {
  Opening opening;
  PortHold& hold = opening.hold;
  const auto stop = [&](std::string reason, PortFailureKind kind = PortFailureKind::other) {
    opening.stop.kind = kind;
    opening.stop.reason = reason;
    opening.refusal = std::move(reason);
    return opening;
  };
  const auto failed = [&](int error) {
    opening.stop.error = error;
    return stop(errorDescription(error));
  };
  // What the name leads to, before it is opened: opening alone would wake a
  // FIFO's writer or make a new pseudo-terminal out of ptmx.
  struct stat named {};
  if (stat(path.c_str(), &named) != 0) return failed(errno);
  if (std::string refused = portRefusal(named); !refused.empty()) {
    const bool terminal = refused == ownTerminalRefusal || refused == noTerminalRefusal;
    return stop(std::move(refused), terminal ? PortFailureKind::ownTerminal : PortFailureKind::notSerial);
  }
  // A port this program holds is refused before its configuration could be
  // touched. TIOCEXCL does not stop root, and flock only other descriptions,
  // so the table is asked first.
  if (holds(named.st_rdev, path)) return stop("already open in this program");

  // Non-blocking, or the open of a line without carrier detect would wait
  // for one, and the window with it.
  hold.fd = retryOnSignal([&] { return open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC); });
  if (hold.fd < 0) return failed(errno);
  hold.fd = awayFromStandardStreams(hold.fd);
  if (hold.fd < 0) return stop(errorDescription(errno));
  // The name may lead elsewhere by now; the descriptor is what counts.
  struct stat opened {};
  if (fstat(hold.fd, &opened) != 0 || !S_ISCHR(opened.st_mode) || opened.st_rdev != named.st_rdev) {
    return stop("changed while it was opened");
  }
  if (!isatty(hold.fd))
    return stop("not a serial device (" + errorDescription(errno) + ")", PortFailureKind::notSerial);
  opening.device = opened.st_rdev;

  // Root passes through another program's exclusive flag: it is asked, so
  // that root keeps out as every user does, and so that closing never
  // clears a flag this program did not set. The advisory lock keeps out
  // programs that lock serial devices the same way, root's included, shared
  // or not; a file system without locks refuses the lock for that reason alone.
  int exclusive = 0;
  if (ioctl(hold.fd, TIOCGEXCL, &exclusive) == 0 && exclusive != 0)
    return stop("busy", PortFailureKind::busy);
  hold.locked = flock(hold.fd, LOCK_EX | LOCK_NB) == 0;
  if (!hold.locked && errno == EWOULDBLOCK) return stop("busy", PortFailureKind::busy);
  hold.exclusive = ioctl(hold.fd, TIOCEXCL) == 0;
  hold.saved = saveTerminal(hold.fd);
  std::string refused = configure(hold.fd, settings);
  return stop(std::move(refused), PortFailureKind::settings);
}

std::uintptr_t SerialPortsPosix::openPort(int id, TextView portName, const PortSettings& settings) {
  // -1 means "every port" to closePort and could never be closed on its own.
  if (id < 0) return 0;
  const std::string path = fileNameFromText(devicePathOfPortName(portName));
  if (path.empty()) {
    // Nothing to name on standard error, but the window says what to do.
    PortFailure nothingChosen;
    nothingChosen.kind = PortFailureKind::noPort;
    std::lock_guard guard(lock_);
    refusedId_ = id;
    refusal_ = portFailureMessage(nothingChosen);
    return 0;
  }
  Opening opening;
  PortHold replaced;
  {
    // From the first change to the device until a signal handler can find
    // what puts it back, a signal waits.
    const SignalsHeldPosix held;
    opening = take(path, settings);
    if (!opening.refusal.empty()) {
      putBack(opening.hold);
    } else {
      rememberPort(opening.hold);
      std::lock_guard guard(lock_);
      const auto index = static_cast<std::size_t>(id);
      if (index >= entries_.size()) entries_.resize((index / tableStep + 1) * tableStep);
      replaced = entries_[index].hold;
      if (refusedId_ == id) refusedId_ = -1;
      entries_[index] = PortEntryPosix{opening.hold, false, opening.device, path};
    }
  }
  if (!opening.refusal.empty()) {
    const PortFailure failure =
        diagnosePortFailure(path, opening.stop, settings.baudRate, facts_, rememberedUsbNames());
    report(path, failure.detail);
    std::lock_guard guard(lock_);
    refusedId_ = id;
    refusal_ = portFailureMessage(failure);
    return 0;
  }
  rememberUsbNames();
  // The older port of this identifier closes only now that the new one is
  // open and configured, so a failed open never loses a working port.
  release(replaced);
  return static_cast<std::uintptr_t>(opening.hold.fd);
}

std::int32_t SerialPortsPosix::waitingByteCount(int id) {
  const int fd = lookUp(id);
  if (fd < 0) return 0;
  // An unplugged adapter hangs its line up, and the far end of a closed
  // pseudo-terminal does the same: the device is gone even while bytes of
  // it still wait, so those are not handed on.
  pollfd state{fd, POLLIN, 0};
  if (retryOnSignal([&] { return poll(&state, 1, 0); }) < 0 ||
      (state.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
    markFailed(id, fd);
    return 0;
  }
  int waiting = 0;
  if (retryOnSignal([&] { return ioctl(fd, FIONREAD, &waiting); }) != 0 || waiting < 0) {
    markFailed(id, fd);
    return 0;
  }
  return waiting;
}

std::int32_t SerialPortsPosix::readPortBytes(int id, std::uint8_t* buffer, std::int32_t length) {
  const int fd = lookUp(id);
  if (fd < 0 || buffer == nullptr || length <= 0) return 0;
  std::int32_t done = 0;
  while (done < length) {
    const ssize_t n =
        retryOnSignal([&] { return read(fd, buffer + done, static_cast<std::size_t>(length - done)); });
    if (n > 0) {
      done += static_cast<std::int32_t>(n);
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

void SerialPortsPosix::setWakeCount(int id, std::int32_t count) {
  constexpr std::int32_t largestCount = 255;
  count = std::clamp(count, 1, largestCount);
  int fd = -1;
  {
    std::lock_guard guard(lock_);
    PortEntryPosix* entry = entryOf(id);
    if (entry == nullptr || entry->hold.fd < 0 || entry->wakeCount == count) return;
    fd = entry->hold.fd;
    // Asked once: a driver that refuses would refuse every time.
    entry->wakeCount = count;
  }
  setReadMinimum(fd, static_cast<std::uint8_t>(count));
}

bool SerialPortsPosix::portFailed(int id) {
  std::lock_guard guard(lock_);
  const PortEntryPosix* entry = entryOf(id);
  return entry != nullptr && entry->hold.fd >= 0 && entry->failed;
}

Text SerialPortsPosix::failureMessage(int id) {
  std::string lostPath;
  {
    std::lock_guard guard(lock_);
    const PortEntryPosix* entry = entryOf(id);
    if (entry == nullptr || entry->hold.fd < 0 || !entry->failed) return id == refusedId_ ? refusal_ : Text();
    lostPath = entry->path;
  }
  const OpenStop lost{PortFailureKind::lost, 0, "connection lost"};
  const PortFailure failure = diagnosePortFailure(lostPath, lost, 0, facts_, rememberedUsbNames());
  report(lostPath, failure.detail);
  return portFailureMessage(failure);
}

std::vector<UsbNamePosix> SerialPortsPosix::rememberedUsbNames() const {
  std::lock_guard guard(lock_);
  return usbNames_;
}

void SerialPortsPosix::rememberUsbNames() {
  const std::vector<UsbNamePosix> names = facts_.usbNames();
  std::lock_guard guard(lock_);
  // Every device a board was seen under: the one it had before it went away
  // is what a user still has in the port box.
  for (const UsbNamePosix& now : names) {
    const auto same = [&](const UsbNamePosix& seen) {
      return seen.identity == now.identity && seen.device == now.device;
    };
    if (std::none_of(usbNames_.begin(), usbNames_.end(), same)) usbNames_.push_back(now);
  }
}

void SerialPortsPosix::closePort(int id) {
  if (id == -1) {
    closeAllPorts();
    return;
  }
  PortHold hold;
  {
    std::lock_guard guard(lock_);
    PortEntryPosix* entry = entryOf(id);
    if (entry == nullptr) return;
    hold = entry->hold;
    *entry = PortEntryPosix{};
  }
  release(hold);
}

void SerialPortsPosix::closeAllPorts() {
  std::vector<PortHold> open;
  {
    std::lock_guard guard(lock_);
    for (auto& entry : entries_) {
      if (entry.hold.fd >= 0) open.push_back(entry.hold);
      entry = PortEntryPosix{};
    }
  }
  for (const PortHold& hold : open) release(hold);
}

}  // namespace kurvlux
