#include "ui/window_icon_gtk.hpp"

namespace kurvlux {

void setWindowIcon(GtkWindow* window) {
  GdkPixbufLoader* loader = gdk_pixbuf_loader_new_with_type("png", nullptr);
  if (!loader) return;
  if (gdk_pixbuf_loader_write(loader, windowIconPng, windowIconPngSize, nullptr) &&
      gdk_pixbuf_loader_close(loader, nullptr)) {
    if (GdkPixbuf* icon = gdk_pixbuf_loader_get_pixbuf(loader)) gtk_window_set_icon(window, icon);
  }
  g_object_unref(loader);
}

}  // namespace kurvlux
