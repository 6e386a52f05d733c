// The main loop wired to recording fakes, with the controls as the window
// sets them up at start: first port, 250000 baud, "Oszilloskop", "aus".
#pragma once

#include <string>
#include <vector>

#include "acquisition/main_loop.hpp"
#include "fakes/fake_clock.hpp"
#include "fakes/fake_serial_ports.hpp"
#include "fakes/recording_controls.hpp"
#include "fakes/recording_event_pump.hpp"
#include "fakes/recording_plot_output.hpp"
#include "fakes/recording_status_bar.hpp"

namespace kurvlux::fakes {

struct ControlsAtStart {
  ControlsAtStart(RecordingControls& controls) {
    controls.add(portBoxId).text = u"COM3";
    controls.add(baudBoxId).text = u"250000";
    controls.add(modeListId).text = u"Oszilloskop";
    controls.add(thresholdBoxId).text = u"aus";
    controls.add(connectToggleId);
    controls.add(pauseToggleId);
    controls.add(infoToggleId);
  }
};

// Everything the acquisition code talks to, as recording fakes.
struct PlatformFakes {
  explicit PlatformFakes(std::uint32_t startTime = 100000) : clock(startTime) {}
  RecordingControls controls;
  ControlsAtStart defaults{controls};
  RecordingStatusBar statusBar;
  RecordingEventPump pump;
  FakeClock clock;
  FakeSerialPorts ports;
  RecordingPlotOutput plot;
};

// One mode handler on its own: the fakes it talks to and the state it works
// on, without the loop around it.
struct HandlerRig : PlatformFakes {
  AcquisitionPlatform platform{controls, statusBar, pump, clock, ports, plot};
  AcquisitionState state;
};

// The main loop wired to the fakes.
struct AcquisitionRig : PlatformFakes {
  explicit AcquisitionRig(std::uint32_t startTime = 100000) : PlatformFakes(startTime) {}

  // Presses the connect toggle and runs the pass that opens the port.
  void connect() {
    controls.at(connectToggleId).state = 1;
    loop.runPass();
  }
  void setMode(const char16_t* mode) { controls.at(modeListId).text = mode; }
  void setThreshold(const char16_t* threshold) { controls.at(thresholdBoxId).text = threshold; }
  void setPaused(bool paused) { controls.at(pauseToggleId).state = paused ? 1 : 0; }
  // Queues the bytes and runs one pass, which reads them.
  void passWith(const std::vector<std::uint8_t>& bytes) {
    ports.push(bytes);
    loop.runPass();
  }
  void forget() {
    controls.log.clear();
    statusBar.calls.clear();
    plot.calls.clear();
    pump.pauses.clear();
    pump.waits.clear();
    ports.log.clear();
    ports.readLengths.clear();
  }
  AcquisitionState& state() { return loop.state(); }

  MainLoop loop{controls, statusBar, pump, clock, ports, plot};
};

}  // namespace kurvlux::fakes
