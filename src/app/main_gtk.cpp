// kurvlux: the Linux program's entry point. The same start-up as on Windows
// over the GTK window, termios ports and the ports libserialport lists,
// asked again each time the port box opens; devices named on the command
// line come first in the port box.
#include <gtk/gtk.h>

#include <string>
#include <vector>

#include "acquisition/main_loop.hpp"
#include "acquisition/plot_modes.hpp"
#include "app/ending_signals_gtk.hpp"
#include "app/lost_display_gtk.hpp"
#include "recording/emergency_write_posix.hpp"
#include "recording/file_layer_posix.hpp"
#include "recording/recorder.hpp"
#include "render/image_store_gtk.hpp"
#include "render/plotter.hpp"
#include "serial/device_identity_posix.hpp"
#include "serial/port_discovery_libserialport.hpp"
#include "serial/port_list.hpp"
#include "serial/port_names.hpp"
#include "serial/serial_port_posix.hpp"
#include "text/file_name_text.hpp"
#include "ui/command_line.hpp"
#include "ui/keeping_gtk.hpp"
#include "ui/list_refresh_gtk.hpp"
#include "ui/user_interface_gtk.hpp"

int main(int argc, char** argv) {
  using namespace kurvlux;
  // Before any thread starts, so that every later one leaves the ending
  // signals to the thread that takes them.
  const int endingWake = catchEndingSignals();
  // GTK's own options (--display and the like) come out of the arguments
  // first, without opening the display, so that --help and --version work
  // without one and the rest can be checked.
  gtk_parse_args(&argc, &argv);
  const CommandLine commandLine =
      readCommandLine(std::vector<std::string>(argv + 1, argv + argc), KURVLUX_VERSION);
  g_print("%s", commandLine.standardOutput.c_str());
  g_printerr("%s", commandLine.standardError.c_str());
  if (!commandLine.opensWindow) return commandLine.exitStatus;
  if (!gtk_init_check(&argc, &argv)) {
    g_printerr("kurvlux: cannot open the display\n");
    return 1;
  }
  watchForLostDisplay();
  // Named in what the program writes: a recording's description, a saved picture.
  const std::string program = "Kurvlux " KURVLUX_VERSION;
  // The recording outlives the window and the loop, which end it.
  FileLayerPosix files;
  Recorder recorder(files, recorderClocksGtk(), program);
  recorder.onEmergencyView = keepForEmergency;
  if (!commandLine.recordPath.empty() &&
      !startCommandLineRecording(recorder, commandLine.recordPath, commandLine.overwrite)) {
    return 2;
  }
  int endingSignal = 0;
  {
    // The port table exists before the window, as on Windows; it closes a
    // port left open when it goes.
    SerialPortsPosix ports;
    UserInterfaceGtk ui(plotModeNames);
    std::vector<Text> namedDevices;
    for (const std::string& device : commandLine.devices) namedDevices.push_back(textFromFileName(device));
    fillPortBoxItems(ui.controls(), portItems(namedDevices, discoverSerialDevices(), deviceIdentity));
    // Boards come and go (plugged in, reset after an upload); the list shows
    // the devices there are each time it opens.
    const ListRefreshGtk portRefresh(
        ui.controls().controlWidget(portBoxId), [&namedDevices, &ports](const std::vector<Text>& shownItems) {
          ports.rememberUsbNames();
          return refreshedPortItems(shownItems, namedDevices, discoverSerialDevices(), deviceIdentity);
        });

    ImageStoreGtk images(ui.controls());
    Plotter plotter(images, ui.statusBars(), ui.controls(), ui.clock());
    plotter.buildCanvas();

    MainLoop loop(ui.controls(), ui.statusBars(), ui.eventPump(), ui.clock(), ports, plotter);
    loop.setStreamSink(&recorder);
    const KeepingGtk keeping(ui.mainWindow(), ui.controls(), images, plotter, recorder, files, program);
    // A kill, Ctrl+C or the closed terminal ends the loop as the close
    // button does; the program ends by that signal once all is put back.
    // Every other ending signal puts the ports back in its handler.
    EndingSignalsGtk signals(endingWake, [&ui] { ui.eventPump().endProgram(); });
    loop.run();
    endingSignal = signals.received();
  }
  endBySignal(endingSignal);
  return 0;
}
