// kurvlux: the Linux program's entry point. The same start-up as on Windows
// over the GTK window, termios ports and the ports libserialport lists;
// devices named on the command line come first in the port box.
#include <gtk/gtk.h>

#include <string>
#include <vector>

#include "acquisition/main_loop.hpp"
#include "acquisition/plot_modes.hpp"
#include "render/image_store_gtk.hpp"
#include "render/plotter.hpp"
#include "serial/device_identity_posix.hpp"
#include "serial/port_discovery_libserialport.hpp"
#include "serial/port_list.hpp"
#include "serial/port_names.hpp"
#include "serial/serial_port_posix.hpp"
#include "text/utf8_text.hpp"
#include "ui/user_interface_gtk.hpp"

namespace {

bool asksForHelp(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--help" || argument == "-h") return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kurvlux;
  if (asksForHelp(argc, argv)) {
    g_print("usage: kurvlux [DEVICE...]\n"
            "Shows the samples of a board on a serial port. The devices named come first in the\n"
            "port box, before the serial ports of the machine; a name without a leading / is\n"
            "looked for under /dev (kurvlux ttyACM0, kurvlux /dev/rfcomm0).\n");
    return 0;
  }
  // Takes GTK's own options (--display and the like) out of the arguments.
  if (!gtk_init_check(&argc, &argv)) {
    g_printerr("kurvlux: cannot open the display\n");
    return 1;
  }
  // The port table exists before the window, as on Windows; it closes a port
  // left open when it goes.
  PosixSerialPorts ports;
  UserInterfaceGtk ui(plotModeNames);
  std::vector<Text> namedDevices;
  for (int i = 1; i < argc; ++i) namedDevices.push_back(textFromUtf8(argv[i]));
  fillPortBoxItems(ui.controls(), portItems(namedDevices, discoverSerialDevices(), deviceIdentity));

  ImageStoreGtk images(ui.controls());
  Plotter plotter(images, ui.statusBars(), ui.controls(), ui.clock());
  plotter.buildCanvas();

  MainLoop loop(ui.controls(), ui.statusBars(), ui.eventPump(), ui.clock(), ports, plotter);
  loop.run();
  return 0;
}
