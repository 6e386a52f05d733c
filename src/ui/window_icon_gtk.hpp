// The program's icon, built into it, so the window shows it before the
// program is installed and the icon theme knows it.
#pragma once

#include <gtk/gtk.h>

#include <cstddef>

namespace kurvlux {

// The 48-pixel PNG of resources/kurvlux.png.
extern const unsigned char windowIconPng[];
extern const std::size_t windowIconPngSize;

// Gives the window the icon; leaves it alone if the image cannot be read.
void setWindowIcon(GtkWindow* window);

}  // namespace kurvlux
