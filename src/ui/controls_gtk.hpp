// The identifier table of the controls on GTK (the shared table over
// widgets, with enabling and tooltips done the GTK way), and the combo boxes
// and buttons it holds.
#pragma once

#include <gtk/gtk.h>

#include "ui/control_table.hpp"

namespace kurvlux {

using ControlKindGtk = ControlKindOf<GtkWidget*>;

class ControlTableGtk final : public ControlTable<GtkWidget*> {
 public:
  GtkWidget* controlWidget(int id) const { return controlHandle(id); }
  // Where newly created controls go: the main window's fixed layout, or the
  // status bar's once the controls have moved there.
  GtkFixed* container() const { return container_; }
  void setContainer(GtkFixed* container) { container_ = container; }

  void disableControl(int id, int flag) override;
  void setControlTooltip(int id, TextView text) override;

 private:
  GtkFixed* container_ = nullptr;
};

// Editable combo boxes (flags with the drop-down bit 0x2 and without 0x1)
// get an entry; the rest are plain lists. Placed in the table's container.
GtkWidget* createComboBox(ControlTableGtk& controls, int id, int x, int y, int width, int height, int flags);
// A button that stays pushed in until clicked again.
GtkWidget* createButton(ControlTableGtk& controls, int id, int x, int y, int width, int height,
                        TextView caption);

// The widget that takes the keyboard focus for a control: the entry of an
// editable combo box, the button inside a list box, else the control itself.
GtkWidget* focusWidget(GtkWidget* control);
// The toggle button inside a combo box that opens its list; null when there
// is none.
GtkWidget* comboArrow(GtkWidget* combo);
// A combo box's items in their order.
std::vector<Text> comboItems(GtkWidget* combo);

}  // namespace kurvlux
