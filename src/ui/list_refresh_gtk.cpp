// Refreshing a combo box's items just before its list opens.
#include "ui/list_refresh_gtk.hpp"

#include "text/utf8_text.hpp"
#include "ui/controls_gtk.hpp"
#include "ui/list_edits.hpp"

namespace kurvlux {

ListRefreshGtk::ListRefreshGtk(GtkWidget* combo, FreshItems freshItems)
    : combo_(combo), arrow_(comboArrow(combo)), freshItems_(std::move(freshItems)) {
  if (!combo_) return;
  // GTK would make the arrow insensitive while the list is empty, and a
  // board plugged in later could not be found by a click.
  gtk_combo_box_set_button_sensitivity(GTK_COMBO_BOX(combo_), GTK_SENSITIVITY_ON);
  // Keys and the accessible action open the list through "popup"; a click
  // on the arrow opens it directly, so its press is taken before the arrow's
  // own handling.
  popupHandler_ = g_signal_connect(combo_, "popup", G_CALLBACK(onPopup), this);
  if (arrow_) arrowHandler_ = g_signal_connect(arrow_, "event", G_CALLBACK(onArrowEvent), this);
}

ListRefreshGtk::~ListRefreshGtk() {
  if (popupHandler_) g_signal_handler_disconnect(combo_, popupHandler_);
  if (arrowHandler_) g_signal_handler_disconnect(arrow_, arrowHandler_);
}

gboolean ListRefreshGtk::onArrowEvent(GtkWidget*, GdkEvent* event, gpointer self) {
  if (event->type == GDK_BUTTON_PRESS || event->type == GDK_TOUCH_BEGIN) {
    static_cast<ListRefreshGtk*>(self)->refresh();
  }
  return FALSE;
}

void ListRefreshGtk::onPopup(GtkComboBox*, gpointer self) { static_cast<ListRefreshGtk*>(self)->refresh(); }

void ListRefreshGtk::refresh() {
  // A disabled box lists nothing (its port is in use), and a press that
  // closes the open list needs no new items.
  gboolean open = FALSE;
  g_object_get(combo_, "popup-shown", &open, nullptr);
  if (open || !gtk_widget_is_sensitive(combo_)) return;
  const std::vector<Text> shown = comboItems(combo_);
  // Removing the selected row leaves the entry's text as it is; only a
  // newly selected row would write into it, and nothing here selects one.
  for (const ListEdit& edit : listEdits(shown, freshItems_(shown))) {
    const auto position = static_cast<gint>(edit.position);
    if (edit.kind == ListEdit::insert) {
      gtk_combo_box_text_insert(GTK_COMBO_BOX_TEXT(combo_), position, nullptr,
                                utf8FromText(edit.text).c_str());
    } else {
      gtk_combo_box_text_remove(GTK_COMBO_BOX_TEXT(combo_), position);
    }
  }
}

}  // namespace kurvlux
