// The copies live in fixed static storage, the one place a signal handler
// can reach; the descriptor is published last and taken back first, so a
// handler that interrupts nothing but a held-signals stretch sees whole ones.
#include "serial/port_restore_posix.hpp"

#include <signal.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <time.h>
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

// Port changes under way on any thread, and whether an ending has stopped
// new ones from starting.
std::atomic<int> changes{0};
std::atomic<bool> changesHeld{false};

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

void holdPortChanges() {
  changesHeld.store(true);
  while (changes.load() != 0) {
    constexpr timespec aMoment{0, 1'000'000};
    nanosleep(&aMoment, nullptr);
  }
}

SignalsHeldPosix::SignalsHeldPosix() {
  sigset_t all;
  sigfillset(&all);
  pthread_sigmask(SIG_BLOCK, &all, &previous_);
  changes.fetch_add(1);
  if (changesHeld.load()) {
    // The process is ending on another thread, which puts back what is
    // open now; a port opened from here on would stay changed.
    changes.fetch_sub(1);
    for (;;) pause();
  }
}

SignalsHeldPosix::~SignalsHeldPosix() {
  changes.fetch_sub(1);
  pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

}  // namespace kurvlux
