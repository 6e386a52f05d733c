// The main window on GTK. Closing it only records the close event: the
// program ends from its loop, as it does on Windows.
#include "ui/main_window_gtk.hpp"

#include "text/utf8_text.hpp"
#include "ui/controls_gtk.hpp"
#include "ui/event_pump.hpp"
#include "ui/focus_cycle.hpp"
#include "ui/window_icon_gtk.hpp"

namespace kurvlux {

MainWindowGtk::~MainWindowGtk() {
  if (window_) gtk_widget_destroy(GTK_WIDGET(window_));
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
  g_signal_connect(window, "delete-event", G_CALLBACK(onDelete), this);
  g_signal_connect(window, "key-press-event", G_CALLBACK(onKeyPress), this);
  gtk_widget_show_all(window);
  return true;
}

gboolean MainWindowGtk::onDelete(GtkWidget*, GdkEvent*, gpointer self) {
  auto* window = static_cast<MainWindowGtk*>(self);
  EventRecord close;
  close.number = closeEvent;
  close.window = window->id_;
  window->events_.record(close);
  return TRUE;  // the window stays until the program ends
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
