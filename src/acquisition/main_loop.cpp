// The main loop. Controls are polled once per pass; no window message is
// handled anywhere but in the single event fetch at the end of a pass (and
// inside the info boxes).
#include "acquisition/main_loop.hpp"

#include <algorithm>

#include "acquisition/oscilloscope.hpp"
#include "acquisition/plot_mode_handlers.hpp"
#include "acquisition/plot_modes.hpp"
#include "ui/control_layout.hpp"
#include "ui/info_message.hpp"
#include "ui/status_fields.hpp"

namespace kurvlux {

namespace {

// The snapshot is re-shown while nothing draws, at most this often.
constexpr std::uint32_t idleRedrawInterval = 200;

}  // namespace

MainLoop::MainLoop(Controls& controls, StatusBar& statusBar, EventPump& events, Clock& clock,
                   SerialPorts& ports, PlotOutput& plot)
    : passControls_(controls), platform_{passControls_, statusBar, events, clock, ports, plot} {
  state_.intervalStart = clock.tickCount();
  state_.redrawStart = clock.tickCount();
}

void MainLoop::mirrorConnectToggle() {
  Controls& controls = platform_.controls;
  const int pressed = controls.controlState(connectToggleId) == 1 ? 1 : 0;
  controls.setControlText(connectToggleId, pressed ? u"Trennen" : connectCaption);
  // Port and baud rate are fixed while a connection is wanted.
  controls.disableControl(baudBoxId, pressed);
  controls.disableControl(portBoxId, pressed);
}

void MainLoop::showDisconnectedStatus() { writeIdleStatus(platform_.statusBar); }

void MainLoop::connect() {
  Controls& controls = platform_.controls;
  state_.portName = controls.controlText(portBoxId);
  state_.baudRate =
      static_cast<std::int32_t>(static_cast<std::uint32_t>(parseInteger(controls.controlText(baudBoxId))));
  PortSettings settings;
  settings.baudRate = state_.baudRate;
  settings.parity = 0;
  settings.dataBits = 8;
  settings.stopBits = 1.0f;
  settings.handshake = 0;
  settings.inputQueueSize = receiveBufferSize;
  settings.outputQueueSize = receiveBufferSize;
  state_.portHandle = platform_.ports.openPort(serialPortId, state_.portName, settings);
  if (state_.portHandle != 0) {
    state_.isConnected = 1;
    if (sink_) sink_->connected(state_.portName, state_.baudRate);
  } else {
    // The toggle pops out; the next pass shows "Verbinden".
    controls.setControlState(connectToggleId, 0);
    tellWhy(platform_.ports.failureMessage(serialPortId));
  }
}

void MainLoop::tellWhy(const Text& message) {
  if (message.empty()) return;
  // The window shows what is true before the box blocks it.
  mirrorConnectToggle();
  platform_.events.showMessage(windowTitle, message, MessageFont::proportional);
  // The box handled messages while it was open.
  passControls_.forgetReadings();
}

void MainLoop::disconnect() {
  platform_.ports.closePort(serialPortId);
  state_.isConnected = 0;
  if (sink_) sink_->disconnected();
  showDisconnectedStatus();
}

void MainLoop::dropFailedConnection() {
  // A device that vanished ends the connection as the user's disconnect
  // would, and the toggle shows at once that nothing is connected any more.
  const Text why = platform_.ports.failureMessage(serialPortId);
  platform_.ports.closePort(serialPortId);
  state_.isConnected = 0;
  if (sink_) sink_->disconnected();
  platform_.controls.setControlState(connectToggleId, 0);
  mirrorConnectToggle();
  showDisconnectedStatus();
  tellWhy(why);
}

void MainLoop::readAndDispatch() {
  SerialPorts& ports = platform_.ports;
  state_.waitingCount = ports.waitingByteCount(serialPortId);
  if (ports.portFailed(serialPortId)) {
    dropFailedConnection();
    return;
  }
  if (state_.waitingCount <= 0) return;
  // More than the buffer holds stays queued in the driver for the next pass.
  const std::int32_t wanted = std::min(state_.waitingCount, receiveBufferSize);
  const std::int32_t delivered = ports.readPortBytes(serialPortId, state_.receiveBuffer.data(), wanted);
  if (ports.portFailed(serialPortId)) {
    dropFailedConnection();
    return;
  }
  // Only what the read really delivered is new; the rest of the buffer still
  // holds an earlier read's bytes.
  const std::int32_t received = std::clamp(delivered, 0, wanted);
  state_.recentRate.add(received);
  if (received <= 0) return;
  if (sink_) sink_->received(state_.receiveBuffer.data(), static_cast<std::size_t>(received));
  dispatch(received);
}

void MainLoop::dispatch(std::int32_t receivedCount) {
  const Text mode = platform_.controls.controlText(modeListId);
  for (std::size_t row = 0; row < plotModes.size(); ++row) {
    if (!textEquals(mode, plotModes[row].name)) continue;
    if (row == oscilloscopeMode) {
      handleOscilloscopeRead(state_, platform_, receivedCount);
    } else {
      handleChartRead(state_, platform_, plotModes[row]);
    }
    return;
  }
}

bool MainLoop::runPass() {
  Controls& controls = platform_.controls;
  Clock& clock = platform_.clock;

  // The last pass ended with handling window messages.
  passControls_.forgetReadings();
  mirrorConnectToggle();

  // The threshold only means something to the oscilloscope.
  const bool oscilloscope = textEquals(controls.controlText(modeListId), plotModes[oscilloscopeMode].name);
  controls.disableControl(thresholdBoxId, oscilloscope ? 0 : 1);

  // While nothing draws (toggle released, or paused) the last finished
  // picture is re-shown now and then, so a window that was covered recovers.
  // The toggle is tested, not the connection, so a disconnecting pass counts.
  if (nothingDraws() && elapsedSince(state_.redrawStart, clock.tickCount()) > idleRedrawInterval) {
    platform_.plot.showSnapshot();
    state_.redrawStart = clock.tickCount();
  }

  const std::intptr_t toggle = controls.controlState(connectToggleId);
  if (toggle == 1 && state_.isConnected == 0) {
    connect();
  } else if (toggle == 0 && state_.isConnected == 1) {
    disconnect();
  }

  if (state_.isConnected == 1) {
    readAndDispatch();
    // A pass that read bytes goes on at once, and so does one that just
    // dropped a failed connection.
    if (state_.isConnected == 1 && state_.waitingCount <= 0) {
      platform_.plot.finishPresent();
      waitForInput(state_.portHandle);
    }
  } else {
    waitForInput(0);
  }

  runInfoSequence(controls, platform_.events);
  // The info boxes handled messages while they were open.
  passControls_.forgetReadings();

  return platform_.events.fetchEvent() != closeEvent;
}

bool MainLoop::nothingDraws() {
  Controls& controls = platform_.controls;
  return controls.controlState(connectToggleId) == 0 || controls.controlState(pauseToggleId) == 1;
}

void MainLoop::waitForInput(std::uintptr_t port) {
  // Only the re-show of the snapshot is due without bytes or a message.
  int deadline = noDeadline;
  if (nothingDraws()) {
    const std::uint32_t elapsed = elapsedSince(state_.redrawStart, platform_.clock.tickCount());
    deadline = elapsed > idleRedrawInterval ? 0 : static_cast<int>(idleRedrawInterval + 1 - elapsed);
  }
  EventPump& events = platform_.events;
  if (port == 0 || !events.plansWaits()) {
    events.waitForInput(port, deadline);
    return;
  }
  const WakePlan plan = planWake(wakeSituation(deadline));
  if (plan.watchPort) platform_.ports.setWakeCount(serialPortId, plan.byteCount);
  events.waitForInput(plan.watchPort ? port : 0, plan.deadline);
}

WakeSituation MainLoop::wakeSituation(int untilRedraw) {
  Controls& controls = platform_.controls;
  const std::uint32_t now = platform_.clock.tickCount();
  state_.recentRate.update(now);
  WakeSituation situation;
  situation.paused = controls.controlState(pauseToggleId) != 0;
  situation.timesBursts = sink_ && sink_->timesBursts();
  situation.seen = platform_.events.canvasSeen();
  situation.oscilloscope = textEquals(controls.controlText(modeListId), plotModes[oscilloscopeMode].name);
  // A frame takes 1001 samples once armed: the last one only closes it.
  constexpr std::int32_t samplesPerFrame = 1001;
  situation.bytesForFrame = state_.triggerArmed == 1 ? samplesPerFrame - state_.scopeColumn : samplesPerFrame;
  constexpr std::int64_t statisticsPeriod = 1000;
  situation.untilStatistics =
      static_cast<std::int32_t>(statisticsPeriod - std::int64_t{elapsedSince(state_.intervalStart, now)});
  situation.untilRedraw = untilRedraw;
  situation.lineBytesPerSecond = state_.baudRate > 0 ? state_.baudRate / 10 : 0;
  situation.recentBytesPerSecond = state_.recentRate.bytesPerSecond();
  return situation;
}

void MainLoop::run() {
  while (runPass()) {
  }
  shutDown();
}

void MainLoop::shutDown() {
  platform_.ports.closeAllPorts();
  if (sink_ && state_.isConnected == 1) sink_->disconnected();
}

}  // namespace kurvlux
