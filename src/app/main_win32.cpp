// Kurvlux: the program's entry point. Builds the platform objects in the
// order of the start-up, hands them to the main loop and ends with exit code 0
// when the window has been closed.
#include <windows.h>

#include "acquisition/main_loop.hpp"
#include "acquisition/plot_modes.hpp"
#include "render/image_store_win32.hpp"
#include "render/plotter.hpp"
#include "serial/port_discovery_win32.hpp"
#include "serial/port_list.hpp"
#include "serial/serial_port_win32.hpp"
#include "ui/user_interface_win32.hpp"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  using namespace kurvlux;
  // The port table exists before the window, so that nothing the window does
  // can find it missing; it closes a port left open when it goes.
  SerialPortsWin32 ports;
  UserInterfaceWin32 ui(plotModeNames);
  fillPortBox(ui.controls(), discoverPorts());

  ImageStoreWin32 images(ui.controls());
  Plotter plotter(images, ui.statusBars(), ui.controls(), ui.clock());
  plotter.buildCanvas();

  MainLoop loop(ui.controls(), ui.statusBars(), ui.eventPump(), ui.clock(), ports, plotter);
  loop.run();
  return 0;
}
