// What putting an open port back takes, kept where a signal handler may read
// it: a crash, a fatal signal or a lost display ends the program without its
// close path, and the device must not stay raw, exclusive and locked after.
#pragma once

#include <signal.h>

#include "serial/line_speed_posix.hpp"

namespace kurvlux {

// What opening a device has done to it so far; closing undoes it in reverse.
struct PortHold {
  int fd = -1;             // -1: not open
  bool locked = false;     // flock
  bool exclusive = false;  // TIOCEXCL
  SavedTerminal saved;     // the device's settings before this program changed them
};

// The one way a port closes, on every path: its settings go back as they
// were found, then the exclusive flag (a pseudo-terminal's far end keeps it
// as long as the near end is open, and it keeps out every later opener but
// root), the lock, the descriptor. Only ioctl, flock and close: safe inside
// a signal handler.
void putBack(const PortHold& hold);

// Keeps a copy of `hold` for restoreEveryPort until forgetPort(hold.fd).
// Call both with SignalsHeldPosix, so that no handler sees a copy half written.
// Beyond heldPortLimit ports at once, a port is put back only when it closes.
constexpr int heldPortLimit = 16;
void rememberPort(const PortHold& hold);
void forgetPort(int fd);

// Puts back every port remembered, each once, and forgets it. For a signal
// handler: nothing in it allocates or takes a lock.
void restoreEveryPort();

// Waits until no port change is under way on any thread and keeps new ones
// from starting: for a handler on one thread that ends the process while
// another may be changing a port. Async-signal-safe.
void holdPortChanges();

// A port change: every signal that can be blocked waits while one of these
// lives on this thread, and holdPortChanges on another thread waits for it.
class SignalsHeldPosix {
 public:
  SignalsHeldPosix();
  ~SignalsHeldPosix();
  SignalsHeldPosix(const SignalsHeldPosix&) = delete;
  SignalsHeldPosix& operator=(const SignalsHeldPosix&) = delete;

 private:
  sigset_t previous_;
};

}  // namespace kurvlux
