// The status bar on GTK: a strip along the bottom of the window whose
// fields are framed labels and one progress bar, at the same pixel edges as
// on Windows, and whose right part carries the input controls.
#pragma once

#include <gtk/gtk.h>

#include <vector>

#include "ui/status_bar.hpp"

namespace kurvlux {

class StatusBarGtk final : public StatusBar {
 public:
  // A bar of the given size at (x, y) of the window's layout; it becomes the
  // bar that addStatusField adds to. Null when the identifier is taken.
  GtkFixed* createStatusBar(int id, GtkFixed* parent, int x, int y, int width, int height);
  // Appends a text field of that width right of the last one.
  void addStatusField(int width);

  void setStatusText(int bar, int field, TextView text, int flags) override;
  void setStatusProgress(int bar, int field, int value, int appearance, int minimum, int maximum) override;

  // The layout the controls move into; null if the identifier names no bar.
  GtkFixed* statusBarHandle(int id) const;

  // What a field shows lives in its widgets; only the progress bounds are
  // kept, for a later call that keeps them.
  struct Field {
    int left = 0;
    int width = 0;
    int minimum = 0;
    int maximum = 100;
    GtkWidget* frame = nullptr;
    GtkWidget* label = nullptr;
    GtkWidget* progressBar = nullptr;
  };
  const Field* field(int bar, int index) const;

 private:
  struct Bar {
    int id = -1;
    GtkFixed* layout = nullptr;
    int height = 0;
    std::vector<Field> fields;
  };
  Bar* find(int id);
  const Bar* find(int id) const;

  std::vector<Bar> bars_;
};

}  // namespace kurvlux
