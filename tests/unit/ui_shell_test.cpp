// The portable half of the window shell: control layout and contents, the
// event queue, focus cycling, status-bar arithmetic and window placement.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "acquisition/plot_modes.hpp"
#include "fakes/recording_controls.hpp"
#include "fakes/recording_status_bar.hpp"
#include "ui/control_layout.hpp"
#include "ui/event_queue.hpp"
#include "ui/focus_cycle.hpp"
#include "ui/status_bar.hpp"
#include "ui/status_fields.hpp"
#include "ui/status_layout.hpp"
#include "ui/window_placement.hpp"

namespace kurvlux {
namespace {

TEST(ControlLayout, ControlsSitSideBySideRightOfTheStatusFields) {
  const std::array<int, 7> creationOrder{6, 7, 10, 8, 9, 11, 12};
  int previousRight = 470;
  for (std::size_t i = 0; i < controlLayouts.size(); ++i) {
    const ControlLayout& layout = controlLayouts[i];
    SCOPED_TRACE(layout.id);
    EXPECT_EQ(layout.id, creationOrder[i]);
    EXPECT_EQ(layout.y, 3);
    EXPECT_EQ(layout.height, 18);
    // Gaps of 10 pixels, only 5 before the info button.
    EXPECT_EQ(layout.x - previousRight, layout.id == infoToggleId ? 5 : 10);
    previousRight = layout.x + layout.width;
    EXPECT_EQ(layout.caption != nullptr, layout.type == ControlType::toggleButton);
    const int expectedFlags = layout.type == ControlType::toggleButton     ? 0x1003
                              : layout.type == ControlType::listComboBox ? 0
                                                                         : 0x42;
    EXPECT_EQ(layout.flags, expectedFlags);
  }
  EXPECT_EQ(previousRight, 995);
  EXPECT_EQ(controlLayouts[2].caption, Text(u"Verbinden"));
  EXPECT_EQ(controlLayouts[5].caption, Text(u"Pause"));
  EXPECT_EQ(controlLayouts[6].caption, Text(u"Info"));
  EXPECT_EQ(controlLayouts[3].type, ControlType::listComboBox);
}

TEST(ControlContents, FillsBoxesSetsStartTextsAndTooltipsInOrder) {
  fakes::RecordingControls controls;
  for (const ControlLayout& layout : controlLayouts) controls.add(layout.id);
  fillControlContents(controls, plotModeNames);

  const auto& bauds = controls.at(baudBoxId).items;
  ASSERT_EQ(bauds.size(), 24u);
  EXPECT_EQ(bauds.front(), u"100");
  EXPECT_EQ(bauds[13], u"43000");
  EXPECT_EQ(bauds[19], u"250000");
  EXPECT_EQ(bauds.back(), u"1843200");

  const auto& modes = controls.at(modeListId).items;
  ASSERT_EQ(modes.size(), 8u);
  EXPECT_EQ(modes[0], u"Oszilloskop");
  EXPECT_EQ(modes[1], u"schneller Plot");
  EXPECT_EQ(modes[7], u"Plot (5.0s)");

  const auto& levels = controls.at(thresholdBoxId).items;
  ASSERT_EQ(levels.size(), 257u);
  EXPECT_EQ(levels[0], u"aus");
  EXPECT_EQ(levels[1], u"0");
  EXPECT_EQ(levels[256], u"255");

  // Each start text is set right after its own box has been filled; the
  // port box is left for the port discovery.
  EXPECT_EQ(controls.log, (std::vector<std::string>{"text 7 250000", "text 8 Oszilloskop", "text 9 aus"}));
  EXPECT_TRUE(controls.at(portBoxId).items.empty());

  const std::array<std::pair<int, const char16_t*>, 7> tips{{
      {6, u"verfügbare COM-Ports"},
      {7, u"Baudrate"},
      {10, u"Verbindung mit COM-Gerät herstellen"},
      {8, u"Plottmodus"},
      {9, u"Triggerschwelle"},
      {11, u"Plottvorgang pausieren"},
      {12, u"Informationen"},
  }};
  for (const auto& [id, tip] : tips) EXPECT_EQ(controls.at(id).tooltip, Text(tip)) << id;
}

TEST(EventQueue, IdenticalNeighboursCollapseOthersQueueInOrder) {
  EventQueue queue;
  EXPECT_FALSE(queue.take().has_value());
  const EventRecord close{16, 0, -1, 0, 0, 0};
  queue.record(close);
  queue.record(close);
  queue.record(close);
  EXPECT_EQ(queue.size(), 1u);
  queue.record(EventRecord{3, 0, -1, 0, 0, 0});
  queue.record(close);  // not the newest any more: kept
  queue.record(EventRecord{16, 1, -1, 0, 0, 0});  // another window
  queue.record(EventRecord{16, 1, 7, 0, 0, 0});   // another control
  queue.record(EventRecord{16, 1, 7, 2, 0, 0});   // another kind
  queue.record(EventRecord{70000, 0, -1, 0, 0, 0});
  queue.record(EventRecord{70000, 0, -1, 0, 0, 0});  // large numbers never merge
  queue.record(EventRecord{65536, 0, -1, 0, 0, 0});
  queue.record(EventRecord{65536, 0, -1, 0, 0, 0});
  std::vector<std::int32_t> numbers;
  while (auto event = queue.take()) numbers.push_back(event->number);
  EXPECT_EQ(numbers, (std::vector<std::int32_t>{16, 3, 16, 16, 16, 16, 70000, 70000, 65536}));
  EXPECT_TRUE(queue.empty());
}

TEST(FocusCycle, TabAndShiftTabWrapAndRespectNonCandidates) {
  struct Case {
    int count, focused;
    bool inside;
    FocusDirection direction;
    int expected;
  };
  constexpr auto next = FocusDirection::next;
  constexpr auto previous = FocusDirection::previous;
  const Case cases[] = {
      {7, 0, true, next, 1},      {7, 6, true, next, 0},       // last wraps to first
      {7, -1, false, next, 0},    // focus outside the window: enter at the first
      {7, -1, true, next, -1},    // a non-candidate inside keeps the focus
      {7, 3, true, previous, 2},  {7, 0, true, previous, 6},   // first wraps to last
      {7, -1, false, previous, 6}, {7, -1, true, previous, 6},  // no candidate focused: last
      {1, 0, true, next, 0},      {1, 0, true, previous, 0},
      {0, -1, false, next, -1},   {0, -1, false, previous, -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(focusTarget(c.count, c.focused, c.inside, c.direction), c.expected)
        << c.count << " " << c.focused << " " << c.inside << " " << (c.direction == next);
  }
}

TEST(StatusLayout, RightEdgesAddUpAndSharedFieldsSplitTheRest) {
  const std::vector<int> program{70, 100, 100, 120, 80};
  EXPECT_EQ(statusRightEdges(program, 1000), (std::vector<int>{70, 170, 270, 390, 470}));
  const std::vector<int> shared{100, sharedFieldWidth, 50, sharedFieldWidth};
  // 1000 - 150 = 850 shared by two.
  EXPECT_EQ(statusRightEdges(shared, 1000), (std::vector<int>{100, 525, 575, 1000}));
  const std::vector<int> odd{sharedFieldWidth, sharedFieldWidth, sharedFieldWidth};
  EXPECT_EQ(statusRightEdges(odd, 100), (std::vector<int>{33, 66, 99}));
  EXPECT_TRUE(statusRightEdges({}, 100).empty());

  EXPECT_EQ(statusAvailableWidth(1000, 22, false, false), 1000);
  EXPECT_EQ(statusAvailableWidth(1000, 22, true, false), 981);
  EXPECT_EQ(statusAvailableWidth(1000, 22, true, true), 1000);

  EXPECT_EQ(progressControlRect(PixelRect{392, 2, 78, 20}), (PixelRect{394, 5, 70, 14}));
}

TEST(StatusLayout, ProgressFillWidth) {
  struct Case {
    int value, minimum, maximum, inner, expected;
  };
  const Case cases[] = {
      {5, 0, 10, 76, 38},    {0, 0, 10, 76, 0},     {-3, 0, 10, 76, 0},   {10, 0, 10, 76, 76},
      {99, 0, 10, 76, 76},   {1, 0, 3, 76, 25},     // truncated toward zero
      {7, 5, 9, 40, 20},     {5, 5, 5, 40, 0},      {6, 5, 5, 40, 40},
      // A full line at 1843200 baud on a wide field: overflows 32 bits if
      // multiplied there.
      {184319, 0, 184320, 30000, 29999},
      {5, 0, 10, 0, 0},      {5, 0, 10, -2, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(progressFillWidth(c.value, c.minimum, c.maximum, c.inner), c.expected)
        << c.value << " in " << c.minimum << ".." << c.maximum << " on " << c.inner;
  }
}

TEST(StatusLayout, TextCompositionAndBorders) {
  EXPECT_EQ(composeStatusText(u"0 FPS", statusCentred, false), u"\t0 FPS");
  EXPECT_EQ(composeStatusText(u"0 FPS", statusCentred, true), u"\t0 FPS");
  EXPECT_EQ(composeStatusText(u"COM-Auslastung: ", 10, false), u"\t\tCOM-Auslastung: ");
  EXPECT_EQ(composeStatusText(u"COM-Auslastung: ", 10, true), u"\t\tCOM-Auslastung:     ");
  EXPECT_EQ(composeStatusText(u"x", statusCentred | statusRightAligned, true), u"\tx");
  EXPECT_EQ(composeStatusText(u"left", 0, true), u"left");
  EXPECT_EQ(composeStatusText(Text(u"ab\0cd", 5), statusCentred, false), u"\tab");
  EXPECT_EQ(composeStatusText(u"", statusRightAligned, true), u"\t\t    ");

  EXPECT_EQ(statusBorder(0), StatusBorder::sunken);
  EXPECT_EQ(statusBorder(4), StatusBorder::sunken);
  EXPECT_EQ(statusBorder(10), StatusBorder::none);
  EXPECT_EQ(statusBorder(1), StatusBorder::raised);
  EXPECT_EQ(statusBorder(3), StatusBorder::raised);
}

TEST(WindowPlacement, CentredAndCutToTheScreen) {
  EXPECT_EQ(centredPlacement(1006, 308, 1280, 1024), (WindowPlacement{137, 358, 1006, 308}));
  EXPECT_EQ(centredPlacement(1007, 309, 1280, 1024), (WindowPlacement{136, 357, 1007, 309}));
  EXPECT_EQ(centredPlacement(1006, 308, 800, 600), (WindowPlacement{0, 146, 800, 308}));
  EXPECT_EQ(centredPlacement(1006, 308, 640, 200), (WindowPlacement{0, 0, 640, 200}));
  EXPECT_EQ(windowStyleBits(0xCA0001), 0xCA0000u);
  EXPECT_TRUE(placedCentred(0xCA0001));
  EXPECT_FALSE(placedCentred(0xCA0000));
}

}  // namespace
}  // namespace kurvlux

namespace kurvlux {
namespace {

TEST(IdleStatus, FiveCallsInFieldOrder) {
  fakes::RecordingStatusBar bar;
  writeIdleStatus(bar);
  EXPECT_EQ(bar.calls, (std::vector<fakes::StatusCall>{
                           fakes::textCall(0, u"0 FPS", 4),
                           fakes::textCall(1, u"0 Werte/s", 4),
                           fakes::textCall(2, u"0 ms/DIV", 4),
                           fakes::textCall(3, u"COM-Auslastung: ", 10),
                           fakes::progressCall(4, 0, 0, 10),
                       }));
  int right = 0;
  std::vector<int> edges;
  for (const int width : statusFieldWidths) edges.push_back(right += width);
  EXPECT_EQ(edges, (std::vector<int>{70, 170, 270, 390, 470}));
}

}  // namespace
}  // namespace kurvlux
