// The oscilloscope mode: the trigger edge, frames across reads and pauses,
// the once-a-second statistics, and the fast walk against a literal one.
#include <gtest/gtest.h>

#include <random>

#include "acquisition/oscilloscope.hpp"
#include "fakes/acquisition_rig.hpp"

namespace kurvlux {
namespace {

using fakes::PlotCall;
using fakes::PlotCallKind;
using fakes::progressCall;
using fakes::StatusCall;
using fakes::textCall;

// The handler on its own, with the controls as at start.
struct Scope : fakes::HandlerRig {
  Scope() { state.intervalStart = clock.now; }

  // Puts bytes at the start of the buffer as a read would and handles them.
  void handle(const std::vector<std::uint8_t>& bytes) {
    std::copy(bytes.begin(), bytes.end(), state.receiveBuffer.begin());
    handleOscilloscopeRead(state, platform, static_cast<std::int32_t>(bytes.size()));
  }
  void startSearching() {
    state.triggerArmed = 0;
    state.scopeColumn = 0;
    state.previousModeText = u"Oszilloskop";
  }
  std::vector<int> drawnValues() const {
    std::vector<int> values;
    for (const PlotCall& c : plot.only(PlotCallKind::scope)) values.push_back(c.value);
    return values;
  }
};

TEST(Oscilloscope, TriggersOnASampleAtTheThresholdWithAHigherSuccessor) {
  const struct {
    const char16_t* threshold;
    std::vector<std::uint8_t> stream;
    std::vector<int> drawn;
  } cases[] = {
      {u"128", {120, 128, 129, 131, 90}, {129, 131, 90}},
      {u"128", {127, 129, 200, 130}, {}},          // steps over the threshold
      {u"128", {128, 128, 130, 12}, {130, 12}},    // a flat run fires at its end
      {u"128", {128, 127, 128, 128}, {}},          // falling and flat edges
      {u"128", {130, 128, 128, 128, 129, 1}, {129, 1}},
      {u"0", {0, 0, 1, 2}, {1, 2}},
      {u"255", {254, 255, 255, 255}, {}},          // nothing exceeds 255
      {u"300", {44, 45, 46}, {}},
      {u"-1", {255, 0, 1}, {}},
      {u"$80", {128, 129, 3}, {129, 3}},           // the box text is read as an integer
      {u"aus", {0, 0, 7}, {0, 7}},                 // arms at the first searched sample
      {u"aus", {200, 100}, {100}},
      {u"Aus", {0, 5, 6}, {5, 6}},                 // not "aus": threshold 0
  };
  for (const auto& c : cases) {
    Scope scope;
    scope.startSearching();
    scope.controls.at(thresholdBoxId).text = c.threshold;
    scope.handle(c.stream);
    EXPECT_EQ(scope.drawnValues(), c.drawn) << latin1FromText(c.threshold);
    if (!c.drawn.empty()) {
      EXPECT_EQ(scope.plot.only(PlotCallKind::scope)[0].column, 0);
    }
  }
}

TEST(Oscilloscope, LastByteOfAReadUsesTheByteAnEarlierReadLeftBehind) {
  fakes::AcquisitionRig rig;
  rig.setThreshold(u"128");
  rig.connect();
  rig.state().triggerArmed = 0;
  rig.passWith({3, 3, 3, 200, 3});
  rig.passWith({1, 2, 128});  // 200 still sits behind the 128
  EXPECT_EQ(rig.state().triggerArmed, 1);
  rig.passWith({5, 6});
  EXPECT_EQ(rig.plot.only(PlotCallKind::scope),
            (std::vector<PlotCall>{fakes::scopeCall(5, 0), fakes::scopeCall(6, 1)}));
}

TEST(Oscilloscope, LastByteOfAFullBufferHasNoSuccessorAndNeverArms) {
  for (const int threshold : {0, 128, 254}) {
    Scope scope;
    scope.startSearching();
    scope.controls.at(thresholdBoxId).text = formatDecimal(threshold);
    std::vector<std::uint8_t> bytes(10000, 255);
    bytes.back() = static_cast<std::uint8_t>(threshold);
    scope.handle(bytes);
    EXPECT_EQ(scope.state.triggerArmed, 0) << threshold;
    EXPECT_TRUE(scope.plot.calls.empty());
  }
}

TEST(Oscilloscope, AusDrawsFramesBackToBack) {
  Scope scope;
  std::vector<std::uint8_t> bytes(2600);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 13);
  scope.handle(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 1500));
  scope.handle(std::vector<std::uint8_t>(bytes.begin() + 1500, bytes.end()));
  const auto drawn = scope.plot.only(PlotCallKind::scope);
  ASSERT_EQ(drawn.size(), bytes.size());
  // Frames take 1001 calls; the next frame starts with the very next sample.
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    ASSERT_EQ(drawn[i], fakes::scopeCall(bytes[i], static_cast<std::int32_t>(i % 1001))) << i;
  }
  EXPECT_EQ(scope.plot.framesCompleted, 2);
}

TEST(Oscilloscope, SampleThatCompletesAFrameIsTheFirstTriggerCandidate) {
  Scope scope;
  scope.controls.at(thresholdBoxId).text = u"128";
  std::vector<std::uint8_t> bytes(1001, 50);
  bytes[1000] = 128;  // completes the frame
  bytes.push_back(129);
  bytes.push_back(77);
  scope.handle(bytes);
  const auto drawn = scope.plot.only(PlotCallKind::scope);
  ASSERT_EQ(drawn.size(), 1003u);
  EXPECT_EQ(drawn[1001], fakes::scopeCall(129, 0));
  EXPECT_EQ(drawn[1002], fakes::scopeCall(77, 1));
}

TEST(Oscilloscope, FrameInProgressIgnoresTheThreshold) {
  Scope scope;
  scope.controls.at(thresholdBoxId).text = u"128";
  scope.handle({128, 129, 128, 200});
  EXPECT_EQ(scope.drawnValues(), (std::vector<int>{128, 129, 128, 200}));
  EXPECT_EQ(scope.state.scopeColumn, 4);
}

TEST(Oscilloscope, PauseMidFrameFreezesTheColumnAndSeeksNoTrigger) {
  Scope scope;
  scope.controls.at(thresholdBoxId).text = u"128";
  scope.plot.scopeTraceColumn = scope.state.scopeColumn = 500;
  scope.controls.at(pauseToggleId).state = 1;
  scope.handle(std::vector<std::uint8_t>(3000, 128));
  EXPECT_EQ(scope.plot.count(PlotCallKind::scope), 0);
  EXPECT_EQ(scope.state.scopeColumn, 500);
  EXPECT_EQ(scope.state.triggerArmed, 1);
  EXPECT_EQ(scope.state.byteCounter, 3000) << "paused bytes still count";
  scope.controls.at(pauseToggleId).state = 0;
  scope.handle({42});
  EXPECT_EQ(scope.plot.only(PlotCallKind::scope), std::vector<PlotCall>{fakes::scopeCall(42, 500)});
}

TEST(Oscilloscope, PausedSearchKeepsTestingEverySample) {
  Scope scope;
  scope.startSearching();
  scope.controls.at(thresholdBoxId).text = u"128";
  scope.controls.at(pauseToggleId).state = 1;
  scope.handle({128, 129});
  EXPECT_EQ(scope.state.triggerArmed, 0) << "the 129 was searched too and disarmed";
  scope.state.receiveBuffer[2] = 250;
  scope.handle({1, 128});
  EXPECT_EQ(scope.state.triggerArmed, 1);
  EXPECT_EQ(scope.plot.count(PlotCallKind::scope), 0);
  scope.controls.at(pauseToggleId).state = 0;
  scope.handle({9, 10});
  EXPECT_EQ(scope.drawnValues(), (std::vector<int>{9, 10}));
}

TEST(Oscilloscope, StatisticsOnceASecond) {
  const struct {
    std::int32_t count;
    const char16_t* baud;
    std::vector<StatusCall> calls;
  } cases[] = {
      {25000, u"250000",
       {textCall(0, u"25 FPS", 4), textCall(1, u"25000 Werte/s", 4),
        textCall(2, u"2.00 ms/DIV", 4), progressCall(4, 25000, 0, 25000)}},
      {999, u"250000",
       {textCall(0, u"0 FPS", 4), textCall(1, u"999 Werte/s", 4),
        textCall(2, u"50.05 ms/DIV", 4), progressCall(4, 999, 0, 25000)}},
      {1, u"9600",
       {textCall(0, u"0 FPS", 4), textCall(1, u"1 Werte/s", 4),
        textCall(2, u"50000.00 ms/DIV", 4), progressCall(4, 1, 0, 960)}},
      {3, u"abc",
       {textCall(0, u"0 FPS", 4), textCall(1, u"3 Werte/s", 4),
        textCall(2, u"16666.67 ms/DIV", 4), progressCall(4, 3, 0, 0)}},
      {1999, u"42949672970",  // a tenth of it is 2^32 + 1: the bar gets the low 32 bits
       {textCall(0, u"1 FPS", 4), textCall(1, u"1999 Werte/s", 4),
        textCall(2, u"25.01 ms/DIV", 4), progressCall(4, 1999, 0, 1)}},
  };
  for (const auto& c : cases) {
    Scope scope;
    scope.controls.at(baudBoxId).text = c.baud;
    scope.state.byteCounter = c.count - 1;
    scope.clock.advance(999);
    scope.handle({1});
    EXPECT_TRUE(scope.statusBar.calls.empty()) << "999 ms is not yet a second";
    EXPECT_EQ(scope.state.byteCounter, c.count);
    scope.clock.advance(1);
    scope.state.byteCounter = c.count - 1;
    scope.handle({1});
    EXPECT_EQ(scope.statusBar.calls, c.calls) << c.count;
    EXPECT_EQ(scope.state.byteCounter, 0);
    EXPECT_EQ(scope.state.intervalStart, scope.clock.now);
  }
}

TEST(Oscilloscope, ByteCounterSaturatesInsteadOfOverflowing) {
  Scope scope;
  scope.state.byteCounter = 2147483640;
  scope.handle(std::vector<std::uint8_t>(100, 1));
  EXPECT_EQ(scope.state.byteCounter, 2147483647);
}

TEST(Oscilloscope, StatisticsPeriodAcrossTheClockWrap) {
  const struct {
    std::uint32_t start;
    std::uint32_t now;
    bool updates;
  } cases[] = {
      {0x7FFFFE00u, 0x7FFFFE0Au, false},  // start + 1000 overflows a signed 32-bit time
      {0x7FFFFE00u, 0x800001E8u, true},
      {0xFFFFFF00u, 0x000002E7u, false},  // 999 ms across the wrap
      {0xFFFFFF00u, 0x000002E8u, true},
      {0xFFFFFF00u, 0x00000010u, false},
  };
  for (const auto& c : cases) {
    Scope scope;
    scope.state.intervalStart = c.start;
    scope.clock.now = c.now;
    scope.handle({1, 2, 3});
    EXPECT_EQ(scope.statusBar.calls.size(), c.updates ? 4u : 0u) << std::hex << c.start << " " << c.now;
  }
}

TEST(Oscilloscope, ModeChangeTestRunsAfterTheStatistics) {
  Scope scope;
  scope.state.previousModeText = u"Plot (0.5s)";
  scope.clock.advance(1000);
  std::size_t statusCallsAtReset = 0;
  scope.plot.onCall = [&](const PlotCall& call) {
    if (call.call == PlotCallKind::rolling) statusCallsAtReset = scope.statusBar.calls.size();
  };
  scope.handle({1, 2});
  EXPECT_EQ(statusCallsAtReset, 4u);
  EXPECT_EQ(scope.plot.calls.front(), fakes::rollingCall(-1, 1));
  EXPECT_EQ(scope.state.previousModeText, u"Oszilloskop");
}

TEST(Oscilloscope, SwitchingBackFromAChartModeClearsAndContinuesAtTheKeptColumn) {
  fakes::AcquisitionRig rig;
  rig.setThreshold(u"128");
  rig.connect();
  rig.passWith({10, 20, 30});  // the first frame starts without a trigger
  rig.setMode(u"schneller Plot");
  rig.passWith({99});
  rig.setMode(u"Oszilloskop");
  rig.plot.calls.clear();
  rig.passWith({40, 41});
  EXPECT_EQ(rig.plot.calls,
            (std::vector<PlotCall>{fakes::rollingCall(-1, 1), fakes::scopeCall(40, 3),
                                   fakes::scopeCall(41, 4)}));
}

// The walk as first described: every sample through its decimal text, the
// pause toggle and the threshold box read at every use.
void literalWalk(AcquisitionState& s, Controls& controls, PlotOutput& plot, std::int32_t count) {
  for (std::int32_t k = 0; k < count; ++k) {
    const std::int32_t v = s.receiveBuffer[static_cast<std::size_t>(k)];
    const Text sampleText = formatDecimal(v);
    if (controls.controlState(pauseToggleId) == 0 && s.triggerArmed == 1) {
      s.scopeColumn = plot.drawScopePoint(static_cast<std::int32_t>(parseInteger(sampleText)));
    }
    if (s.scopeColumn == 0) {
      s.triggerArmed = 0;
      const auto threshold = static_cast<std::int32_t>(
          static_cast<std::uint32_t>(parseInteger(controls.controlText(thresholdBoxId))));
      if (static_cast<std::int32_t>(parseInteger(sampleText)) == threshold) {
        const std::int32_t w = k + 1 < receiveBufferSize ? s.receiveBuffer[static_cast<std::size_t>(k) + 1] : 0;
        const Text nextSampleText = formatDecimal(w);
        if (v < parseInteger(nextSampleText)) s.triggerArmed = 1;
      }
      if (textEquals(controls.controlText(thresholdBoxId), u"aus")) s.triggerArmed = 1;
    }
  }
}

TEST(Oscilloscope, FastWalkMatchesTheLiteralWalk) {
  std::mt19937 random(20240611);
  const char16_t* thresholds[] = {u"aus", u"128", u"0", u"255", u"127", u"300", u"-5", u"$81"};
  for (int round = 0; round < 400; ++round) {
    Scope fast;
    Scope literal;
    const char16_t* threshold = thresholds[random() % std::size(thresholds)];
    const bool paused = random() % 4 == 0;
    const int armed = static_cast<int>(random() % 2);
    const std::int32_t column = random() % 3 == 0 ? 0 : static_cast<std::int32_t>(random() % 1001);
    const std::int32_t count =
        round % 20 == 0 ? receiveBufferSize : static_cast<std::int32_t>(1 + random() % 3000);
    // Values near the thresholds, so edges are common.
    const int base = static_cast<int>(random() % 3) * 127;
    std::vector<std::uint8_t> buffer(receiveBufferSize);
    for (auto& b : buffer) b = static_cast<std::uint8_t>(random() % 2 ? base + random() % 4 : random());
    for (Scope* s : {&fast, &literal}) {
      s->controls.at(thresholdBoxId).text = threshold;
      s->controls.at(pauseToggleId).state = paused ? 1 : 0;
      s->state.triggerArmed = armed;
      s->state.scopeColumn = s->plot.scopeTraceColumn = column;
      s->state.receiveBuffer = buffer;
    }
    walkScopeSamples(fast.state, fast.plot, count, paused, readTriggerSetting(fast.controls));
    literalWalk(literal.state, literal.controls, literal.plot, count);
    ASSERT_EQ(fast.plot.calls, literal.plot.calls) << "round " << round;
    ASSERT_EQ(fast.state.triggerArmed, literal.state.triggerArmed) << "round " << round;
    ASSERT_EQ(fast.state.scopeColumn, literal.state.scopeColumn) << "round " << round;
  }
}

}  // namespace
}  // namespace kurvlux
