// The program's polling loop: mirrors the connect toggle, opens and closes
// the serial port, reads what waits and hands it to the selected mode.
#pragma once

#include "acquisition/acquisition_state.hpp"
#include "acquisition/pass_controls.hpp"
#include "acquisition/stream_sink.hpp"

namespace kurvlux {

class MainLoop {
 public:
  // Reads the clock once for each of the two start time stamps. Everything
  // passed in must outlive the loop.
  MainLoop(Controls& controls, StatusBar& statusBar, EventPump& events, Clock& clock, SerialPorts& ports,
           PlotOutput& plot);

  // One pass; false once the fetched event was the close event.
  bool runPass();
  // Passes until the close event, then shutDown().
  void run();
  // Closes a port that is still open, without touching the status texts.
  void shutDown();

  // Whoever else keeps the bytes read (null: nobody); it must outlive the loop.
  void setStreamSink(StreamSink* sink) { sink_ = sink; }

  AcquisitionState& state() { return state_; }
  const AcquisitionState& state() const { return state_; }

 private:
  void mirrorConnectToggle();
  void connect();
  void disconnect();
  void dropFailedConnection();
  // Shows the port's failure message in a box, if the platform gave one.
  void tellWhy(const Text& message);
  void showDisconnectedStatus();
  void readAndDispatch();
  void dispatch(std::int32_t receivedCount);
  // Toggle released or paused: the snapshot is re-shown now and then.
  bool nothingDraws();
  // Waits for the port (0: none), a message or the next re-show.
  void waitForInput(std::uintptr_t port);
  // What the wait's plan depends on; brings the byte rate up to date.
  WakeSituation wakeSituation(int untilRedraw);

  // Declared before the platform, which reaches the controls through it.
  PassControls passControls_;
  AcquisitionPlatform platform_;
  AcquisitionState state_;
  StreamSink* sink_ = nullptr;
};

}  // namespace kurvlux
