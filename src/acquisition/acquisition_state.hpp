// The acquisition state of the main loop and the platform it works through.
// One object owns the receive buffer, the connection flag and the counters
// and time stamps that the oscilloscope and chart handlers share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "acquisition/wake_plan.hpp"
#include "render/plot_output.hpp"
#include "serial/serial_port.hpp"
#include "text/convert.hpp"
#include "ui/clock.hpp"
#include "ui/controls.hpp"
#include "ui/event_pump.hpp"
#include "ui/status_bar.hpp"

namespace kurvlux {

// The port the program reads from.
constexpr int serialPortId = 2;

// Every read lands at the start of this buffer; the driver's input queue is
// asked for the same size, so one read normally takes all that waits.
constexpr std::int32_t receiveBufferSize = 10000;

struct AcquisitionState {
  // Allocated once, zero-filled; a read of n bytes overwrites 0..n-1 and
  // leaves the rest as an earlier read left it.
  std::vector<std::uint8_t> receiveBuffer = std::vector<std::uint8_t>(receiveBufferSize, 0);
  int isConnected = 0;
  // Starts armed so the first oscilloscope frame needs no trigger.
  int triggerArmed = 1;
  // Last result of drawScopePoint; 0 means no frame is in progress.
  std::int32_t scopeColumn = 0;
  // Empty at start, so the first pass with data counts as a mode change.
  Text previousModeText;
  // Statistics period of the oscilloscope and sampling interval of the
  // timed chart modes; whichever ran last set it.
  std::uint32_t intervalStart = 0;
  std::uint32_t redrawStart = 0;
  std::int32_t byteCounter = 0;
  // What the port reported waiting in this pass.
  std::int32_t waitingCount = 0;
  Text portName;
  std::int32_t baudRate = 0;
  // What opening the port returned; the wait of an idle pass watches it.
  std::uintptr_t portHandle = 0;
  // What the reads of late brought, for planning the waits.
  RecentByteRate recentRate;
};

// The interfaces the acquisition code reaches the platform through.
struct AcquisitionPlatform {
  Controls& controls;
  StatusBar& statusBar;
  EventPump& events;
  Clock& clock;
  SerialPorts& ports;
  PlotOutput& plot;
};

}  // namespace kurvlux
