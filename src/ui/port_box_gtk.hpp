// Long device names in the 70-pixel port box: a /dev/serial/by-id path
// shows only its first characters there, so the list opens as wide as its
// longest name and the tooltip names the chosen device in full.
#pragma once

#include <gtk/gtk.h>

namespace kurvlux {

// For the life of the combo box; its tooltip, as set before this call,
// stays the tooltip's first line.
void showFullPortNames(GtkWidget* combo);

}  // namespace kurvlux
