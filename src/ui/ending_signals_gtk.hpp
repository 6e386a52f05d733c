// SIGTERM, SIGINT and SIGHUP taken into GTK's main loop, so that they end the
// program along the path closing its window takes: every port put back as it
// was found and freed, then the program ends by the signal that asked.
#pragma once

#include <glib.h>

#include <array>
#include <functional>

namespace kurvlux {

class EndingSignalsGtk {
 public:
  // Watches each of the three signals that was not inherited as ignored (a
  // program started under nohup keeps ignoring SIGHUP). `end` runs on the
  // main loop's thread when the first one arrives, never in the handler.
  explicit EndingSignalsGtk(std::function<void()> end);
  ~EndingSignalsGtk();
  EndingSignalsGtk(const EndingSignalsGtk&) = delete;
  EndingSignalsGtk& operator=(const EndingSignalsGtk&) = delete;

  // The signal that arrived first, 0 while none has.
  int received() const { return received_; }

 private:
  static gboolean onSignal(gpointer watch);

  struct Watch {
    EndingSignalsGtk* owner = nullptr;
    int signal = 0;
    guint source = 0;  // 0: not watched
  };
  std::function<void()> end_;
  std::array<Watch, 3> watches_;
  int received_ = 0;
};

// With the program's cleanup done: the signal's default action back in
// place and the signal raised, so the parent sees how the program ended.
// Returns only when `signal` is 0.
void endBySignal(int signal);

}  // namespace kurvlux
