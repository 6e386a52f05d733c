// The identifier table of the controls on GTK: one record per control with
// the operations of its kind, the same shape as the Windows table so the
// program's logic cannot tell them apart.
#pragma once

#include <gtk/gtk.h>

#include <cstdint>
#include <vector>

#include "ui/controls.hpp"

namespace kurvlux {

// An empty slot means the kind has no such operation.
struct ControlKindGtk {
  std::intptr_t (*state)(GtkWidget* control) = nullptr;
  void (*setState)(GtkWidget* control, std::intptr_t value) = nullptr;
  Text (*text)(GtkWidget* control) = nullptr;
  void (*setText)(GtkWidget* control, TextView text) = nullptr;
  void (*addItem)(GtkWidget* control, int position, TextView text) = nullptr;
};

class ControlTableGtk final : public Controls {
 public:
  void registerControl(int id, GtkWidget* widget, const ControlKindGtk& kind);
  GtkWidget* controlWidget(int id) const;
  // Where newly created controls go: the main window's fixed layout, or the
  // status bar's once the controls have moved there.
  GtkFixed* container() const { return container_; }
  void setContainer(GtkFixed* container) { container_ = container; }

  std::intptr_t controlState(int id) override;
  void setControlState(int id, std::intptr_t value) override;
  Text controlText(int id) override;
  void setControlText(int id, TextView text) override;
  void disableControl(int id, int flag) override;
  void addControlItem(int id, int position, TextView text) override;
  void setControlTooltip(int id, TextView text) override;

 private:
  struct Record {
    GtkWidget* widget = nullptr;
    const ControlKindGtk* kind = nullptr;
  };
  const Record* find(int id) const;

  std::vector<Record> records_;
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
