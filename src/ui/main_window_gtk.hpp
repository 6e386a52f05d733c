// The main window on GTK: a fixed layout of the client size, the close
// button turned into the close event, and Tab / Shift+Tab moving the focus
// through the controls from left to right.
#pragma once

#include <gtk/gtk.h>

#include <vector>

#include "text/convert.hpp"
#include "ui/event_queue.hpp"

namespace kurvlux {

class MainWindowGtk {
 public:
  MainWindowGtk() = default;
  MainWindowGtk(const MainWindowGtk&) = delete;
  MainWindowGtk& operator=(const MainWindowGtk&) = delete;
  ~MainWindowGtk();

  // Opens the window, centred, not resizable, with a client area of exactly
  // that size, and shows it at once. False when GTK could not make it.
  bool open(int id, TextView title, int clientWidth, int clientHeight);
  GtkWindow* window() const { return window_; }
  GtkFixed* layout() const { return layout_; }

  // The controls that Tab cycles through, in their order; each is skipped
  // while it is disabled or hidden.
  void setFocusOrder(std::vector<GtkWidget*> controls) { focusOrder_ = std::move(controls); }
  // Moves the focus as Tab (forward) or Shift+Tab would.
  void cycleFocus(bool forward);

  // Close requests, and the window's destruction by another client, recorded
  // while GTK dispatched; the event pump takes them.
  EventQueue& events() { return events_; }
  // Records the close event, as the window's close button does.
  void recordClose();
  // Ends the program without waiting for the user: the close event, the
  // open box closed, and no further box opens.
  void endProgram();
  bool ending() const { return ending_; }
  // The info box while one is open: destroyed by another client, it closes
  // as if OK had been pressed.
  void setOpenBox(GtkDialog* box) { openBox_ = box; }
  GtkDialog* openBox() const { return openBox_; }
  // False while the window is unmapped, minimised or fully covered, as the
  // window system last told.
  bool seen() const { return mapped_ && !minimised_ && !covered_; }

 private:
  static gboolean onDelete(GtkWidget* window, GdkEvent* event, gpointer self);
  static void onEvent(GdkEvent* event, gpointer self);
  static GdkFilterReturn onNativeEvent(GdkXEvent* native, GdkEvent* event, gpointer self);
  static gboolean onKeyPress(GtkWidget* window, GdkEventKey* event, gpointer self);
  static gboolean onMapChange(GtkWidget* window, GdkEvent* event, gpointer self);

  int id_ = -1;
  GtkWindow* window_ = nullptr;
  GtkFixed* layout_ = nullptr;
  GtkDialog* openBox_ = nullptr;
  bool ending_ = false;
  bool mapped_ = true;
  bool minimised_ = false;
  bool covered_ = false;
  std::vector<GtkWidget*> focusOrder_;
  EventQueue events_;
  GdkDisplay* trapped_ = nullptr;  // the display whose X errors the window's life ignores
};

}  // namespace kurvlux
