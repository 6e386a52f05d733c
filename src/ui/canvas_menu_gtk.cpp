// The shortcuts are handled on the window rather than through an
// accelerator group: GTK runs accelerators before the focused widget, which
// would take Ctrl+C away from the threshold and port boxes.
#include "ui/canvas_menu_gtk.hpp"

namespace kurvlux {

namespace {

CanvasMenuActions& actionsOf(gpointer self) { return *static_cast<CanvasMenuActions*>(self); }

void run(const std::function<void()>& action) {
  if (action) action();
}

}  // namespace

CanvasMenuGtk::CanvasMenuGtk(GtkWindow* window, GtkWidget* canvas, CanvasMenuActions actions)
    : window_(window), canvas_(canvas), actions_(std::move(actions)) {
  menu_ = gtk_menu_new();
  g_object_ref_sink(menu_);
  gtk_menu_attach_to_widget(GTK_MENU(menu_), canvas_, nullptr);
  addItem("Bild speichern …", GDK_KEY_s, [](GtkMenuItem*, gpointer a) { run(actionsOf(a).savePicture); });
  addItem("Bild kopieren", GDK_KEY_c, [](GtkMenuItem*, gpointer a) { run(actionsOf(a).copyPicture); });
  addItem("Werte speichern …", 0, [](GtkMenuItem*, gpointer a) { run(actionsOf(a).saveValues); });
  gtk_menu_shell_append(GTK_MENU_SHELL(menu_), gtk_separator_menu_item_new());
  recordItem_ = addItem("Aufzeichnung starten …", GDK_KEY_r,
                        [](GtkMenuItem*, gpointer a) { run(actionsOf(a).toggleRecording); });
  gtk_widget_show_all(menu_);

  // A click on the canvas takes the focus out of a text field, so the
  // shortcuts reach the picture again.
  gtk_widget_set_can_focus(canvas_, TRUE);
  gtk_widget_add_events(canvas_, GDK_BUTTON_PRESS_MASK);
  g_signal_connect(canvas_, "button-press-event", G_CALLBACK(onButton), this);
  g_signal_connect(window_, "key-press-event", G_CALLBACK(onKey), this);
}

CanvasMenuGtk::~CanvasMenuGtk() {
  g_signal_handlers_disconnect_by_data(canvas_, this);
  g_signal_handlers_disconnect_by_data(window_, this);
  gtk_widget_destroy(menu_);
  g_object_unref(menu_);
}

GtkWidget* CanvasMenuGtk::addItem(const char* label, guint key, void (*activate)(GtkMenuItem*, gpointer)) {
  GtkWidget* item = gtk_menu_item_new_with_label(label);
  // Shown beside the entry only; the key itself is handled in onKey.
  if (key != 0)
    gtk_accel_label_set_accel(GTK_ACCEL_LABEL(gtk_bin_get_child(GTK_BIN(item))), key, GDK_CONTROL_MASK);
  g_signal_connect(item, "activate", G_CALLBACK(activate), &actions_);
  gtk_menu_shell_append(GTK_MENU_SHELL(menu_), item);
  return item;
}

void CanvasMenuGtk::popUp(const GdkEvent* trigger) {
  if (actions_.recordingLabel)
    gtk_menu_item_set_label(GTK_MENU_ITEM(recordItem_), actions_.recordingLabel().c_str());
  if (trigger && trigger->type == GDK_BUTTON_PRESS) {
    gtk_menu_popup_at_pointer(GTK_MENU(menu_), trigger);
  } else {
    gtk_menu_popup_at_widget(GTK_MENU(menu_), canvas_, GDK_GRAVITY_CENTER, GDK_GRAVITY_NORTH_WEST, trigger);
  }
  gtk_menu_shell_select_first(GTK_MENU_SHELL(menu_), FALSE);
}

gboolean CanvasMenuGtk::onButton(GtkWidget* canvas, GdkEventButton* event, gpointer self) {
  if (event->type != GDK_BUTTON_PRESS) return FALSE;
  gtk_widget_grab_focus(canvas);
  if (event->button != GDK_BUTTON_SECONDARY) return FALSE;
  static_cast<CanvasMenuGtk*>(self)->popUp(reinterpret_cast<const GdkEvent*>(event));
  return TRUE;
}

gboolean CanvasMenuGtk::onKey(GtkWidget*, GdkEventKey* event, gpointer self) {
  auto* menu = static_cast<CanvasMenuGtk*>(self);
  GtkWidget* focus = gtk_window_get_focus(menu->window_);
  if (focus && GTK_IS_EDITABLE(focus)) return FALSE;
  constexpr guint modifiers = GDK_CONTROL_MASK | GDK_SHIFT_MASK | GDK_MOD1_MASK | GDK_SUPER_MASK;
  const guint held = event->state & modifiers;
  const guint key = gdk_keyval_to_lower(event->keyval);
  if ((key == GDK_KEY_Menu && held == 0) || (key == GDK_KEY_F10 && held == GDK_SHIFT_MASK)) {
    menu->popUp(reinterpret_cast<const GdkEvent*>(event));
    return TRUE;
  }
  if (held != GDK_CONTROL_MASK) return FALSE;
  const CanvasMenuActions& actions = menu->actions_;
  if (key == GDK_KEY_s) {
    run(actions.savePicture);
  } else if (key == GDK_KEY_c) {
    run(actions.copyPicture);
  } else if (key == GDK_KEY_r) {
    run(actions.toggleRecording);
  } else {
    return FALSE;
  }
  return TRUE;
}

}  // namespace kurvlux
