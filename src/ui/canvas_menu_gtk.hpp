// The canvas's own menu in the Linux program: a right click on the canvas,
// the menu key or Shift+F10 opens it; Ctrl+S, Ctrl+C and Ctrl+R reach its
// entries directly, except while a text field has the focus, which keeps
// its own keys.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <string>

namespace kurvlux {

struct CanvasMenuActions {
  std::function<void()> savePicture;
  std::function<void()> copyPicture;
  std::function<void()> saveValues;
  std::function<void()> toggleRecording;
  // The recording entry's text as it should read when the menu opens.
  std::function<std::string()> recordingLabel;
};

class CanvasMenuGtk {
 public:
  CanvasMenuGtk(GtkWindow* window, GtkWidget* canvas, CanvasMenuActions actions);
  ~CanvasMenuGtk();
  CanvasMenuGtk(const CanvasMenuGtk&) = delete;
  CanvasMenuGtk& operator=(const CanvasMenuGtk&) = delete;

  // Opens the menu at the pointer (a click) or at the canvas (a key).
  void popUp(const GdkEvent* trigger);

 private:
  static gboolean onButton(GtkWidget* canvas, GdkEventButton* event, gpointer self);
  static gboolean onKey(GtkWidget* window, GdkEventKey* event, gpointer self);
  GtkWidget* addItem(const char* label, guint key, void (*activate)(GtkMenuItem*, gpointer));

  GtkWindow* window_;
  GtkWidget* canvas_;
  CanvasMenuActions actions_;
  GtkWidget* menu_ = nullptr;
  GtkWidget* recordItem_ = nullptr;
};

}  // namespace kurvlux
