// The loop profile of the Linux program: the real GTK window, controls,
// status bar and image store, on the display in DISPLAY.
//   pass_profile_gtk [fastplot|frame] [seconds, default 5] [threshold, default aus]
#include <gtk/gtk.h>

#include "acquisition/plot_modes.hpp"
#include "pass_profile.hpp"
#include "render/image_store_gtk.hpp"
#include "ui/user_interface_gtk.hpp"

int main(int argc, char** argv) {
  using namespace kurvlux;
  if (!gtk_init_check(&argc, &argv)) return 1;
  const PassProfileOptions options = passProfileOptions(argc, argv);
  UserInterfaceGtk ui(plotModeNames);
  ImageStoreGtk images(ui.controls());
  return runPassProfile(ui.controls(), ui.statusBars(), ui.eventPump(), ui.clock(), images, options);
}
