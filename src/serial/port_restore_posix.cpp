// The copies live in fixed static storage, the one place a signal handler
// can reach; the descriptor is published last and taken back first, so a
// handler that interrupts nothing but a held-signals stretch sees whole ones.
#include "serial/port_restore_posix.hpp"

#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>

#include "serial/retry_posix.hpp"

namespace kurvlux {

namespace {

struct Remembered {
  std::atomic<int> fd{-1};  // -1: free
  PortHold hold;
};
static_assert(std::atomic<int>::is_always_lock_free);

Remembered remembered[heldPortLimit];

}  // namespace

void putBack(const PortHold& hold) {
  if (hold.fd < 0) return;
  restoreTerminal(hold.fd, hold.saved);
  if (hold.exclusive) retryOnSignal([&] { return ioctl(hold.fd, TIOCNXCL); });
  if (hold.locked) flock(hold.fd, LOCK_UN);
  close(hold.fd);
}

void rememberPort(const PortHold& hold) {
  for (Remembered& slot : remembered) {
    if (slot.fd.load() != -1) continue;
    slot.hold = hold;
    slot.fd.store(hold.fd);
    return;
  }
}

void forgetPort(int fd) {
  for (Remembered& slot : remembered) {
    if (fd >= 0 && slot.fd.load() == fd) slot.fd.store(-1);
  }
}

void restoreEveryPort() {
  for (Remembered& slot : remembered) {
    if (slot.fd.exchange(-1) >= 0) putBack(slot.hold);
  }
}

SignalsHeld::SignalsHeld() {
  sigset_t all;
  sigfillset(&all);
  pthread_sigmask(SIG_BLOCK, &all, &previous_);
}

SignalsHeld::~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }

}  // namespace kurvlux
