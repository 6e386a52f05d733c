// One sigaction handler for every ending signal, run on one thread of its
// own, so that the order of arrival is the kernel's, not the order in which
// the threads happen to run. A signal handler can only reach static storage:
// the first ending and the wake pipe live here, for the life of the process.
#include "app/ending_signals_posix.hpp"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "recording/emergency_write_posix.hpp"
#include "serial/port_restore_posix.hpp"

namespace kurvlux {

namespace {

constexpr int closingSignals[] = {SIGTERM, SIGINT, SIGHUP};
// Sent from outside (or by a timer or a limit) to the process as a whole.
constexpr int sentSignals[] = {SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM,
                               SIGPROF, SIGXCPU, SIGXFSZ, SIGPWR,  SIGABRT};
// Raised by a thread's own fault in that thread, blocked or not: a blocked
// one would end the process without the handler, so every thread takes them.
constexpr int faultSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL};
constexpr int lostDisplay = -1;

std::atomic<int> first{0};
int wakeEnd = -1;
sigset_t heldBack;  // by every thread but the one that takes them

bool closes(int signal) {
  for (const int closing : closingSignals) {
    if (signal == closing) return true;
  }
  return false;
}

// A fault or an abort of the program's own: the thread that made it cannot
// go on (returning would only run the faulting instruction again, and it
// may be in the middle of a port change), so it ends the process whatever
// came before.
bool isOwnFault(int signal, const siginfo_t* info) {
  for (const int fault : faultSignals) {
    if (signal == fault && info->si_code > 0) return true;
  }
  return info->si_code == SI_TKILL && info->si_pid == getpid();
}

// The loop runs on the process's first thread.
bool onLoopThread() { return syscall(SYS_gettid) == getpid(); }

// Only async-signal-safe calls from here on.
void onEndingSignal(int signal, siginfo_t* info, void*) {
  const int savedErrno = errno;
  int none = 0;
  const bool isFirst = first.compare_exchange_strong(none, signal);
  if (isOwnFault(signal, info)) {
    writeOutRecordingInEmergency(onLoopThread());
    restoreEveryPort();
    endBySignal(signal);
  } else if (closes(signal) && wakeEnd >= 0) {
    const char byte = 0;
    if (isFirst) static_cast<void>(write(wakeEnd, &byte, 1));
  } else if (isFirst) {
    holdPortChanges();
    writeOutRecordingInEmergency(onLoopThread());
    restoreEveryPort();
    endBySignal(signal);
  }
  errno = savedErrno;
}

// The one thread that takes the signals sent to the process: every other
// thread, started from the main thread after this one, inherits them
// blocked, and the kernel hands such a signal only to a thread that lets it
// in. One thread takes them one at a time, in the kernel's order.
void* takeEndingSignals(void*) {
  sigset_t sent;
  sigemptyset(&sent);
  for (const int signal : closingSignals) sigaddset(&sent, signal);
  for (const int signal : sentSignals) sigaddset(&sent, signal);
  pthread_sigmask(SIG_UNBLOCK, &sent, nullptr);
  for (;;) pause();
}

// A program started from this one (GLib's spawn keeps the mask across
// exec) gets the ending signals as a program should.
void letEndingSignalsInAfterFork() { pthread_sigmask(SIG_UNBLOCK, &heldBack, nullptr); }

}  // namespace

int catchEndingSignals() {
  int ends[2];
  if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) == 0) {
    wakeEnd = ends[1];
  } else {
    static constexpr char line[] =
        "kurvlux: no pipe for the ending signals; SIGTERM, SIGINT and SIGHUP put the ports back and end at "
        "once\n";
    static_cast<void>(write(STDERR_FILENO, line, sizeof line - 1));
    ends[0] = -1;
  }
  struct sigaction action {};
  action.sa_sigaction = onEndingSignal;
  action.sa_flags = SA_SIGINFO | SA_RESTART;
  // One ending at a time: a second signal waits until the first is handled.
  sigfillset(&action.sa_mask);
  sigset_t& sent = heldBack;
  sigemptyset(&sent);
  const auto install = [&](int signal) {
    struct sigaction inherited {};
    if (sigaction(signal, nullptr, &inherited) == 0 && inherited.sa_handler != SIG_IGN) {
      sigaction(signal, &action, nullptr);
      sigaddset(&sent, signal);
    }
  };
  for (const int signal : closingSignals) install(signal);
  for (const int signal : sentSignals) install(signal);
  for (const int signal : faultSignals) {
    install(signal);
    sigdelset(&sent, signal);
  }
  pthread_sigmask(SIG_BLOCK, &sent, nullptr);
  pthread_atfork(nullptr, nullptr, letEndingSignalsInAfterFork);
  pthread_t taker;
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
  if (pthread_create(&taker, &attributes, takeEndingSignals, nullptr) != 0) {
    // Without it the main thread takes them, as any thread would.
    pthread_sigmask(SIG_UNBLOCK, &sent, nullptr);
  }
  pthread_attr_destroy(&attributes);
  return ends[0];
}

int firstEnding() { return first.load(); }

namespace {

// A caught ending signal sent to the process that no thread has taken yet:
// the one the kernel hands out first, 0 if none waits.
int waitingEndingSignal() {
  sigset_t waiting;
  if (sigpending(&waiting) != 0) return 0;
  for (int signal = 1; signal < NSIG; ++signal) {
    struct sigaction action {};
    if (sigismember(&waiting, signal) == 1 && sigaction(signal, nullptr, &action) == 0 &&
        (action.sa_flags & SA_SIGINFO) != 0 && action.sa_sigaction == onEndingSignal) {
      return signal;
    }
  }
  return 0;
}

}  // namespace

void portsBackOnLostDisplay() {
  sigset_t all;
  sigfillset(&all);
  pthread_sigmask(SIG_BLOCK, &all, nullptr);
  // A signal sent before the loss was seen came first, taken or not.
  const int waiting = waitingEndingSignal();
  int ending = waiting != 0 ? waiting : lostDisplay;
  int none = 0;
  if (!first.compare_exchange_strong(none, ending)) ending = none;
  writeOutRecordingInEmergency(true);
  restoreEveryPort();
  static constexpr char line[] = "kurvlux: the display connection was lost\n";
  static_cast<void>(write(STDERR_FILENO, line, sizeof line - 1));
  endBySignal(ending);
}

void endBySignal(int signal) {
  if (signal <= 0) return;
  struct sigaction defaultAction {};
  defaultAction.sa_handler = SIG_DFL;
  sigemptyset(&defaultAction.sa_mask);
  sigaction(signal, &defaultAction, nullptr);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, signal);
  pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
  // Every signal here ends the process by its default action.
  raise(signal);
}

}  // namespace kurvlux
