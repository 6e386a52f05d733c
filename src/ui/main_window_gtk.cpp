// The main window on GTK. Closing it only records the close event: the
// program ends from its loop, as it does on Windows.
#include "ui/main_window_gtk.hpp"

#include "text/utf8_text.hpp"
#include "ui/controls_gtk.hpp"
#include "ui/event_pump.hpp"
#include "ui/focus_cycle.hpp"
#include "ui/window_icon_gtk.hpp"

#ifdef GDK_WINDOWING_X11
#include <gdk/gdkx.h>
#endif

namespace kurvlux {

namespace {

void gtkHandling(GdkEvent* event, gpointer) { gtk_main_do_event(event); }

}  // namespace

MainWindowGtk::~MainWindowGtk() {
  if (!window_) return;
  gdk_event_handler_set(gtkHandling, nullptr, nullptr);
  gdk_window_remove_filter(nullptr, onNativeEvent, this);
  gtk_widget_destroy(GTK_WIDGET(window_));
#ifdef GDK_WINDOWING_X11
  if (trapped_) gdk_x11_display_error_trap_pop_ignored(trapped_);
#endif
}

bool MainWindowGtk::open(int id, TextView title, int clientWidth, int clientHeight) {
  if (window_) return false;
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  if (!window) return false;
  id_ = id;
  window_ = GTK_WINDOW(window);
  gtk_widget_set_name(window, "kurvlux");
  gtk_window_set_title(window_, utf8FromText(title).c_str());
  gtk_window_set_resizable(window_, FALSE);
  gtk_window_set_position(window_, GTK_WIN_POS_CENTER);
  setWindowIcon(window_);
  GtkWidget* layout = gtk_fixed_new();
  gtk_widget_set_size_request(layout, clientWidth, clientHeight);
  gtk_container_add(GTK_CONTAINER(window), layout);
  layout_ = GTK_FIXED(layout);
#ifdef GDK_WINDOWING_X11
  // Another client may destroy the window, or an info box, at any moment,
  // and until GDK has read the news each request that paints it fails. GDK's
  // own handler ends the program at the first such error, before the loop
  // can put the ports back; so the window lives inside one error trap, where
  // X errors are dropped instead.
  GdkDisplay* display = gtk_widget_get_display(window);
  if (GDK_IS_X11_DISPLAY(display)) {
    gdk_x11_display_error_trap_push(display);
    trapped_ = display;
  }
#endif
  // A close request the window system sends is taken before GTK sees it;
  // one that GTK makes itself (a title bar it draws) arrives as delete-event.
  gdk_event_handler_set(onEvent, this, nullptr);
  gdk_window_add_filter(nullptr, onNativeEvent, this);
  g_signal_connect(window, "delete-event", G_CALLBACK(onDelete), this);
  g_signal_connect(window, "key-press-event", G_CALLBACK(onKeyPress), this);
  // The loop reads in batches while nothing of the canvas can be seen.
  gtk_widget_add_events(window, GDK_VISIBILITY_NOTIFY_MASK | GDK_STRUCTURE_MASK);
  for (const char* signal : {"map-event", "unmap-event", "window-state-event", "visibility-notify-event"}) {
    g_signal_connect(window, signal, G_CALLBACK(onMapChange), this);
  }
  gtk_widget_show_all(window);
  return true;
}

gboolean MainWindowGtk::onMapChange(GtkWidget*, GdkEvent* event, gpointer self) {
  auto* window = static_cast<MainWindowGtk*>(self);
  switch (event->type) {
    case GDK_MAP:
      window->mapped_ = true;
      break;
    case GDK_UNMAP:
      window->mapped_ = false;
      break;
    case GDK_WINDOW_STATE:
      window->minimised_ = (event->window_state.new_window_state & GDK_WINDOW_STATE_ICONIFIED) != 0;
      break;
    case GDK_VISIBILITY_NOTIFY:
      window->covered_ = event->visibility.state == GDK_VISIBILITY_FULLY_OBSCURED;
      break;
    default:
      break;
  }
  return FALSE;
}

void MainWindowGtk::recordClose() {
  EventRecord close;
  close.number = closeEvent;
  close.window = id_;
  events_.record(close);
}

void MainWindowGtk::endProgram() {
  ending_ = true;
  recordClose();
  if (openBox_) gtk_dialog_response(openBox_, GTK_RESPONSE_NONE);
}

gboolean MainWindowGtk::onDelete(GtkWidget*, GdkEvent*, gpointer self) {
  static_cast<MainWindowGtk*>(self)->recordClose();
  return TRUE;  // the window stays until the program ends
}

// GTK drops a close request while another window holds a grab (an open info
// box, a list that is popped up); here it becomes the close event before GTK
// sees it.
void MainWindowGtk::onEvent(GdkEvent* event, gpointer self) {
  auto* window = static_cast<MainWindowGtk*>(self);
  if (event->type == GDK_DELETE && event->any.window == gtk_widget_get_window(GTK_WIDGET(window->window_))) {
    window->recordClose();
    return;
  }
  gtk_main_do_event(event);
}

// Another X client destroyed the window or the open box (xdotool
// windowclose). GDK would warn and GTK would tear the widgets down while the
// program still uses them; instead the widgets let go of the window now,
// inside the window's error trap. Without its window the program ends as on
// a signal: an open box closes and no second one follows. A destroyed box
// alone closes as if OK had been pressed.
GdkFilterReturn MainWindowGtk::onNativeEvent([[maybe_unused]] GdkXEvent* native, GdkEvent*,
                                             [[maybe_unused]] gpointer self) {
#ifdef GDK_WINDOWING_X11
  auto* window = static_cast<MainWindowGtk*>(self);
  const auto* event = static_cast<const XEvent*>(native);
  const auto isGone = [event](gpointer widget) {
    GdkWindow* own = widget ? gtk_widget_get_window(GTK_WIDGET(widget)) : nullptr;
    return event->type == DestroyNotify && GDK_IS_X11_WINDOW(own) &&
           event->xdestroywindow.window == GDK_WINDOW_XID(own);
  };
  if (isGone(window->window_)) {
    gtk_widget_unrealize(GTK_WIDGET(window->window_));
    window->endProgram();
    return GDK_FILTER_REMOVE;
  }
  if (isGone(window->openBox_)) {
    gtk_widget_unrealize(GTK_WIDGET(window->openBox_));
    gtk_dialog_response(window->openBox_, GTK_RESPONSE_NONE);
    return GDK_FILTER_REMOVE;
  }
#endif
  return GDK_FILTER_CONTINUE;
}

gboolean MainWindowGtk::onKeyPress(GtkWidget*, GdkEventKey* event, gpointer self) {
  constexpr guint modifiers = GDK_CONTROL_MASK | GDK_MOD1_MASK | GDK_SUPER_MASK;
  if ((event->state & modifiers) != 0) return FALSE;
  if (event->keyval == GDK_KEY_Tab || event->keyval == GDK_KEY_KP_Tab) {
    static_cast<MainWindowGtk*>(self)->cycleFocus((event->state & GDK_SHIFT_MASK) == 0);
    return TRUE;
  }
  if (event->keyval == GDK_KEY_ISO_Left_Tab) {
    static_cast<MainWindowGtk*>(self)->cycleFocus(false);
    return TRUE;
  }
  return FALSE;
}

void MainWindowGtk::cycleFocus(bool forward) {
  if (!window_) return;
  std::vector<GtkWidget*> candidates;
  for (GtkWidget* control : focusOrder_) {
    if (gtk_widget_is_sensitive(control) && gtk_widget_is_visible(control)) candidates.push_back(control);
  }
  GtkWidget* focus = gtk_window_get_focus(window_);
  int focused = -1;
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    if (focus == candidates[i] || (focus && gtk_widget_is_ancestor(focus, candidates[i]))) {
      focused = static_cast<int>(i);
    }
  }
  const int target = focusTarget(static_cast<int>(candidates.size()), focused, focus != nullptr,
                                 forward ? FocusDirection::next : FocusDirection::previous);
  if (target < 0) return;
  gtk_widget_grab_focus(focusWidget(candidates[static_cast<std::size_t>(target)]));
  gtk_window_set_focus_visible(window_, TRUE);
}

}  // namespace kurvlux
