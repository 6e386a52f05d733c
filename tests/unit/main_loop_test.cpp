// The main loop's passes: connection control, the idle re-presentation, the
// read and its hand-over to the selected mode, and the loop's end.
#include <gtest/gtest.h>

#include <algorithm>

#include "acquisition/plot_modes.hpp"
#include "fakes/acquisition_rig.hpp"
#include "ui/info_message.hpp"

namespace kurvlux {
namespace {

using fakes::AcquisitionRig;
using fakes::PlotCallKind;
using fakes::progressCall;
using fakes::StatusCall;
using fakes::textCall;

const std::vector<StatusCall> disconnectedStatus{
    textCall(0, u"0 FPS", 4),      textCall(1, u"0 Werte/s", 4),
    textCall(2, u"0 ms/DIV", 4),   textCall(3, u"COM-Auslastung: ", 10),
    progressCall(4, 0, 0, 10),
};

TEST(MainLoop, StartsWithTheStatedState) {
  AcquisitionRig rig(4242);
  const AcquisitionState& state = rig.state();
  EXPECT_EQ(rig.clock.readings, 2);
  EXPECT_EQ(state.intervalStart, 4242u);
  EXPECT_EQ(state.redrawStart, 4242u);
  ASSERT_EQ(state.receiveBuffer.size(), 10000u);
  for (std::uint8_t b : state.receiveBuffer) ASSERT_EQ(b, 0);
  EXPECT_EQ(state.isConnected, 0);
  EXPECT_EQ(state.triggerArmed, 1);
  EXPECT_EQ(state.scopeColumn, 0);
  EXPECT_TRUE(state.previousModeText.empty());
  EXPECT_EQ(state.byteCounter, 0);
}

TEST(MainLoop, IdlePassMirrorsTheToggleWaitsAndFetchesOneEvent) {
  AcquisitionRig rig;
  EXPECT_TRUE(rig.loop.runPass());
  EXPECT_EQ(rig.controls.log,
            (std::vector<std::string>{"text 10 Verbinden", "disable 7 0", "disable 6 0",
                                      "disable 9 0"}));
  EXPECT_EQ(rig.pump.waits, (std::vector<fakes::Wait>{{0, 201}}));
  EXPECT_EQ(rig.pump.fetches, 1);
  EXPECT_TRUE(rig.ports.log.empty());
  EXPECT_TRUE(rig.statusBar.calls.empty());
}

TEST(MainLoop, ThresholdBoxIsEnabledOnlyForTheOscilloscope) {
  const struct {
    const char16_t* mode;
    const char* expected;
  } cases[] = {
      {u"Oszilloskop", "disable 9 0"},   {u"schneller Plot", "disable 9 1"},
      {u"Plot (5.0s)", "disable 9 1"},   {u"oszilloskop", "disable 9 1"},
      {u"Oszilloskop ", "disable 9 1"},  {u"", "disable 9 1"},
  };
  for (const auto& c : cases) {
    AcquisitionRig rig;
    rig.setMode(c.mode);
    rig.loop.runPass();
    ASSERT_EQ(rig.controls.log.size(), 4u);
    EXPECT_EQ(rig.controls.log[3], c.expected) << latin1FromText(c.mode);
  }
}

TEST(MainLoop, ConnectOpensPortTwoWithTheControlsSettings) {
  const struct {
    const char16_t* baudText;
    std::int32_t baudRate;
  } cases[] = {
      {u"250000", 250000},
      {u"9600", 9600},
      {u"$3D090", 250000},
      {u"4294967297", 1},  // only the low 32 bits reach the port
      {u"abc", 0},
  };
  for (const auto& c : cases) {
    AcquisitionRig rig;
    rig.controls.at(baudBoxId).text = c.baudText;
    rig.connect();
    ASSERT_EQ(rig.ports.opens.size(), 1u);
    const fakes::OpenCall& open = rig.ports.opens[0];
    EXPECT_EQ(open.id, 2);
    EXPECT_EQ(open.portName, u"COM3");
    EXPECT_EQ(open.settings.baudRate, c.baudRate);
    EXPECT_EQ(open.settings.parity, 0);
    EXPECT_EQ(open.settings.dataBits, 8);
    EXPECT_EQ(open.settings.stopBits, 1.0f);
    EXPECT_EQ(open.settings.handshake, 0);
    EXPECT_EQ(open.settings.inputQueueSize, 10000);
    EXPECT_EQ(open.settings.outputQueueSize, 10000);
    EXPECT_EQ(rig.state().isConnected, 1);
    EXPECT_EQ(rig.state().portName, u"COM3");
    EXPECT_EQ(rig.state().baudRate, c.baudRate);
    // The connecting pass asks for waiting bytes instead of sleeping.
    EXPECT_TRUE(rig.pump.pauses.empty());
    EXPECT_EQ(rig.controls.log[0], "text 10 Trennen");
  }
}

TEST(MainLoop, FailedConnectReleasesTheToggleAndTheNextPassShowsVerbinden) {
  AcquisitionRig rig;
  rig.ports.openSucceeds = false;
  rig.connect();
  EXPECT_EQ(rig.controls.log,
            (std::vector<std::string>{"text 10 Trennen", "disable 7 1", "disable 6 1",
                                      "disable 9 0", "state 10 0"}));
  EXPECT_EQ(rig.state().isConnected, 0);
  EXPECT_EQ(rig.pump.waits, (std::vector<fakes::Wait>{{0, 201}}));
  EXPECT_TRUE(rig.statusBar.calls.empty());
  rig.forget();
  rig.loop.runPass();
  EXPECT_EQ(rig.controls.log,
            (std::vector<std::string>{"text 10 Verbinden", "disable 7 0", "disable 6 0",
                                      "disable 9 0"}));
  EXPECT_EQ(rig.ports.opens.size(), 1u) << "no retry without the user";
  EXPECT_TRUE(rig.pump.messages.empty()) << "a platform that says nothing shows no box";
}

// Where the platform says why, one box tells it, over a window that already
// shows the toggle out and the start texts; each failing click again.
TEST(MainLoop, AFailureThePlatformExplainsShowsOneBoxOverTheIdleWindow) {
  for (const int lostIn : {0, 1, 2}) {  // 0: the open refused, 1: the count failed, 2: the read
    SCOPED_TRACE(lostIn);
    AcquisitionRig rig;
    rig.ports.failureText = u"warum";
    std::vector<std::string> atBox;
    rig.pump.whileMessageOpen = [&] {
      const auto& toggle = rig.controls.at(connectToggleId);
      const bool idle = rig.statusBar.calls == (lostIn ? disconnectedStatus : std::vector<fakes::StatusCall>{});
      atBox.push_back(std::to_string(toggle.state) + latin1FromText(toggle.text) + (idle ? " " : " busy ") +
                      rig.ports.log.back() + (rig.controls.at(portBoxId).disabled ? " port disabled" : ""));
    };
    for (int click = 1; click <= 2; ++click) {
      rig.forget();
      rig.ports.openSucceeds = lostIn != 0;
      rig.connect();
      rig.ports.failStatusQuery = lostIn == 1, rig.ports.failRead = lostIn == 2;
      if (lostIn) rig.passWith({1});
    }
    // Asked while the failed port is still there to be asked about.
    EXPECT_EQ(atBox, std::vector<std::string>(2, lostIn ? "0Verbinden close 2" : "0Verbinden why 2"));
    EXPECT_TRUE(!lostIn || *(rig.ports.log.end() - 2) == "why 2");
    ASSERT_EQ(rig.pump.messages.size(), 2u);
    EXPECT_EQ(rig.pump.messages[1].title + rig.pump.messages[1].text, windowTitle + Text(u"warum"));
  }
}

TEST(MainLoop, DisconnectClosesThePortAndMakesTheFiveStartCalls) {
  AcquisitionRig rig;
  rig.connect();
  rig.passWith({1, 2, 3});
  rig.forget();
  rig.controls.at(connectToggleId).state = 0;
  rig.loop.runPass();
  EXPECT_EQ(rig.ports.log, std::vector<std::string>{"close 2"});
  EXPECT_EQ(rig.statusBar.calls, disconnectedStatus);
  EXPECT_EQ(rig.state().isConnected, 0);
  EXPECT_EQ(rig.pump.waits, (std::vector<fakes::Wait>{{0, 201}}));
  // The pass tests the toggle, not the connection, so it counts as idle.
  rig.forget();
  rig.clock.advance(201);
  rig.loop.runPass();
  EXPECT_EQ(rig.plot.calls, std::vector<fakes::PlotCall>{fakes::snapshotCall()});
  EXPECT_TRUE(rig.statusBar.calls.empty()) << "only the disconnecting pass resets the texts";
}

TEST(MainLoop, IdleRepresentationComesAfterMoreThan200MsAndNeverMoreOften) {
  const struct {
    int connectToggle;
    int pause;
    bool connected;
    bool shows;
  } cases[] = {
      {0, 0, false, true},
      {0, 1, false, true},
      {1, 1, true, true},
      {1, 0, true, false},
  };
  for (const auto& c : cases) {
    AcquisitionRig rig;
    if (c.connected) rig.connect();
    rig.controls.at(connectToggleId).state = c.connectToggle;
    rig.setPaused(c.pause != 0);
    rig.forget();
    // 200 ms after the last presentation is not yet enough; 201 is.
    const std::uint32_t startedAt = rig.state().redrawStart;
    rig.clock.now = startedAt + 200;
    rig.loop.runPass();
    EXPECT_EQ(rig.plot.count(PlotCallKind::snapshot), 0);
    for (int step = 0; step < 12; ++step) {
      rig.clock.advance(50);
      rig.loop.runPass();
    }
    // From +200 to +800 in steps of 50: shown at +250, +500 and +750.
    EXPECT_EQ(rig.plot.count(PlotCallKind::snapshot), c.shows ? 3 : 0)
        << c.connectToggle << c.pause << c.connected;
    if (c.shows) {
      EXPECT_EQ(rig.state().redrawStart, startedAt + 750);
    }
  }
}

TEST(MainLoop, IdleRepresentationAcrossTheClockWrap) {
  const struct {
    std::uint32_t start;
    std::uint32_t elapsed;
    bool shows;
  } cases[] = {
      {0xFFFFFF00u, 456, true},  // past the wrap
      {0xFFFFFF00u, 200, false},
      {0xFFFFFFF0u, 5, false},   // start + 200 wraps to a small number
      {0x7FFFFFF0u, 5, false},   // start + 200 turns negative as a signed time
      {0x7FFFFFF0u, 201, true},
  };
  for (const auto& c : cases) {
    AcquisitionRig rig(c.start);
    rig.clock.advance(c.elapsed);
    rig.loop.runPass();
    EXPECT_EQ(rig.plot.count(PlotCallKind::snapshot), c.shows ? 1 : 0)
        << std::hex << c.start << " +" << std::dec << c.elapsed;
  }
}

TEST(MainLoop, OpenPortWithNothingWaitingNeitherReadsNorSleeps) {
  // A negative count from a confused driver is nothing waiting, too.
  for (const std::int32_t reported : {0, -5}) {
    AcquisitionRig rig;
    rig.connect();
    rig.setMode(u"Plot (5.0s)");
    rig.forget();
    rig.ports.reportedCounts.push_back(reported);
    rig.loop.runPass();
    EXPECT_EQ(rig.ports.log, std::vector<std::string>{"waiting 2"}) << reported;
    EXPECT_TRUE(rig.pump.pauses.empty());
    EXPECT_TRUE(rig.plot.calls.empty());
    EXPECT_EQ(rig.state().isConnected, 1);
  }
}

TEST(MainLoop, PassWithNothingToReadWaitsForTheNextByteMessageOrReShow) {
  // The snapshot is re-shown once 201 ms have passed since the last showing.
  const struct {
    const char* state;
    bool connected, paused;
    std::vector<std::uint8_t> bytes;
    std::uint32_t elapsed;
    std::vector<fakes::Wait> waits;
  } cases[] = {
      {"streaming",                 true,  false, {5, 6}, 150, {}},
      {"streaming, paused",         true,  true,  {5, 6}, 150, {}},
      {"silent",                    true,  false, {},     150, {{0x5150, noDeadline}}},
      {"silent, paused",            true,  true,  {},     150, {{0x5150, 51}}},
      {"silent, paused, shown now", true,  true,  {},     260, {{0x5150, 201}}},
      {"disconnected",              false, false, {},     200, {{0, 1}}},
      {"disconnected, shown now",   false, false, {},     201, {{0, 201}}},
  };
  for (const auto& c : cases) {
    AcquisitionRig rig;
    if (c.connected) rig.connect();
    rig.setPaused(c.paused);
    rig.forget();
    rig.clock.advance(c.elapsed);
    rig.passWith(c.bytes);
    EXPECT_EQ(rig.pump.waits, c.waits) << c.state;
    EXPECT_TRUE(rig.pump.pauses.empty()) << c.state;
  }
}

TEST(MainLoop, DispatchesByExactModeText) {
  const struct {
    const char16_t* mode;
    PlotCallKind drawn;  // the call that draws the first byte
    std::vector<int> pauses;
  } cases[] = {
      {u"Oszilloskop", PlotCallKind::scope, {}},
      {u"schneller Plot", PlotCallKind::rolling, {}},
      {u"Plot (0.01s)", PlotCallKind::rolling, {2}},
      {u"Plot (0.1s)", PlotCallKind::rolling, {2}},
      {u"Plot (0.5s)", PlotCallKind::rolling, {4}},
      {u"Plot (1.0s)", PlotCallKind::rolling, {10}},
      {u"Plot (2.0s)", PlotCallKind::rolling, {20}},
      {u"Plot (5.0s)", PlotCallKind::rolling, {50}},
  };
  for (const auto& c : cases) {
    AcquisitionRig rig;
    rig.setMode(c.mode);
    rig.connect();
    rig.forget();
    // Past every mode's interval, a mode added to the table included.
    std::uint32_t longest = 0;
    for (const PlotMode& mode : plotModes) longest = std::max(longest, mode.interval);
    rig.clock.advance(longest + 1);
    rig.passWith({77, 78});
    // Every mode first resets the chart: the mode text differs from the empty start.
    ASSERT_GE(rig.plot.calls.size(), 2u) << latin1FromText(c.mode);
    EXPECT_EQ(rig.plot.calls[0], fakes::rollingCall(-1, 1));
    EXPECT_EQ(rig.plot.calls[1].call, c.drawn);
    EXPECT_EQ(rig.plot.calls[1].value, 77);
    EXPECT_EQ(rig.pump.pauses, c.pauses) << latin1FromText(c.mode);
  }
}

TEST(MainLoop, UnknownModeTextReadsButHandlesNothingAndDoesNotSleep) {
  AcquisitionRig rig;
  rig.setMode(u"Plot (3.0s)");
  rig.connect();
  rig.forget();
  rig.passWith({1, 2, 3});
  EXPECT_EQ(rig.ports.readLengths, std::vector<std::int32_t>{3});
  EXPECT_TRUE(rig.plot.calls.empty());
  EXPECT_TRUE(rig.pump.pauses.empty());
  EXPECT_TRUE(rig.state().previousModeText.empty());
}

TEST(MainLoop, ModeChosenWhileDisconnectedTakesEffectWithTheFirstBytes) {
  AcquisitionRig rig;
  rig.setMode(u"schneller Plot");
  rig.loop.runPass();
  rig.loop.runPass();
  EXPECT_TRUE(rig.plot.calls.empty());
  rig.connect();
  EXPECT_TRUE(rig.plot.calls.empty());
  rig.passWith({5});
  EXPECT_EQ(rig.plot.calls,
            (std::vector<fakes::PlotCall>{fakes::rollingCall(-1, 1), fakes::rollingCall(5, 2)}));
}

TEST(MainLoop, NeverReadsMoreThanTheBufferHoldsAndLosesNoByte) {
  AcquisitionRig rig;
  rig.connect();
  std::vector<std::uint8_t> stream(12345);
  for (std::size_t i = 0; i < stream.size(); ++i) stream[i] = static_cast<std::uint8_t>(i * 7);
  rig.ports.push(stream);
  rig.loop.runPass();
  rig.loop.runPass();
  EXPECT_EQ(rig.ports.readLengths, (std::vector<std::int32_t>{10000, 2345}));
  // "aus" draws every byte, so the scope calls are the stream itself.
  const auto drawn = rig.plot.only(PlotCallKind::scope);
  ASSERT_EQ(drawn.size(), stream.size());
  for (std::size_t i = 0; i < stream.size(); ++i) ASSERT_EQ(drawn[i].value, stream[i]) << i;
}

TEST(MainLoop, OnlyDeliveredBytesAreHandedOn) {
  const struct {
    std::int32_t reported;
    std::size_t delivered;
  } cases[] = {{100, 40}, {100, 0}, {10000, 1}, {20000, 9999}};
  for (const auto& c : cases) {
    AcquisitionRig rig;
    rig.connect();
    // An earlier read left 9s everywhere the short read will not reach.
    rig.passWith(std::vector<std::uint8_t>(10000, 9));
    rig.forget();
    rig.ports.push(std::vector<std::uint8_t>(c.delivered, 200));
    rig.ports.reportedCounts.push_back(c.reported);
    const std::int32_t countedBefore = rig.state().byteCounter;
    rig.loop.runPass();
    const auto drawn = rig.plot.only(PlotCallKind::scope);
    EXPECT_EQ(drawn.size(), c.delivered) << c.reported;
    for (const auto& call : drawn) ASSERT_EQ(call.value, 200);
    EXPECT_EQ(rig.state().byteCounter, countedBefore + static_cast<std::int32_t>(c.delivered));
    EXPECT_EQ(rig.state().isConnected, 1) << "a short read is no failure";
  }
}

TEST(MainLoop, EmptyReadInAChartModeNeitherPlotsNorSleeps) {
  AcquisitionRig rig;
  rig.setMode(u"Plot (1.0s)");
  rig.connect();
  rig.ports.reportedCounts.push_back(5);
  rig.forget();
  rig.loop.runPass();
  EXPECT_EQ(rig.ports.readLengths, std::vector<std::int32_t>{5});
  EXPECT_TRUE(rig.plot.calls.empty());
  EXPECT_TRUE(rig.pump.pauses.empty());
}

TEST(MainLoop, FailingPortEndsTheConnectionLikeAUserDisconnect) {
  for (const bool failInRead : {false, true}) {
    AcquisitionRig rig;
    rig.connect();
    rig.passWith({1, 2});
    rig.forget();
    if (failInRead) {
      rig.ports.failRead = true;
    } else {
      rig.ports.failStatusQuery = true;
    }
    rig.passWith({3, 4});
    EXPECT_EQ(rig.state().isConnected, 0);
    EXPECT_FALSE(rig.ports.isOpen);
    EXPECT_EQ(rig.ports.log.back(), "close 2");
    EXPECT_EQ(rig.ports.reads(), failInRead ? 1 : 0);
    EXPECT_EQ(rig.controls.at(connectToggleId).state, 0);
    EXPECT_EQ(rig.controls.at(connectToggleId).text, u"Verbinden");
    EXPECT_FALSE(rig.controls.at(portBoxId).disabled);
    EXPECT_FALSE(rig.controls.at(baudBoxId).disabled);
    EXPECT_EQ(rig.statusBar.calls, disconnectedStatus);
    EXPECT_TRUE(rig.plot.only(PlotCallKind::scope).empty()) << "nothing of a failed read is drawn";
    // Idle from now on: no second close, no reopening, the idle sleep.
    rig.forget();
    rig.ports.failRead = rig.ports.failStatusQuery = false;
    rig.loop.runPass();
    EXPECT_TRUE(rig.ports.log.empty());
    EXPECT_TRUE(rig.statusBar.calls.empty());
    EXPECT_EQ(rig.pump.waits, (std::vector<fakes::Wait>{{0, 201}}));
  }
}

TEST(MainLoop, StateSurvivesDisconnectAndReconnect) {
  AcquisitionRig rig;
  rig.connect();
  rig.passWith({10, 20, 30});
  rig.controls.at(connectToggleId).state = 0;
  rig.loop.runPass();
  rig.connect();
  rig.plot.calls.clear();
  rig.passWith({40});
  EXPECT_EQ(rig.plot.calls, std::vector<fakes::PlotCall>{fakes::scopeCall(40, 3)});
  EXPECT_EQ(rig.ports.opens.size(), 2u);
}

TEST(MainLoop, InfoRunsAfterTheReadAndBeforeTheEventFetch) {
  AcquisitionRig rig;
  rig.connect();
  rig.controls.at(infoToggleId).state = 1;
  int fetchesWhileOpen = -1;
  std::size_t drawnWhileOpen = 0;
  rig.pump.whileMessageOpen = [&] {
    fetchesWhileOpen = rig.pump.fetches;
    drawnWhileOpen = rig.plot.only(PlotCallKind::scope).size();
  };
  rig.passWith({1, 2});
  EXPECT_EQ(rig.pump.messages.size(), 2u);
  EXPECT_EQ(fetchesWhileOpen, 1) << "only the connecting pass fetched before";
  EXPECT_EQ(drawnWhileOpen, 2u);
  EXPECT_EQ(rig.controls.at(infoToggleId).state, 0);
}

TEST(MainLoop, CloseEventEndsTheLoopAndShutDownClosesThePortSilently) {
  AcquisitionRig rig;
  rig.connect();
  rig.passWith({1});
  rig.forget();
  rig.pump.events = {0, 0, closeEvent, 0};
  rig.loop.run();
  EXPECT_EQ(rig.pump.fetches, 5);  // the connect pass, the byte pass, and three more
  EXPECT_EQ(rig.ports.log.back(), "close all");
  EXPECT_TRUE(rig.statusBar.calls.empty());
  EXPECT_EQ(rig.pump.events, std::deque<int>{0});
}

}  // namespace
}  // namespace kurvlux
