// Where the time of the main loop goes, over a platform's real window,
// controls, status bar and image store: each is reached through a wrapper
// that adds up the time spent in it. Only the serial port is a stand-in that
// always has ramp bytes waiting. The entry points build the platform's user
// interface and call runPassProfile.
#pragma once

#include <string>

#include "render/image_store.hpp"
#include "ui/clock.hpp"
#include "ui/controls.hpp"
#include "ui/event_pump.hpp"
#include "ui/status_bar.hpp"

namespace kurvlux {

struct PassProfileOptions {
  // "fastplot": "schneller Plot", a few bytes per pass, shares per pass.
  // "frame": "Oszilloskop", a large read per pass, shares per completed frame.
  std::string mode = "fastplot";
  double seconds = 5.0;
  // Threshold text of the oscilloscope, "aus" or a number.
  Text threshold = u"aus";
};

// Reads "[fastplot|frame] [seconds] [threshold]".
PassProfileOptions passProfileOptions(int argc, const char* const* argv);

// Runs the loop for the time asked and prints one PROFILE line per share.
int runPassProfile(Controls& controls, StatusBar& statusBar, EventPump& events, Clock& clock,
                   ImageStore& images, const PassProfileOptions& options);

}  // namespace kurvlux
