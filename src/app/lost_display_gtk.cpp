// Where each windowing system tells of a lost connection, the ports go back
// before the toolkit ends the process.
#include "app/lost_display_gtk.hpp"

#include <gtk/gtk.h>
#include <unistd.h>

#include <string_view>

#include "app/ending_signals_posix.hpp"

#ifdef GDK_WINDOWING_X11
#include <gdk/gdkx.h>
#endif
#ifdef GDK_WINDOWING_WAYLAND
#include <gdk/gdkwayland.h>
#endif

namespace kurvlux {

namespace {

#ifdef GDK_WINDOWING_X11
XIOErrorHandler gdkHandler = nullptr;

int onLostConnection(Display* display) {
  portsBackOnLostDisplay();
  if (gdkHandler) gdkHandler(display);
  // Xlib ends the process when the handler returns; GDK's never does.
  _exit(1);
}
#endif

#ifdef GDK_WINDOWING_WAYLAND
// GDK 3 on Wayland has no handler to chain to: where reading, writing or
// dispatching on the compositor's connection fails, it logs one of these
// messages and ends the process right after. The message is the only news.
bool tellsLostConnection(std::string_view message) {
  return message == "Lost connection to Wayland compositor." ||
         message.starts_with("Error flushing display") ||
         message.starts_with("Error reading events from display") ||
         message.ends_with("dispatching to Wayland display.");
}

GLogWriterOutput onLogMessage(GLogLevelFlags level, const GLogField* fields, gsize count, gpointer data) {
  std::string_view domain, message;
  for (gsize i = 0; i < count; ++i) {
    const std::string_view key = fields[i].key;
    const auto* value = static_cast<const char*>(fields[i].value);
    if (key == "GLIB_DOMAIN" && value) domain = value;
    if (key == "MESSAGE" && value) message = value;
  }
  if ((level & G_LOG_LEVEL_MESSAGE) == 0 || domain != "Gdk" || !tellsLostConnection(message)) {
    return g_log_writer_default(level, fields, count, data);
  }
  portsBackOnLostDisplay();
  return G_LOG_WRITER_HANDLED;
}
#endif

}  // namespace

void watchForLostDisplay() {
  GdkDisplay* display = gdk_display_get_default();
#ifdef GDK_WINDOWING_X11
  if (GDK_IS_X11_DISPLAY(display)) gdkHandler = XSetIOErrorHandler(onLostConnection);
#endif
#ifdef GDK_WINDOWING_WAYLAND
  if (GDK_IS_WAYLAND_DISPLAY(display)) g_log_set_writer_func(onLogMessage, nullptr, nullptr);
#endif
}

}  // namespace kurvlux
