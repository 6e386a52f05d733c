// A small style sheet, scoped to the main window: the info boxes keep the
// theme as it is.
#include "ui/compact_style_gtk.hpp"

#include <gtk/gtk.h>

namespace kurvlux {

namespace {

// Every size is in pixels: the desktop's text scaling (GDK_DPI_SCALE, "Large
// Text") grows sizes given in points, which would push the controls out of
// their fixed places in the 18-pixel row. 10.667 pixels are 8 points at 96
// dots per inch.
constexpr const char* compactStyle = R"css(
#kurvlux #statusbar { font-size: 10.667px; }
#kurvlux #statusbar button,
#kurvlux #statusbar entry,
#kurvlux #statusbar combobox button {
  min-height: 0;
  min-width: 0;
  padding: 0 2px;
  margin: 0;
}
#kurvlux #statusbar combobox arrow { min-width: 10px; min-height: 10px; }
#kurvlux #statusbar combobox button.combo { padding-top: 0; padding-bottom: 0; }
#kurvlux #statusbar combobox cellview { margin: -1px 0; }
#kurvlux #statusbar frame > border { border-color: #a0a0a0; }
#kurvlux #statusbar label { padding: 0 2px; }
#kurvlux #statusbar progressbar trough,
#kurvlux #statusbar progressbar progress {
  min-height: 0;
  min-width: 0;
  border-radius: 0;
}
/* The load fills the field's inside as the drawn Windows field does; the
   bar's own minimum width would push the field past its edge. */
#kurvlux #statusbar progressbar { -GtkProgressBar-min-horizontal-bar-width: 1; }
#kurvlux #statusbar progressbar trough { background: transparent; border: none; min-height: 16px; }
#kurvlux #statusbar progressbar progress { border: none; min-height: 16px; background: #3584e4; }
)css";

}  // namespace

void applyCompactStyle() {
  static bool applied = false;
  if (applied) return;
  GtkCssProvider* provider = gtk_css_provider_new();
  gtk_css_provider_load_from_data(provider, compactStyle, -1, nullptr);
  gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(provider),
                                            GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  g_object_unref(provider);
  applied = true;
}

}  // namespace kurvlux
