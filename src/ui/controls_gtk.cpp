// Combo boxes and toggle buttons on GTK. As on Windows the program polls
// them and connects to none of their signals.
#include "ui/controls_gtk.hpp"

#include "text/utf8_text.hpp"

namespace kurvlux {

void ControlTableGtk::disableControl(int id, int flag) {
  // GTK ignores a sensitivity that does not change, so the loop may say it
  // every pass.
  if (const Record* record = find(id)) gtk_widget_set_sensitive(record->handle, flag == 0);
}

void ControlTableGtk::setControlTooltip(int id, TextView text) {
  const Record* record = find(id);
  if (!record) return;
  const std::string tip = utf8FromText(text);
  gtk_widget_set_tooltip_text(record->handle, tip.c_str());
  // The entry covers most of an editable box; the tip shows over it too.
  GtkWidget* focus = focusWidget(record->handle);
  if (focus != record->handle) gtk_widget_set_tooltip_text(focus, tip.c_str());
  // A screen reader names a box, and what the focus lands on inside it, by
  // what it is for, not by the item it shows. A button keeps its caption as
  // its name ("Verbinden", "Trennen") and gets the tip as its description
  // from GTK.
  if (GTK_IS_COMBO_BOX(record->handle)) {
    atk_object_set_name(gtk_widget_get_accessible(record->handle), tip.c_str());
    atk_object_set_name(gtk_widget_get_accessible(focus), tip.c_str());
  }
}

namespace {

void findToggleButton(GtkWidget* widget, gpointer found) {
  auto* button = static_cast<GtkWidget**>(found);
  if (*button) return;
  if (GTK_IS_TOGGLE_BUTTON(widget)) {
    *button = widget;
  } else if (GTK_IS_CONTAINER(widget)) {
    gtk_container_forall(GTK_CONTAINER(widget), findToggleButton, found);
  }
}

}  // namespace

std::vector<Text> comboItems(GtkWidget* combo) {
  std::vector<Text> items;
  GtkTreeModel* model = gtk_combo_box_get_model(GTK_COMBO_BOX(combo));
  GtkTreeIter item;
  for (gboolean more = gtk_tree_model_get_iter_first(model, &item); more;
       more = gtk_tree_model_iter_next(model, &item)) {
    gchar* text = nullptr;
    gtk_tree_model_get(model, &item, 0, &text, -1);
    items.push_back(text ? textFromUtf8(text) : Text());
    g_free(text);
  }
  return items;
}

GtkWidget* comboArrow(GtkWidget* combo) {
  GtkWidget* button = nullptr;
  if (GTK_IS_CONTAINER(combo)) gtk_container_forall(GTK_CONTAINER(combo), findToggleButton, &button);
  return button;
}

GtkWidget* focusWidget(GtkWidget* control) {
  if (!GTK_IS_COMBO_BOX(control)) return control;
  if (gtk_combo_box_get_has_entry(GTK_COMBO_BOX(control))) return gtk_bin_get_child(GTK_BIN(control));
  // A list box hands the focus on to the button inside it.
  GtkWidget* button = comboArrow(control);
  return button ? button : control;
}

namespace {

GtkComboBoxText* asCombo(GtkWidget* control) { return GTK_COMBO_BOX_TEXT(control); }

std::intptr_t comboState(GtkWidget* combo) { return gtk_combo_box_get_active(GTK_COMBO_BOX(combo)); }

void comboSetState(GtkWidget* combo, std::intptr_t value) {
  gtk_combo_box_set_active(GTK_COMBO_BOX(combo), static_cast<gint>(value));
}

void comboAddItem(GtkWidget* combo, int position, TextView text) {
  gtk_combo_box_text_insert(asCombo(combo), position, nullptr, utf8FromText(text).c_str());
}

Text entryText(GtkWidget* combo) {
  return textFromUtf8(gtk_entry_get_text(GTK_ENTRY(gtk_bin_get_child(GTK_BIN(combo)))));
}

// Fills the entry and leaves the list's selection alone.
void entrySetText(GtkWidget* combo, TextView text) {
  GtkEntry* entry = GTK_ENTRY(gtk_bin_get_child(GTK_BIN(combo)));
  const std::string utf8 = utf8FromText(text);
  if (utf8 != gtk_entry_get_text(entry)) gtk_entry_set_text(entry, utf8.c_str());
}

Text listText(GtkWidget* combo) {
  gchar* active = gtk_combo_box_text_get_active_text(asCombo(combo));
  Text text = active ? textFromUtf8(active) : Text();
  g_free(active);
  return text;
}

// Picks the item with that text, ignoring letter case; an empty text clears
// the selection and an unknown one leaves it alone.
void listSetText(GtkWidget* combo, TextView text) {
  text = untilNul(text);
  if (text.empty()) {
    gtk_combo_box_set_active(GTK_COMBO_BOX(combo), -1);
    return;
  }
  const Text wanted = lowerText(text);
  const std::vector<Text> items = comboItems(combo);
  for (std::size_t index = 0; index < items.size(); ++index) {
    if (lowerText(items[index]) == wanted) {
      gtk_combo_box_set_active(GTK_COMBO_BOX(combo), static_cast<gint>(index));
      return;
    }
  }
}

std::intptr_t toggleState(GtkWidget* button) {
  return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(button)) ? 1 : 0;
}

void toggleSetState(GtkWidget* button, std::intptr_t value) {
  gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(button), value != 0);
}

Text buttonCaption(GtkWidget* button) {
  const gchar* label = gtk_button_get_label(GTK_BUTTON(button));
  return label ? textFromUtf8(label) : Text();
}

// The loop writes the connect caption every pass; GTK would rebuild the
// label each time, so only a real change reaches it.
void buttonSetCaption(GtkWidget* button, TextView text) {
  const std::string utf8 = utf8FromText(text);
  const gchar* label = gtk_button_get_label(GTK_BUTTON(button));
  if (label == nullptr || utf8 != label) gtk_button_set_label(GTK_BUTTON(button), utf8.c_str());
}

const ControlKindGtk editableComboKind{comboState, comboSetState, entryText, entrySetText, comboAddItem};
const ControlKindGtk listComboKind{comboState, comboSetState, listText, listSetText, comboAddItem};
const ControlKindGtk toggleKind{toggleState, toggleSetState, buttonCaption, buttonSetCaption, nullptr};

void place(ControlTableGtk& controls, GtkWidget* widget, int x, int y, int width, int height) {
  gtk_widget_set_size_request(widget, width, height);
  if (controls.container()) gtk_fixed_put(controls.container(), widget, x, y);
  gtk_widget_show_all(widget);
}

}  // namespace

GtkWidget* createComboBox(ControlTableGtk& controls, int id, int x, int y, int width, int height, int flags) {
  constexpr int dropDownBits = 0x3;
  constexpr int dropDownWithEntry = 0x2;
  const bool editable = (flags & dropDownBits) == dropDownWithEntry;
  GtkWidget* combo = editable ? gtk_combo_box_text_new_with_entry() : gtk_combo_box_text_new();
  gtk_widget_set_name(combo, ("control" + std::to_string(id)).c_str());
  if (editable) {
    // Without this the entry asks for room for twenty characters.
    GtkEntry* entry = GTK_ENTRY(gtk_bin_get_child(GTK_BIN(combo)));
    gtk_entry_set_width_chars(entry, 1);
  }
  place(controls, combo, x, y, width, height);
  controls.registerControl(id, combo, editable ? editableComboKind : listComboKind);
  return combo;
}

GtkWidget* createButton(ControlTableGtk& controls, int id, int x, int y, int width, int height,
                        TextView caption) {
  GtkWidget* button = gtk_toggle_button_new_with_label(utf8FromText(caption).c_str());
  gtk_widget_set_name(button, ("control" + std::to_string(id)).c_str());
  place(controls, button, x, y, width, height);
  controls.registerControl(id, button, toggleKind);
  return button;
}

}  // namespace kurvlux
