// GLib's handler only notes the signal and wakes the main context; the rest
// runs when the loop's next iteration dispatches it.
#include "ui/ending_signals_gtk.hpp"

#include <glib-unix.h>
#include <signal.h>

namespace kurvlux {

EndingSignalsGtk::EndingSignalsGtk(std::function<void()> end) : end_(std::move(end)) {
  const int signals[] = {SIGTERM, SIGINT, SIGHUP};
  for (std::size_t i = 0; i < watches_.size(); ++i) {
    struct sigaction inherited {};
    if (sigaction(signals[i], nullptr, &inherited) != 0 || inherited.sa_handler == SIG_IGN) continue;
    watches_[i] = Watch{this, signals[i], 0};
    watches_[i].source = g_unix_signal_add(signals[i], onSignal, &watches_[i]);
  }
}

EndingSignalsGtk::~EndingSignalsGtk() {
  for (const Watch& watch : watches_) {
    if (watch.source != 0) g_source_remove(watch.source);
  }
}

gboolean EndingSignalsGtk::onSignal(gpointer data) {
  auto* watch = static_cast<Watch*>(data);
  EndingSignalsGtk& owner = *watch->owner;
  // A second signal while the program already ends changes nothing.
  if (owner.received_ == 0) {
    owner.received_ = watch->signal;
    owner.end_();
  }
  return G_SOURCE_CONTINUE;
}

void endBySignal(int signal) {
  if (signal == 0) return;
  struct sigaction defaultAction {};
  defaultAction.sa_handler = SIG_DFL;
  sigemptyset(&defaultAction.sa_mask);
  sigaction(signal, &defaultAction, nullptr);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, signal);
  sigprocmask(SIG_UNBLOCK, &only, nullptr);
  raise(signal);
  // The default action of all three ends the process here.
}

}  // namespace kurvlux
