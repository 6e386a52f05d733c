// The chart modes: which reads plot, what they write to the status bar, how
// long each pass sleeps, and the reset on a mode change.
#include <gtest/gtest.h>

#include <algorithm>

#include "acquisition/plot_mode_handlers.hpp"
#include "fakes/acquisition_rig.hpp"
#include "text/utf8_text.hpp"

namespace kurvlux {
namespace {

using fakes::PlotCall;
using fakes::PlotCallKind;
using fakes::progressCall;
using fakes::StatusCall;
using fakes::textCall;

struct Chart : fakes::HandlerRig {
  explicit Chart(std::size_t row) : mode(plotModes.at(row)) {
    controls.at(modeListId).text = mode.name;
    state.previousModeText = mode.name;
    state.intervalStart = clock.now;
  }
  void handle(std::initializer_list<std::uint8_t> bytes) {
    std::copy(bytes.begin(), bytes.end(), state.receiveBuffer.begin());
    handleChartRead(state, platform, mode);
  }

  const PlotMode& mode;
};

std::vector<StatusCall> fixedTexts(const char16_t* frames, const char16_t* minutes,
                                   const char16_t* division) {
  return {textCall(0, frames, 4), textCall(1, minutes, 4), textCall(2, division, 4),
          progressCall(4, 0, 0, 10)};
}

TEST(PlotModes, ModeListIsInDispatchOrder) {
  // Whole lists, so a mode added or dropped fails here by name.
  const std::vector<std::string> names{"Oszilloskop", "schneller Plot", "Plot (0.01s)", "Plot (0.1s)",
                                       "Plot (0.5s)", "Plot (1.0s)",    "Plot (2.0s)",  "Plot (5.0s)"};
  std::vector<std::string> table;
  for (const PlotMode& mode : plotModes) table.push_back(utf8FromText(mode.name));
  EXPECT_EQ(table, names);
}

TEST(PlotModes, IntervalBoundsKindsTextsAndSleeps) {
  const struct {
    std::size_t row;
    std::uint32_t tooEarly;  // elapsed ms that must not plot
    std::uint32_t due;       // elapsed ms that plots
    int kind;
    std::vector<StatusCall> texts;
    std::vector<int> pause;
  } cases[] = {
      {2, 10, 11, 2, {}, {2}},
      {3, 99, 100, 0, fixedTexts(u"100 s/FPS", u"1,6 min/FPS", u"5.0 s/DIV"), {2}},
      {4, 499, 500, 0, fixedTexts(u"500 s/FPS", u"8,3 min/FPS", u"25 s/DIV"), {4}},
      {5, 999, 1000, 0, fixedTexts(u"1000 s/FPS", u"16,6 min/FPS", u"50 s/DIV"), {10}},
      {6, 1999, 2000, 0, fixedTexts(u"2000 s/FPS", u"33,3 min/FPS", u"100 s/DIV"), {20}},
      {7, 4999, 5000, 0, fixedTexts(u"5000 s/FPS", u"83,3 min/FPS", u"250 s/DIV"), {50}},
  };
  for (const auto& c : cases) {
    Chart chart(c.row);
    const std::uint32_t start = chart.clock.now;
    chart.clock.advance(c.tooEarly);
    chart.handle({60});
    EXPECT_TRUE(chart.plot.calls.empty()) << c.row;
    EXPECT_TRUE(chart.statusBar.calls.empty()) << c.row;
    EXPECT_EQ(chart.state.intervalStart, start) << "an unplotted pass keeps the interval";
    EXPECT_EQ(chart.pump.pauses, c.pause) << "sleeps also when nothing is plotted";

    chart.pump.pauses.clear();
    chart.clock.advance(c.due - c.tooEarly);
    // Drawing takes time; the next interval starts when it is done.
    chart.plot.onCall = [&](const PlotCall&) { chart.clock.advance(7); };
    chart.handle({61, 62});
    EXPECT_EQ(chart.plot.calls, std::vector<PlotCall>{fakes::rollingCall(61, c.kind)}) << c.row;
    EXPECT_EQ(chart.state.intervalStart, start + c.due + 7) << c.row;
    EXPECT_EQ(chart.statusBar.calls, c.texts) << c.row;
    EXPECT_EQ(chart.pump.pauses, c.pause) << c.row;
  }
  // Every mode that waits between plots has its row here.
  for (std::size_t row = 0; row < plotModes.size(); ++row) {
    const bool listed = std::ranges::any_of(cases, [&](const auto& c) { return c.row == row; });
    EXPECT_TRUE(listed || plotModes[row].interval == 0)
        << utf8FromText(plotModes[row].name) << " (row " << row << ") has no row in this table";
  }
}

TEST(PlotModes, FastPlotDrawsEveryPassAndNeitherSleepsNorTimes) {
  Chart chart(1);
  chart.state.intervalStart = 12345;
  for (int pass = 0; pass < 3; ++pass) chart.handle({static_cast<std::uint8_t>(pass + 1)});
  EXPECT_EQ(chart.plot.calls,
            (std::vector<PlotCall>{fakes::rollingCall(1, 2), fakes::rollingCall(2, 2),
                                   fakes::rollingCall(3, 2)}));
  EXPECT_TRUE(chart.pump.pauses.empty());
  EXPECT_TRUE(chart.statusBar.calls.empty());
  EXPECT_EQ(chart.state.intervalStart, 12345u) << "the oscilloscope's period is left alone";
}

TEST(PlotModes, OnlyTheFirstByteOfAReadIsPlotted) {
  fakes::AcquisitionRig rig;
  rig.setMode(u"schneller Plot");
  rig.connect();
  std::vector<std::uint8_t> bytes(37);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(200 + i);
  rig.passWith(bytes);
  EXPECT_EQ(rig.plot.calls,
            (std::vector<PlotCall>{fakes::rollingCall(-1, 1), fakes::rollingCall(200, 2)}));
  EXPECT_EQ(rig.state().byteCounter, 0) << "chart modes count no bytes";
  EXPECT_TRUE(rig.ports.queue.empty()) << "the other 36 were read and dropped";
}

TEST(PlotModes, PausedPassReadsDropsAndSleepsButKeepsTheInterval) {
  Chart chart(5);
  chart.controls.at(pauseToggleId).state = 1;
  const std::uint32_t start = chart.clock.now;
  chart.clock.advance(3000);
  chart.handle({9});
  EXPECT_TRUE(chart.plot.calls.empty());
  EXPECT_EQ(chart.pump.pauses, std::vector<int>{10});
  EXPECT_EQ(chart.state.intervalStart, start);
  // The interval passed during the pause: the first pass after it plots at once.
  chart.controls.at(pauseToggleId).state = 0;
  chart.handle({8});
  EXPECT_EQ(chart.plot.calls, std::vector<PlotCall>{fakes::rollingCall(8, 0)});
}

TEST(PlotModes, ModeChangeWhilePausedResetsButKeepsTheOldTexts) {
  fakes::AcquisitionRig rig;
  rig.setMode(u"Plot (0.5s)");
  rig.connect();
  rig.clock.advance(500);
  rig.passWith({100});
  EXPECT_EQ(rig.statusBar.text(0), "500 s/FPS");
  rig.setMode(u"Plot (2.0s)");
  rig.setPaused(true);
  rig.forget();
  rig.clock.advance(5000);
  rig.passWith({101});
  EXPECT_EQ(rig.plot.only(PlotCallKind::rolling), std::vector<PlotCall>{fakes::rollingCall(-1, 1)});
  EXPECT_TRUE(rig.statusBar.calls.empty());
  EXPECT_EQ(rig.statusBar.text(0), "500 s/FPS");
  EXPECT_EQ(rig.statusBar.text(1), "8,3 min/FPS");
  EXPECT_EQ(rig.statusBar.text(2), "25 s/DIV");
  EXPECT_EQ(rig.pump.pauses, std::vector<int>{20});
  rig.setPaused(false);
  rig.passWith({102});
  EXPECT_EQ(rig.statusBar.text(0), "2000 s/FPS");
}

TEST(PlotModes, ModeChangeResetComesBeforeTheFirstPoint) {
  Chart chart(3);
  chart.state.previousModeText = u"Oszilloskop";
  chart.controls.at(modeListId).text = u"Plot (0.1s)";
  chart.clock.advance(100);
  chart.handle({33});
  EXPECT_EQ(chart.plot.calls,
            (std::vector<PlotCall>{fakes::rollingCall(-1, 1), fakes::rollingCall(33, 0)}));
  chart.plot.calls.clear();
  chart.clock.advance(100);
  chart.handle({34});
  EXPECT_EQ(chart.plot.calls, std::vector<PlotCall>{fakes::rollingCall(34, 0)}) << "reset once";
}

TEST(PlotModes, IntervalAcrossTheClockWrap) {
  const struct {
    std::uint32_t start;
    std::uint32_t now;
    bool plots;
  } cases[] = {
      {0xFFFFFFF0u, 0x00000053u, false},  // 99 ms
      {0xFFFFFFF0u, 0x00000054u, true},   // 100 ms
      {0x7FFFFFF0u, 0x80000010u, false},  // 32 ms across the signed limit
  };
  for (const auto& c : cases) {
    Chart chart(3);
    chart.state.intervalStart = c.start;
    chart.clock.now = c.now;
    chart.handle({1});
    EXPECT_EQ(chart.plot.calls.size(), c.plots ? 1u : 0u) << std::hex << c.start;
  }
}

}  // namespace
}  // namespace kurvlux
