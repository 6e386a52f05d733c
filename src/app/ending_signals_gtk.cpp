// The handler only records the signal and writes to a pipe; the rest runs
// when the loop's next iteration finds the pipe readable.
#include "app/ending_signals_gtk.hpp"

#include <glib-unix.h>
#include <unistd.h>

namespace kurvlux {

EndingSignalsGtk::EndingSignalsGtk(int wake, std::function<void()> end) : end_(std::move(end)) {
  if (wake >= 0) source_ = g_unix_fd_add(wake, G_IO_IN, onWake, this);
}

EndingSignalsGtk::~EndingSignalsGtk() {
  if (source_ != 0) g_source_remove(source_);
}

gboolean EndingSignalsGtk::onWake(gint fd, GIOCondition, gpointer self) {
  auto& owner = *static_cast<EndingSignalsGtk*>(self);
  char drained[8];
  while (read(fd, drained, sizeof drained) > 0) continue;
  if (owner.received_ == 0) {
    owner.received_ = firstEnding();
    owner.end_();
  }
  return G_SOURCE_CONTINUE;
}

}  // namespace kurvlux
