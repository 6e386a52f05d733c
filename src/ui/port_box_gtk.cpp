// The port box's wide list and its tooltip that follows the entry.
#include "ui/port_box_gtk.hpp"

#include <string>

#include "serial/port_names.hpp"
#include "text/utf8_text.hpp"

namespace kurvlux {

namespace {

constexpr const char* baseTipKey = "kurvlux-base-tooltip";

void showChosenName(GtkEditable* entry, gpointer combo) {
  const auto* base = static_cast<const char*>(g_object_get_data(G_OBJECT(combo), baseTipKey));
  std::string tip = base != nullptr ? base : "";
  // The path the name is opened as: "ttyACM0" is /dev/ttyACM0.
  const std::string chosen =
      utf8FromText(devicePathOfPortName(textFromUtf8(gtk_entry_get_text(GTK_ENTRY(entry)))));
  if (!chosen.empty()) tip += (tip.empty() ? "" : "\n") + chosen;
  gtk_widget_set_tooltip_text(GTK_WIDGET(combo), tip.c_str());
  gtk_widget_set_tooltip_text(GTK_WIDGET(entry), tip.c_str());
}

// A name wider than the screen is shortened in its middle, where two by-id
// names of one kind of board differ least.
void limitNamesToScreen(GtkWidget* combo) {
  GdkDisplay* display = gtk_widget_get_display(combo);
  GdkWindow* window = gtk_widget_get_window(combo);
  GdkMonitor* monitor = window != nullptr ? gdk_display_get_monitor_at_window(display, window)
                                          : gdk_display_get_primary_monitor(display);
  if (monitor == nullptr) return;
  GdkRectangle area{};
  gdk_monitor_get_workarea(monitor, &area);
  // A character is at least this many pixels wide: more characters than
  // the screen has room for never fit.
  constexpr int narrowestCharacter = 6;
  GList* cells = gtk_cell_layout_get_cells(GTK_CELL_LAYOUT(combo));
  for (GList* cell = cells; cell != nullptr; cell = cell->next) {
    if (!GTK_IS_CELL_RENDERER_TEXT(cell->data)) continue;
    g_object_set(cell->data, "ellipsize", PANGO_ELLIPSIZE_MIDDLE, "max-width-chars",
                 area.width / narrowestCharacter, nullptr);
  }
  g_list_free(cells);
}

}  // namespace

void showFullPortNames(GtkWidget* combo) {
  if (!GTK_IS_COMBO_BOX(combo) || !gtk_combo_box_get_has_entry(GTK_COMBO_BOX(combo))) return;
  // Themes that show the list as a list, not a menu, keep it to the box's
  // width unless told otherwise.
  gtk_combo_box_set_popup_fixed_width(GTK_COMBO_BOX(combo), FALSE);
  g_object_set_data_full(G_OBJECT(combo), baseTipKey, gtk_widget_get_tooltip_text(combo), g_free);
  GtkWidget* entry = gtk_bin_get_child(GTK_BIN(combo));
  g_signal_connect(entry, "changed", G_CALLBACK(showChosenName), combo);
  limitNamesToScreen(combo);
  showChosenName(GTK_EDITABLE(entry), combo);
}

}  // namespace kurvlux
