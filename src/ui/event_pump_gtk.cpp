// One GTK iteration per pass keeps the window alive; a pass with nothing to
// do waits in GTK's own poll with the port added to it. gtk_dialog_run's own
// loop serves the window while an info box is open.
#include "ui/event_pump_gtk.hpp"

#include <algorithm>

#include "text/utf8_text.hpp"
#include "ui/clock_posix.hpp"

namespace kurvlux {

int EventPumpGtk::fetchEvent() {
  if (auto event = window_.events().take()) return event->number;
  g_main_context_iteration(nullptr, FALSE);
  if (auto event = window_.events().take()) return event->number;
  return 0;
}

void EventPumpGtk::pauseMilliseconds(int milliseconds) { sleepMilliseconds(milliseconds); }

namespace {

// The sooner of two timeouts where a negative one is none.
int sooner(int a, int b) {
  if (a < 0) return b;
  if (b < 0) return a;
  return std::min(a, b);
}

}  // namespace

// The steps of one main-context iteration without its dispatch: prepare
// (which also looks into GDK's own event queue and Xlib's), query, poll,
// check. The fetch that follows finds the woken sources ready and
// dispatches them as it always has, so a pass still handles what one
// iteration handles.
void EventPumpGtk::waitForInput(std::uintptr_t port, int milliseconds) {
  if (!window_.events().empty()) return;
  // GTK's context, unless the caller made another one its thread's default.
  GMainContext* context = g_main_context_get_thread_default();
  if (context == nullptr) context = g_main_context_default();
  if (!g_main_context_acquire(context)) return;
  gint priority = 0;
  if (!g_main_context_prepare(context, &priority)) {
    gint timeout = -1;
    // One place more than the main context asks for, for the port.
    auto room = [&] { return static_cast<gint>(polled_.size()) - 1; };
    gint count = 0;
    while ((count = g_main_context_query(context, priority, &timeout, polled_.data(), room())) > room()) {
      polled_.resize(static_cast<std::size_t>(count) + 1);
    }
    guint waitedOn = static_cast<guint>(count);
    if (port != 0) {
      // A hung-up or failed line wakes the wait too; the next count finds it gone.
      polled_[waitedOn++] = GPollFD{static_cast<gint>(port), G_IO_IN | G_IO_HUP | G_IO_ERR, 0};
    }
    g_poll(polled_.data(), waitedOn, sooner(timeout, milliseconds));
    g_main_context_check(context, priority, polled_.data(), count);
  }
  g_main_context_release(context);
}

namespace {

// GTK breaks lines at "\n"; the carriage returns of the texts would show as
// boxes.
std::string withoutCarriageReturns(TextView text) {
  std::string utf8 = utf8FromText(text);
  std::erase(utf8, '\r');
  return utf8;
}

}  // namespace

void EventPumpGtk::endProgram() { window_.endProgram(); }

void EventPumpGtk::showMessage(TextView title, TextView text, MessageFont font) {
  // One box at a time: the loop stands still while one is open, and
  // nothing else may stack a second on it.
  if (window_.ending() || window_.openBox() != nullptr) return;
  GtkWidget* dialog = gtk_dialog_new_with_buttons(
      utf8FromText(title).c_str(), window_.window(),
      static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT), "OK", GTK_RESPONSE_OK,
      nullptr);
  if (!dialog) return;
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
  gtk_window_set_resizable(GTK_WINDOW(dialog), FALSE);
  gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER_ON_PARENT);
  GtkWidget* label = gtk_label_new(withoutCarriageReturns(text).c_str());
  gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
  gtk_label_set_selectable(GTK_LABEL(label), FALSE);
  if (font == MessageFont::fixedWidth) {
    // Set on the label itself rather than through the theme's "monospace"
    // class, which not every theme has.
    PangoAttrList* attributes = pango_attr_list_new();
    pango_attr_list_insert(attributes, pango_attr_family_new("monospace"));
    gtk_label_set_attributes(GTK_LABEL(label), attributes);
    pango_attr_list_unref(attributes);
  } else {
    // Long paragraphs wrap, as in a Windows message box; the rule of hyphens
    // sets the width.
    constexpr int widestLine = 90;
    gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
    gtk_label_set_max_width_chars(GTK_LABEL(label), widestLine);
  }
  GtkWidget* content = gtk_dialog_get_content_area(GTK_DIALOG(dialog));
  gtk_container_set_border_width(GTK_CONTAINER(content), 12);
  gtk_box_pack_start(GTK_BOX(content), label, TRUE, TRUE, 0);
  gtk_widget_show_all(dialog);
  // Should GTK destroy the dialog while it runs (a box destroyed from
  // outside, wherever the window's filter does not see it), this reference
  // keeps the pointer valid for the destroy below.
  g_object_ref(dialog);
  window_.setOpenBox(GTK_DIALOG(dialog));
  gtk_dialog_run(GTK_DIALOG(dialog));
  window_.setOpenBox(nullptr);
  gtk_widget_destroy(dialog);
  g_object_unref(dialog);
}

}  // namespace kurvlux
