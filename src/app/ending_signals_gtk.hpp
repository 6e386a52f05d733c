// The ending signals taken into GTK's main loop: SIGTERM, SIGINT and SIGHUP
// end the program along the path closing its window takes (every port put
// back as it was found and freed, then the program ends by the signal that
// came first); the others put the ports back in their handler and end the
// program at once (see ending_signals_posix.hpp).
#pragma once

#include <glib.h>

#include <functional>

#include "app/ending_signals_posix.hpp"

namespace kurvlux {

class EndingSignalsGtk {
 public:
  // `end` runs on the main loop's thread when the first ending signal is
  // one of those three, never in the handler; `wake` is what
  // catchEndingSignals returned.
  EndingSignalsGtk(int wake, std::function<void()> end);
  ~EndingSignalsGtk();
  EndingSignalsGtk(const EndingSignalsGtk&) = delete;
  EndingSignalsGtk& operator=(const EndingSignalsGtk&) = delete;

  // The signal that ended the loop, 0 while none has.
  int received() const { return received_; }

 private:
  static gboolean onWake(gint fd, GIOCondition condition, gpointer self);

  std::function<void()> end_;
  guint source_ = 0;
  int received_ = 0;
};

}  // namespace kurvlux
