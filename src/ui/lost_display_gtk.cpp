#include "ui/lost_display_gtk.hpp"

#include <gtk/gtk.h>
#include <unistd.h>

#include "ui/ending_signals_posix.hpp"

#ifdef GDK_WINDOWING_X11
#include <gdk/gdkx.h>
#endif

namespace kurvlux {

#ifdef GDK_WINDOWING_X11
namespace {

XIOErrorHandler gdkHandler = nullptr;

int onLostConnection(Display* display) {
  portsBackOnLostDisplay();
  if (gdkHandler) gdkHandler(display);
  // Xlib ends the process when the handler returns; GDK's never does.
  _exit(1);
}

}  // namespace
#endif

void watchForLostDisplay() {
#ifdef GDK_WINDOWING_X11
  if (GDK_IS_X11_DISPLAY(gdk_display_get_default())) gdkHandler = XSetIOErrorHandler(onLostConnection);
#endif
}

}  // namespace kurvlux
