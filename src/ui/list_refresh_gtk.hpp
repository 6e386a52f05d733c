// A GTK combo box whose items are taken afresh each time its list is about
// to open: by a click on its arrow, by the keyboard (Alt+Down) or by the
// accessible action. The entry's text is never touched.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <vector>

#include "text/convert.hpp"

namespace kurvlux {

class ListRefreshGtk {
 public:
  // Given the items the box shows, the items it should show now.
  using FreshItems = std::function<std::vector<Text>(const std::vector<Text>& shownItems)>;

  ListRefreshGtk(GtkWidget* combo, FreshItems freshItems);
  ListRefreshGtk(const ListRefreshGtk&) = delete;
  ListRefreshGtk& operator=(const ListRefreshGtk&) = delete;
  ~ListRefreshGtk();

 private:
  static gboolean onArrowEvent(GtkWidget* arrow, GdkEvent* event, gpointer self);
  static void onPopup(GtkComboBox* combo, gpointer self);
  void refresh();

  GtkWidget* combo_;
  GtkWidget* arrow_;
  FreshItems freshItems_;
  gulong popupHandler_ = 0;
  gulong arrowHandler_ = 0;
};

}  // namespace kurvlux
