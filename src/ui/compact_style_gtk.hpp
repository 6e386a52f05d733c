// The theme adjustments that let GTK's controls fit the 18-pixel row of the
// status bar and its fields look like the Windows ones.
#pragma once

namespace kurvlux {

// Installs the style for the whole screen, once; GTK must be initialised.
void applyCompactStyle();

}  // namespace kurvlux
