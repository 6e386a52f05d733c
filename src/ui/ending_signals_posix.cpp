// One sigaction handler for every ending signal, so that the order of arrival
// is the handler's own, not the order in which a main loop looks at its
// sources. A signal handler can only reach static storage: the first ending
// and the wake pipe live here, for the life of the process.
#include "ui/ending_signals_posix.hpp"

#include <fcntl.h>
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
constexpr int immediateSignals[] = {SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF, SIGXCPU,
                                    SIGXFSZ, SIGPWR,  SIGSEGV, SIGBUS,  SIGFPE,    SIGILL,  SIGABRT};
constexpr int lostDisplay = -1;

std::atomic<int> first{0};
int wakeEnd = -1;
long mainThread = 0;

bool closes(int signal) {
  for (const int closing : closingSignals) {
    if (signal == closing) return true;
  }
  return false;
}

// A fault the program made itself: returning would only run the faulting
// instruction again, so it ends the process whatever came before.
bool isOwnFault(int signal, const siginfo_t* info) {
  return (signal == SIGSEGV || signal == SIGBUS || signal == SIGFPE || signal == SIGILL) && info->si_code > 0;
}

// Only async-signal-safe calls from here on.
void onEndingSignal(int signal, siginfo_t* info, void*) {
  const int savedErrno = errno;
  // GTK's helper threads do not hold signals back while the main thread
  // changes a port: what the kernel gives one of them goes on to the main
  // thread, where it waits until the port is whole again.
  if (syscall(SYS_gettid) != mainThread && !isOwnFault(signal, info)) {
    syscall(SYS_tgkill, getpid(), mainThread, signal);
    errno = savedErrno;
    return;
  }
  int none = 0;
  const bool isFirst = first.compare_exchange_strong(none, signal);
  if (closes(signal)) {
    const char byte = 0;
    if (isFirst) static_cast<void>(write(wakeEnd, &byte, 1));
  } else if (isFirst || isOwnFault(signal, info)) {
    writeOutRecordingInEmergency();
    restoreEveryPort();
    endBySignal(signal);
  }
  errno = savedErrno;
}

}  // namespace

int catchEndingSignals() {
  int ends[2];
  if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return -1;
  wakeEnd = ends[1];
  mainThread = syscall(SYS_gettid);
  struct sigaction action {};
  action.sa_sigaction = onEndingSignal;
  action.sa_flags = SA_SIGINFO | SA_RESTART;
  // One ending at a time: a second signal waits until the first is handled.
  sigfillset(&action.sa_mask);
  const auto install = [&](int signal) {
    struct sigaction inherited {};
    if (sigaction(signal, nullptr, &inherited) == 0 && inherited.sa_handler != SIG_IGN) {
      sigaction(signal, &action, nullptr);
    }
  };
  for (const int signal : closingSignals) install(signal);
  for (const int signal : immediateSignals) install(signal);
  return ends[0];
}

int firstEnding() { return first.load(); }

void portsBackOnLostDisplay() {
  sigset_t all;
  sigfillset(&all);
  sigprocmask(SIG_BLOCK, &all, nullptr);
  int none = 0;
  first.compare_exchange_strong(none, lostDisplay);
  writeOutRecordingInEmergency();
  restoreEveryPort();
  static constexpr char line[] = "kurvlux: the display connection was lost\n";
  static_cast<void>(write(STDERR_FILENO, line, sizeof line - 1));
  if (none > 0) endBySignal(none);
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
  sigprocmask(SIG_UNBLOCK, &only, nullptr);
  // Every signal here ends the process by its default action.
  raise(signal);
}

}  // namespace kurvlux
