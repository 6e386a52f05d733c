// The two trace procedures: pixels per column, when the canvas is presented
// and cleared, and the per-second statistics of the rolling chart.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "fakes/fake_clock.hpp"
#include "fakes/memory_image_store.hpp"
#include "fakes/recording_controls.hpp"
#include "fakes/recording_status_bar.hpp"
#include "render/plotter.hpp"

namespace kurvlux {
namespace {

using fakes::MemoryImageStore;
using fakes::progressCall;
using fakes::StatusCall;
using fakes::textCall;
using Pixel = std::pair<int, int>;

constexpr ColourValue blue = 0xFF0000;

ColourValue cleanColour(int x, int y) { return (x % 50 == 0 || y % 32 == 0) ? 0xBBBBBB : 0xFFFFFF; }

// Pixels that differ from background and grid.
std::set<Pixel> traced(const std::vector<std::uint8_t>& pixels, std::int32_t rowLength) {
  std::set<Pixel> result;
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 1000; ++x)
      if (fakes::pixelColour(pixels, rowLength, 256, x, y) != cleanColour(x, y)) result.insert({x, y});
  return result;
}

struct TraceFixture : ::testing::Test {
  void SetUp() override {
    controls.add(baudBoxId).text = u"250000";
    plotter.buildCanvas();
  }
  const fakes::MemoryImageControl& control() const { return *store.control(imageControlId); }
  std::set<Pixel> tracedOn(int number) const {
    return traced(store.image(number)->pixels, store.image(number)->rowLength);
  }

  MemoryImageStore store;
  fakes::RecordingStatusBar statusBar;
  fakes::RecordingControls controls;
  fakes::FakeClock clock;
  Plotter plotter{store, statusBar, controls, clock};
};

TEST_F(TraceFixture, FirstScopePointIsASinglePixel) {
  EXPECT_EQ(plotter.drawScopePoint(100), 1);
  EXPECT_EQ(tracedOn(4), (std::set<Pixel>{{0, 155}}));
  EXPECT_EQ(store.pixel(4, 0, 155), blue);
}

TEST_F(TraceFixture, ScopeSegmentSplitsAJumpBetweenTwoColumns) {
  for (int i = 0; i < 500; ++i) plotter.drawScopePoint(10);
  const int repaints = control().repaints;
  EXPECT_EQ(plotter.drawScopePoint(14), 501);
  std::set<Pixel> lastTwoColumns;
  for (const Pixel& p : tracedOn(4))
    if (p.first >= 499) lastTwoColumns.insert(p);
  EXPECT_EQ(lastTwoColumns, (std::set<Pixel>{{500, 241}, {500, 242}, {499, 243}, {499, 244}, {499, 245}}));
  EXPECT_EQ(control().repaints, repaints);
}

TEST_F(TraceFixture, ScopeFrameTakes1001CallsAndIsShownOnlyWhenComplete) {
  const int repaints = control().repaints;
  const auto value = [](int i) { return (i * 7) % 256; };
  for (int i = 0; i < 1000; ++i) ASSERT_EQ(plotter.drawScopePoint(value(i)), i + 1);
  EXPECT_EQ(control().repaints, repaints);
  const std::vector<std::uint8_t> frame = store.image(4)->pixels;
  // Every column holds its value; equal neighbours make horizontal pairs.
  for (int i = 0; i < 1000; ++i) EXPECT_EQ(store.pixel(4, i, 255 - value(i)), blue) << i;

  EXPECT_EQ(plotter.drawScopePoint(77), 0);
  EXPECT_EQ(control().repaints, repaints + 1);
  // Shown under the snapshot's number: images 3 and 4 traded places.
  EXPECT_EQ(control().lastShown.image, 3);
  EXPECT_EQ(control().lastShown.pixels, frame);  // the 1001st call adds no pixel
  EXPECT_EQ(store.image(3)->pixels, frame);
  EXPECT_TRUE(tracedOn(4).empty());  // cleared, and the cleared canvas is not shown
  EXPECT_EQ(plotter.scopeTrace().scopePrevious(), 77);

  // The next frame starts at column 0 without a joint to the old one.
  EXPECT_EQ(plotter.drawScopePoint(200), 1);
  EXPECT_EQ(tracedOn(4), (std::set<Pixel>{{0, 55}}));
  EXPECT_EQ(store.openImage(), 4);
  EXPECT_TRUE(store.violations.empty());
}

TEST_F(TraceFixture, RollingResetShowsTheClearedCanvasAndKeepsTheSnapshot) {
  for (int i = 0; i < 5; ++i) plotter.drawRollingPoint(i * 40, 0);
  const std::vector<std::uint8_t> presented = store.image(3)->pixels;
  ASSERT_FALSE(traced(presented, store.image(3)->rowLength).empty());
  const int repaints = control().repaints;

  EXPECT_EQ(plotter.drawRollingPoint(-1, 1), 0);
  EXPECT_EQ(control().repaints, repaints + 1);
  EXPECT_EQ(control().lastShown.image, 4);
  EXPECT_TRUE(traced(control().lastShown.pixels, control().lastShown.rowLength).empty());
  EXPECT_EQ(store.image(3)->pixels, presented);
  EXPECT_EQ(plotter.rollingTrace().rollingColumn(), 0);
  EXPECT_EQ(plotter.rollingTrace().rollingPrevious(), 0);
  EXPECT_EQ(plotter.rollingTrace().valuesDrawn(), 0);
  EXPECT_TRUE(statusBar.calls.empty());
}

TEST_F(TraceFixture, RollingPointIsShownAtOnceAndWrapsAfterColumn1000) {
  const int repaints = control().repaints;
  for (int i = 0; i < 1000; ++i) {
    ASSERT_EQ(plotter.drawRollingPoint(128, 0), 0);
    ASSERT_EQ(control().repaints, repaints + i + 1);
    ASSERT_EQ(control().lastShown.pixel(i, 127), blue) << i;
  }
  const std::vector<std::uint8_t> chart = store.image(4)->pixels;
  plotter.drawRollingPoint(3, 0);  // column 1000: presented twice, then cleared
  EXPECT_EQ(control().repaints, repaints + 1002);
  EXPECT_EQ(control().lastShown.pixels, chart);
  EXPECT_EQ(store.image(3)->pixels, chart);
  EXPECT_TRUE(tracedOn(4).empty());
  EXPECT_EQ(plotter.rollingTrace().rollingColumn(), 0);

  plotter.drawRollingPoint(9, 0);
  EXPECT_EQ(traced(control().lastShown.pixels, control().lastShown.rowLength),
            (std::set<Pixel>{{0, 246}}));
  EXPECT_TRUE(statusBar.calls.empty());
  EXPECT_TRUE(store.violations.empty());
}

// Images without pixels: the traces run their whole logic while the drawing
// itself is discarded, so thousands of values cost nothing.
class DiscardingImageStore final : public ImageStore {
 public:
  std::uintptr_t createImage(int, int, int) override { return 1; }
  PixelView startDrawing(int) override { return {}; }
  void stopDrawing() override {}
  std::uintptr_t copyImage(int, int) override { return 1; }
  bool swapImages(int, int) override { return true; }
  std::uintptr_t imageHandle(int) override { return 1; }
  void createImageControl(int, int, int, int, int, std::uintptr_t) override {}
  void showImage(int, int) override {}
};

struct StatisticsFixture : ::testing::Test {
  void SetUp() override {
    controls.add(baudBoxId).text = u"250000";
    plotter.buildCanvas();
  }
  std::vector<StatusCall> report(const char* rate, const char* values, const char* division,
                                 int count, int maximum = 25000) {
    return {textCall(0, textFromLatin1(rate), 4), textCall(1, textFromLatin1(values), 4),
            textCall(2, textFromLatin1(division), 4), progressCall(4, count, 0, maximum)};
  }

  DiscardingImageStore store;
  fakes::RecordingStatusBar statusBar;
  fakes::RecordingControls controls;
  fakes::FakeClock clock{5000};
  Plotter plotter{store, statusBar, controls, clock};
};

TEST_F(StatisticsFixture, TextsForValueCounts) {
  struct Row {
    int n;
    const char *rate, *values, *division;
  };
  const std::vector<Row> rows = {{25000, "0.03 s/FPS", "25000 Werte/s", "2.00 ms/DIV"},
                                 {2500, "0.32 s/FPS", "2500 Werte/s", "20.00 ms/DIV"},
                                 {1000, "0.80 s/FPS", "1000 Werte/s", "50.00 ms/DIV"},
                                 {1, "800.00 s/FPS", "1 Werte/s", "50000.00 ms/DIV"}};
  for (const Row& row : rows) {
    plotter.drawRollingPoint(-1, 1);
    statusBar.calls.clear();
    // Right after a reset the first kind-2 call reports at once, with n = 1.
    plotter.drawRollingPoint(50, 2);
    EXPECT_EQ(statusBar.calls, report("800.00 s/FPS", "1 Werte/s", "50000.00 ms/DIV", 1));
    statusBar.calls.clear();
    for (int i = 1; i < row.n; ++i) plotter.drawRollingPoint(i % 256, 2);
    EXPECT_TRUE(statusBar.calls.empty()) << row.n;
    clock.advance(1000);
    plotter.drawRollingPoint(7, 2);
    EXPECT_EQ(statusBar.calls, report(row.rate, row.values, row.division, row.n)) << row.n;
    EXPECT_EQ(plotter.rollingTrace().valuesDrawn(), 0);
  }
}

TEST_F(StatisticsFixture, ReportsAtMostOncePerSecondAndCountsKindZero) {
  plotter.drawRollingPoint(1, 2);
  statusBar.calls.clear();
  clock.advance(999);
  plotter.drawRollingPoint(1, 2);
  plotter.drawRollingPoint(1, 0);
  EXPECT_TRUE(statusBar.calls.empty());
  EXPECT_EQ(plotter.rollingTrace().valuesDrawn(), 2);
  clock.advance(1);
  plotter.drawRollingPoint(1, 2);
  EXPECT_EQ(statusBar.calls, report("266.67 s/FPS", "3 Werte/s", "16666.67 ms/DIV", 3));
  // Kind 0 never reports, however much time has passed.
  statusBar.calls.clear();
  clock.advance(5000);
  plotter.drawRollingPoint(1, 0);
  plotter.drawRollingPoint(1, 5);
  EXPECT_TRUE(statusBar.calls.empty());
}

TEST_F(StatisticsFixture, ElapsedTimeSurvivesTheClockWrap) {
  struct Case {
    const char* name;
    std::uint32_t lastUpdate;
    std::uint32_t later;
    bool reports;
  };
  const std::vector<Case> cases = {
      {"short of a second across the sign bit", 0x7FFFFE00u, 100, false},
      {"a second across the sign bit", 0x7FFFFE00u, 1000, true},
      {"short of a second across zero", 0xFFFFFE00u, 999, false},
      {"a second across zero", 0xFFFFFE00u, 1000, true},
  };
  for (const Case& c : cases) {
    plotter.drawRollingPoint(-1, 1);
    clock.now = c.lastUpdate;
    plotter.drawRollingPoint(1, 2);
    statusBar.calls.clear();
    clock.advance(c.later);
    plotter.drawRollingPoint(1, 2);
    EXPECT_EQ(!statusBar.calls.empty(), c.reports) << c.name;
  }
}

TEST_F(StatisticsFixture, FirstReportAfterResetDoesNotWaitForTheClock) {
  // A clock that reads less than a second since start must not hold back the
  // first report, nor must one that has just wrapped.
  for (const std::uint32_t now : {0u, 500u, 0xFFFFFFF0u}) {
    plotter.drawRollingPoint(-1, 1);
    statusBar.calls.clear();
    clock.now = now;
    plotter.drawRollingPoint(1, 2);
    EXPECT_EQ(statusBar.calls.size(), 4u) << now;
  }
}

TEST_F(StatisticsFixture, LineCapacityComesFromTheBaudText) {
  struct Case {
    const char* baud;
    int maximum;
  };
  const std::vector<Case> cases = {{"250000", 25000}, {"9600", 960}, {"", 0}, {"abc", 0},
                                   {"42949672970", 1}};  // 2^32 + 1 keeps its low 32 bits
  for (const Case& c : cases) {
    controls.at(baudBoxId).text = textFromLatin1(c.baud);
    plotter.drawRollingPoint(-1, 1);
    statusBar.calls.clear();
    plotter.drawRollingPoint(1, 2);
    ASSERT_EQ(statusBar.calls.size(), 4u);
    EXPECT_EQ(statusBar.calls[3], progressCall(4, 1, 0, c.maximum)) << c.baud;
  }
}

TEST_F(TraceFixture, SnapshotAlwaysHoldsTheLastPresentedPicture) {
  std::mt19937 random(99);
  std::vector<std::uint8_t> snapshot = store.image(3)->pixels;
  // A presentation copies image 4 into image 3, or trades the two.
  const auto presentations = [&] { return store.copies + store.swaps; };
  int presented = presentations();
  for (int step = 0; step < 3000; ++step) {
    const unsigned choice = random() % 20;
    if (choice < 14) {
      plotter.drawScopePoint(static_cast<int>(random() % 256));
    } else if (choice < 18) {
      plotter.drawRollingPoint(static_cast<int>(random() % 256), static_cast<int>(random() % 3));
    } else if (choice == 18) {
      plotter.drawRollingPoint(-1, 1);
    } else {
      plotter.showSnapshot();
      ASSERT_EQ(control().lastShown.pixels, snapshot);
    }
    if (presentations() != presented) {
      presented = presentations();
      snapshot = store.image(3)->pixels;
      ASSERT_EQ(control().lastShown.pixels, snapshot) << step;
    } else {
      ASSERT_EQ(store.image(3)->pixels, snapshot) << step;
    }
    ASSERT_EQ(store.openImage(), 4);
    ASSERT_TRUE(plotter.canvas().isDrawing());
  }
  EXPECT_TRUE(store.violations.empty());
}

}  // namespace
}  // namespace kurvlux
