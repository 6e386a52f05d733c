// kurvlux: the Linux program's entry point. The same start-up as on Windows
// over the GTK window, termios ports and the ports libserialport lists;
// devices named on the command line come first in the port box.
#include <gtk/gtk.h>

#include "acquisition/main_loop.hpp"
#include "acquisition/plot_modes.hpp"
#include "render/image_store_gtk.hpp"
#include "render/plotter.hpp"
#include "ui/user_interface_gtk.hpp"

int main(int argc, char** argv) {
  using namespace kurvlux;
  if (!gtk_init_check(&argc, &argv)) {
    g_printerr("kurvlux: cannot open the display\n");
    return 1;
  }
  UserInterfaceGtk ui(plotModeNames);

  ImageStoreGtk images(ui.controls());
  Plotter plotter(images, ui.statusBars(), ui.controls(), ui.clock());
  plotter.buildCanvas();

  // Ports come in once the serial layer lands.
  class NoPorts final : public SerialPorts {
    std::uintptr_t openPort(int, TextView, const PortSettings&) override { return 0; }
    std::int32_t waitingByteCount(int) override { return 0; }
    std::int32_t readPortBytes(int, std::uint8_t*, std::int32_t) override { return 0; }
    bool portFailed(int) override { return false; }
    void closePort(int) override {}
    void closeAllPorts() override {}
  } ports;
  MainLoop loop(ui.controls(), ui.statusBars(), ui.eventPump(), ui.clock(), ports, plotter);
  loop.run();
  return 0;
}
