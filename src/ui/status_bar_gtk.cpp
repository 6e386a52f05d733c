// Status fields on GTK. Texts are aligned by the label rather than by the
// tab characters Windows reads, so what the field shows, and what a screen
// reader reads, is exactly the program's text.
#include "ui/status_bar_gtk.hpp"

#include "text/utf8_text.hpp"
#include "ui/status_layout.hpp"

namespace kurvlux {

namespace {

// The fields stand one pixel below the bar's top and end one pixel above its
// bottom, as the Windows bar draws them.
constexpr int fieldTop = 2;
constexpr int fieldInset = 2;

GtkShadowType shadowOf(int flags) {
  switch (statusBorder(flags)) {
    case StatusBorder::raised:
      return GTK_SHADOW_OUT;
    case StatusBorder::none:
      return GTK_SHADOW_NONE;
    case StatusBorder::sunken:
      break;
  }
  return GTK_SHADOW_IN;
}

float alignmentOf(int flags) {
  if ((flags & statusCentred) != 0) return 0.5f;
  if ((flags & statusRightAligned) != 0) return 1.0f;
  return 0.0f;
}

}  // namespace

GtkFixed* StatusBarGtk::createStatusBar(int id, GtkFixed* parent, int x, int y, int width, int height) {
  if (id < 0 || find(id) != nullptr || parent == nullptr) return nullptr;
  GtkWidget* layout = gtk_fixed_new();
  gtk_widget_set_name(layout, "statusbar");
  gtk_widget_set_size_request(layout, width, height);
  gtk_fixed_put(parent, layout, x, y);
  gtk_widget_show(layout);
  bars_.push_back(Bar{id, GTK_FIXED(layout), height, {}});
  return GTK_FIXED(layout);
}

void StatusBarGtk::addStatusField(int width) {
  if (bars_.empty() || width <= 0) return;
  Bar& bar = bars_.back();
  Field field;
  field.left = bar.fields.empty() ? 0 : bar.fields.back().left + bar.fields.back().width;
  field.width = width;
  field.frame = gtk_frame_new(nullptr);
  field.label = gtk_label_new("");
  gtk_label_set_single_line_mode(GTK_LABEL(field.label), TRUE);
  // The box holds the label and, once the field shows a progress, the bar;
  // only one of them is visible at a time.
  GtkWidget* content = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
  gtk_box_pack_start(GTK_BOX(content), field.label, TRUE, TRUE, 0);
  gtk_container_add(GTK_CONTAINER(field.frame), content);
  gtk_widget_set_size_request(field.frame, width - fieldInset, bar.height - fieldTop - 1);
  gtk_fixed_put(bar.layout, field.frame, field.left, fieldTop);
  gtk_widget_show_all(field.frame);
  bar.fields.push_back(field);
}

StatusBarGtk::Bar* StatusBarGtk::find(int id) {
  for (Bar& bar : bars_) {
    if (bar.id == id) return &bar;
  }
  return nullptr;
}

const StatusBarGtk::Bar* StatusBarGtk::find(int id) const {
  return const_cast<StatusBarGtk*>(this)->find(id);
}

GtkFixed* StatusBarGtk::statusBarHandle(int id) const {
  const Bar* bar = find(id);
  return bar ? bar->layout : nullptr;
}

const StatusBarGtk::Field* StatusBarGtk::field(int bar, int index) const {
  const Bar* found = find(bar);
  if (!found || index < 0 || static_cast<std::size_t>(index) >= found->fields.size()) return nullptr;
  return &found->fields[static_cast<std::size_t>(index)];
}

void StatusBarGtk::setStatusText(int bar, int index, TextView text, int flags) {
  Bar* found = find(bar);
  if (!found || index < 0 || static_cast<std::size_t>(index) >= found->fields.size()) return;
  Field& field = found->fields[static_cast<std::size_t>(index)];
  if (field.progressBar) gtk_widget_hide(field.progressBar);
  gtk_widget_show(field.label);
  gtk_frame_set_shadow_type(GTK_FRAME(field.frame), shadowOf(flags));
  gtk_label_set_xalign(GTK_LABEL(field.label), alignmentOf(flags));
  // The rate texts change once a second at most, the label only when they do.
  const std::string utf8 = utf8FromText(text);
  if (utf8 != gtk_label_get_text(GTK_LABEL(field.label)))
    gtk_label_set_text(GTK_LABEL(field.label), utf8.c_str());
}

void StatusBarGtk::setStatusProgress(int bar, int index, int value, int appearance, int minimum,
                                     int maximum) {
  Bar* found = find(bar);
  if (!found || index < 0 || static_cast<std::size_t>(index) >= found->fields.size()) return;
  Field& field = found->fields[static_cast<std::size_t>(index)];
  if (!field.progressBar) {
    field.progressBar = gtk_progress_bar_new();
    gtk_widget_set_name(field.progressBar, "lineload");
    gtk_box_pack_start(GTK_BOX(gtk_widget_get_parent(field.label)), field.progressBar, TRUE, TRUE, 0);
    // A screen reader names the bar after the label beside it, without the
    // colon that sets it off on the screen.
    if (index > 0) {
      GtkWidget* beside = found->fields[static_cast<std::size_t>(index) - 1].label;
      gtk_label_set_mnemonic_widget(GTK_LABEL(beside), field.progressBar);
      std::string name = gtk_label_get_text(GTK_LABEL(beside));
      name.erase(name.find_last_not_of(": ") + 1);
      atk_object_set_name(gtk_widget_get_accessible(field.progressBar), name.c_str());
    }
  }
  if (minimum != keepProgressBound) field.minimum = minimum;
  if (maximum != keepProgressBound) field.maximum = maximum;
  gtk_frame_set_shadow_type(GTK_FRAME(field.frame), shadowOf(appearance));
  gtk_widget_hide(field.label);
  gtk_widget_show(field.progressBar);
  // The filled part is cut to whole pixels of the bar as on Windows; values
  // beyond the range show an empty or a full bar.
  constexpr int scale = 10000;
  const double fraction =
      static_cast<double>(progressFillWidth(value, field.minimum, field.maximum, scale)) / scale;
  GtkProgressBar* progress = GTK_PROGRESS_BAR(field.progressBar);
  if (gtk_progress_bar_get_fraction(progress) != fraction) gtk_progress_bar_set_fraction(progress, fraction);
}

}  // namespace kurvlux
