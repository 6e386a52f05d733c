// Pixel results of boxes and lines, their clipping at the border, and that
// no argument whatsoever makes them store outside the image.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "render/raster.hpp"

namespace kurvlux {

inline void PrintTo(const PixelBox& box, std::ostream* out) {
  *out << "box at (" << box.x << ", " << box.y << "), " << box.width << " x " << box.height;
}

namespace {

using Pixel = std::pair<int, int>;
using PixelSet = std::set<Pixel>;

constexpr std::int32_t minInt = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t maxInt = std::numeric_limits<std::int32_t>::max();
constexpr ColourValue blue = 0xFF0000;

// A width x height image embedded in a larger black raster with a margin on
// every side: a store outside the image lands in the margin (or in the row
// padding) and shows up there.
class GuardedImage {
 public:
  static constexpr int margin = 4;

  GuardedImage(int width, int height, PixelLayout layout = PixelLayout::bottomUp24)
      : width_(width),
        height_(height),
        outerWidth_(width + 2 * margin),
        outerHeight_(height + 2 * margin),
        layout_(layout),
        bytes_(layout == PixelLayout::topDown32 ? 4 : 3),
        rowLength_(((bytes_ * outerWidth_ + 3) / 4) * 4),
        memory_(static_cast<std::size_t>(rowLength_) * static_cast<std::size_t>(outerHeight_), 0) {}

  // Either way the image's first memory row starts `margin` rows into the raster.
  PixelView view() {
    return PixelView{memory_.data() + margin * rowLength_ + bytes_ * margin, rowLength_, width_, height_, layout_,
                     &written_};
  }
  ColourValue outer(int x, int y) const {
    const std::size_t at = memoryRow(y) * rowLength_ + bytes_ * x;
    return rgb(memory_[at + 2], memory_[at + 1], memory_[at]);
  }
  ColourValue at(int x, int y) const { return outer(x + margin, y + margin); }
  // Pixels of the image that are not black.
  PixelSet drawn() const {
    PixelSet pixels;
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x)
        if (at(x, y) != 0) pixels.insert({x, y});
    return pixels;
  }
  // Every byte outside the image, padding included, is still zero.
  bool marginUntouched() const {
    for (int y = 0; y < outerHeight_; ++y) {
      for (int byte = 0; byte < rowLength_; ++byte) {
        const int x = byte / bytes_;
        const bool inside = x >= margin && x < margin + width_ && y >= margin && y < margin + height_;
        if (!inside && memory_[memoryRow(y) * rowLength_ + byte] != 0) return false;
      }
    }
    return true;
  }
  // What the view said drawing wrote.
  PixelBox written() const { return written_; }

 private:
  std::size_t memoryRow(int y) const {
    return static_cast<std::size_t>(layout_ == PixelLayout::topDown32 ? y : outerHeight_ - 1 - y);
  }
  int width_, height_, outerWidth_, outerHeight_;
  PixelLayout layout_;
  int bytes_;
  std::int32_t rowLength_;
  std::vector<std::uint8_t> memory_;
  PixelBox written_;
};

// The smallest box holding the pixels.
PixelBox boundsOf(const PixelSet& pixels) {
  PixelBox box;
  for (const auto& [x, y] : pixels) box = unite(box, PixelBox{x, y, 1, 1});
  return box;
}

// Draws on a fresh image in each layout; checks pixels, margin and reported box.
template <typename Draw>
void expectDrawn(int width, int height, const char* name, const PixelSet& expected, Draw draw) {
  for (const PixelLayout layout : {PixelLayout::bottomUp24, PixelLayout::topDown32}) {
    GuardedImage image(width, height, layout);
    DrawingTarget target(image.view());
    draw(target), target.reportWritten();
    const std::string where = std::string(name) + ", layout " + std::to_string(static_cast<int>(layout));
    EXPECT_EQ(image.drawn(), expected) << where;
    EXPECT_TRUE(image.marginUntouched()) << where;
    EXPECT_EQ(image.written(), boundsOf(expected)) << where;
  }
}

PixelSet rowPixels(int y, int from, int to) {
  PixelSet pixels;
  for (int x = from; x <= to; ++x) pixels.insert({x, y});
  return pixels;
}
PixelSet columnPixels(int x, int from, int to) {
  PixelSet pixels;
  for (int y = from; y <= to; ++y) pixels.insert({x, y});
  return pixels;
}

TEST(Rgb, AddsComponentsRedLowest) {
  EXPECT_EQ(rgb(255, 255, 255), 0xFFFFFF);
  EXPECT_EQ(rgb(0, 0, 255), 0xFF0000);
  EXPECT_EQ(rgb(255, 0, 0), 0x0000FF);
  EXPECT_EQ(rgb(256, 0, 0), 0x000100);  // carries into green, not masked
  EXPECT_EQ(rgb(187, 187, 187), 0xBBBBBB);
}

TEST(DrawingTarget, StoresBlueGreenRedBottomUp) {
  // Width 3: 9 bytes of pixels padded to a 12-byte row.
  std::vector<std::uint8_t> memory(12 * 2, 0);
  DrawingTarget target(PixelView{memory.data(), 12, 3, 2});
  target.drawLine(2, 0, 2, 0, 0x332211);  // top row, last column
  const std::vector<std::uint8_t> expected = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                              0, 0, 0, 0, 0, 0, 0x33, 0x22, 0x11, 0, 0, 0};
  EXPECT_EQ(memory, expected);
}

TEST(DrawingTarget, LongRunsKeepBlueGreenRedInEveryPixel) {
  // Runs of four or more pixels are stored in blocks of four; each length
  // below ends the run at a different point of a block.
  for (const int length : {4, 5, 7}) {
    SCOPED_TRACE(length);
    const std::int32_t rowLength = ((3 * 8 + 3) / 4) * 4;
    std::vector<std::uint8_t> memory(static_cast<std::size_t>(rowLength) * 2, 0);
    DrawingTarget target(PixelView{memory.data(), rowLength, 8, 2});
    target.drawLine(1, 0, length, 0, 0x332211);  // top row, the last in memory
    target.fillBox(1, 1, length, 1, 0x665544);   // bottom row, the first
    for (int x = 0; x < 8; ++x) {
      SCOPED_TRACE(x);
      using Bytes = std::vector<std::uint8_t>;
      const bool inRun = x >= 1 && x <= length;
      const std::uint8_t* top = memory.data() + rowLength + 3 * x;
      const std::uint8_t* bottom = memory.data() + 3 * x;
      EXPECT_EQ(Bytes(top, top + 3), inRun ? Bytes({0x33, 0x22, 0x11}) : Bytes(3, 0));
      EXPECT_EQ(Bytes(bottom, bottom + 3), inRun ? Bytes({0x66, 0x55, 0x44}) : Bytes(3, 0));
    }
  }
}

struct LineCase {
  const char* name;
  std::int32_t x1, y1, x2, y2;
  PixelSet expected;
};

TEST(DrawLine, PixelsOnTheCanvasSizedImage) {
  const std::vector<LineCase> cases = {
      {"steep down-right", 5, 0, 6, 4, {{5, 0}, {5, 1}, {6, 2}, {6, 3}, {6, 4}}},
      {"steep given bottom end first", 6, 4, 5, 0, {{5, 0}, {5, 1}, {6, 2}, {6, 3}, {6, 4}}},
      {"steep down-left", 5, 4, 6, 0, {{6, 0}, {6, 1}, {5, 2}, {5, 3}, {5, 4}}},
      {"steep down-left reversed", 6, 0, 5, 4, {{6, 0}, {6, 1}, {5, 2}, {5, 3}, {5, 4}}},
      {"trace segment at column 500", 499, 245, 500, 241,
       {{500, 241}, {500, 242}, {499, 243}, {499, 244}, {499, 245}}},
      {"e = 0 steps the minor axis", 0, 0, 2, 1, {{0, 0}, {1, 1}, {2, 1}}},
      {"flat, right to left", 2, 1, 0, 0, {{0, 0}, {1, 1}, {2, 1}}},
      {"flat rising", 4, 0, 0, 2, {{0, 2}, {1, 1}, {2, 1}, {3, 0}, {4, 0}}},
      {"diagonal is x major", 3, 3, 0, 0, {{0, 0}, {1, 1}, {2, 2}, {3, 3}}},
      {"single pixel", 7, 7, 7, 7, {{7, 7}}},
      {"left end cut to one pixel", -1, 10, 0, 20, {{0, 20}}},
      {"horizontal cut at the left", -1, 10, 0, 10, {{0, 10}}},
      {"right end cut to one pixel", 999, 10, 1000, 20, {{999, 10}}},
      {"column outside on the right", 1000, 0, 1000, 255, {}},
      {"whole column", 950, 0, 950, 255, columnPixels(950, 0, 255)},
      {"column given bottom end first", 3, 9, 3, 6, columnPixels(3, 6, 9)},
      {"row right to left", 9, 4, 6, 4, rowPixels(4, 6, 9)},
      {"row cut at 999", 0, 32, 1000, 32, rowPixels(32, 0, 999)},
      {"column clip moves y", -10, 0, 10, 20, {{0, 10}, {1, 11}, {2, 12}, {3, 13}, {4, 14}, {5, 15},
                                               {6, 16}, {7, 17}, {8, 18}, {9, 19}, {10, 20}}},
      {"row clip moves x", 0, -10, 20, 10, {{10, 0}, {11, 1}, {12, 2}, {13, 3}, {14, 4}, {15, 5},
                                             {16, 6}, {17, 7}, {18, 8}, {19, 9}, {20, 10}}},
      // y = -5 + 2 * 7/4 = -1.5 truncates to -1 (not -2), and the row clip
      // then starts from (0, -1).
      {"clip truncates toward zero", -2, -5, 2, 2, {{0, 0}, {1, 1}, {2, 2}}},
      {"clip to a steep rest", -1, 5, 2, 0, {{2, 0}, {1, 1}, {1, 2}, {0, 3}}},
      {"both ends beyond the bottom", 10, 256, 20, 300, {}},
      {"both ends left of the image", -20, 0, -1, 100, {}},
      {"through a corner only", -1, 1, 1, -1, {{0, 0}}},
  };
  for (const LineCase& c : cases)
    expectDrawn(1000, 256, c.name, c.expected, [&](DrawingTarget& t) { t.drawLine(c.x1, c.y1, c.x2, c.y2, blue); });
}

TEST(DrawLine, LongClippedLineKeepsItsEnds) {
  // Both ends outside: each is moved with the slope of the original ends.
  GuardedImage image(1000, 256);
  DrawingTarget target(image.view());
  target.drawLine(-10, 0, 1010, 102, blue);
  const PixelSet drawn = image.drawn();
  EXPECT_EQ(drawn.size(), 1000u);
  EXPECT_EQ(*drawn.begin(), Pixel(0, 1));
  EXPECT_EQ(*drawn.rbegin(), Pixel(999, 100));
}

struct BoxCase {
  const char* name;
  std::int32_t x, y, w, h;
  PixelSet expected;
};

PixelSet boxPixels(int x0, int y0, int x1, int y1) {
  PixelSet pixels;
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) pixels.insert({x, y});
  return pixels;
}

TEST(FillBox, PixelsOnASmallImage) {
  const std::vector<BoxCase> cases = {
      {"inside, far edges exclusive", 2, 1, 3, 2, boxPixels(2, 1, 4, 2)},
      {"negative width mirrors at the start", 10, 0, -5, 1, boxPixels(5, 0, 9, 0)},
      {"negative height mirrors at the start", 2, 5, 3, -2, boxPixels(2, 3, 4, 4)},
      {"cut at top left", -2, -1, 4, 3, boxPixels(0, 0, 1, 1)},
      {"taller than the image", 0, 0, 12, 300, boxPixels(0, 0, 11, 7)},
      {"zero width", 3, 3, 0, 4, {}},
      {"entirely right of the image", 12, 0, 5, 5, {}},
      {"huge size from inside", -5, -5, maxInt, maxInt, boxPixels(0, 0, 11, 7)},
      {"size overflowing 32 bits", maxInt, maxInt, minInt, minInt, boxPixels(0, 0, 11, 7)},
      {"start at the minimum", minInt, minInt, maxInt, maxInt, {}},
      {"most negative width", 3, 2, minInt, 1, boxPixels(0, 2, 2, 2)},
  };
  for (const BoxCase& c : cases)
    expectDrawn(12, 8, c.name, c.expected, [&](DrawingTarget& t) { t.fillBox(c.x, c.y, c.w, c.h, blue); });
}

TEST(DrawLine, ExtremeArgumentsDrawTheClippedPart) {
  const std::vector<LineCase> cases = {
      {"row from minimum to maximum", minInt, 3, maxInt, 3, rowPixels(3, 0, 11)},
      {"column from minimum to maximum", 4, maxInt, 4, minInt, columnPixels(4, 0, 7)},
      {"full diagonal", minInt, minInt, maxInt, maxInt,
       {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {6, 6}, {7, 7}}},
      {"row far below", minInt, maxInt, maxInt, maxInt, {}},
      {"point far away", minInt, minInt, minInt, minInt, {}},
      {"steep far outside", 11, minInt, 12, maxInt, {}},
  };
  for (const LineCase& c : cases) {
    GuardedImage image(12, 8);
    DrawingTarget target(image.view());
    target.drawLine(c.x1, c.y1, c.x2, c.y2, blue);
    EXPECT_EQ(image.drawn(), c.expected) << c.name;
    EXPECT_TRUE(image.marginUntouched()) << c.name;
  }
}

TEST(DrawLine, RandomExtremeArgumentsNeverStoreOutside) {
  std::mt19937 random(20240611);
  const std::vector<std::int32_t> edgeValues = {minInt, minInt + 1, -65536, -1001, -1, 0, 1, 5,
                                              11, 12, 255, 256, 1000, 65535, maxInt - 1, maxInt};
  std::uniform_int_distribution<std::size_t> pick(0, edgeValues.size() - 1);
  std::uniform_int_distribution<std::int32_t> any(minInt, maxInt);
  std::uniform_int_distribution<std::int32_t> near(-40, 50);
  GuardedImage image(12, 8);
  DrawingTarget target(image.view());
  for (int i = 0; i < 20000; ++i) {
    std::int32_t v[6];
    for (std::int32_t& value : v) {
      const int choice = static_cast<int>(random() % 3);
      value = choice == 0 ? edgeValues[pick(random)] : choice == 1 ? any(random) : near(random);
    }
    if (i % 2 == 0) {
      target.drawLine(v[0], v[1], v[2], v[3], blue);
    } else {
      target.fillBox(v[0], v[1], v[2], v[3], blue);
    }
  }
  EXPECT_TRUE(image.marginUntouched());
  EXPECT_FALSE(image.drawn().empty());
}

TEST(DrawLine, UnclippedLinesAreConnectedAndReachBothEnds) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> x(0, 39), y(0, 29);
  for (int i = 0; i < 2000; ++i) {
    GuardedImage image(40, 30);
    DrawingTarget target(image.view());
    const int x1 = x(random), y1 = y(random), x2 = x(random), y2 = y(random);
    target.drawLine(x1, y1, x2, y2, blue);
    const PixelSet drawn = image.drawn();
    const std::size_t major = static_cast<std::size_t>(std::max(std::abs(x2 - x1), std::abs(y2 - y1)));
    ASSERT_EQ(drawn.size(), major + 1) << x1 << "," << y1 << " " << x2 << "," << y2;
    ASSERT_TRUE(drawn.count({x1, y1}) && drawn.count({x2, y2}));
    // Each pixel but the last has a neighbour one step further along the major axis.
    const bool xMajor = std::abs(y2 - y1) <= std::abs(x2 - x1);
    for (const Pixel& p : drawn) {
      const int along = xMajor ? p.first : p.second;
      const int end = xMajor ? std::max(x1, x2) : std::max(y1, y2);
      if (along == end) continue;
      int neighbours = 0;
      for (int d = -1; d <= 1; ++d) {
        const Pixel next = xMajor ? Pixel(p.first + 1, p.second + d) : Pixel(p.first + d, p.second + 1);
        neighbours += static_cast<int>(drawn.count(next));
      }
      ASSERT_EQ(neighbours, 1) << x1 << "," << y1 << " " << x2 << "," << y2;
    }
  }
}

TEST(DrawingTarget, SplitsTheColourOnlyWhenItChanges) {
  GuardedImage image(12, 8);
  DrawingTarget target(image.view());
  // Opened with colour 0: drawing black needs no split.
  target.drawLine(0, 0, 0, 0, 0);
  EXPECT_EQ(target.colourSplits(), 0);
  target.drawLine(0, 0, 1, 0, blue);
  EXPECT_EQ(target.colourSplits(), 1);
  EXPECT_EQ(image.at(0, 0), blue);  // the new colour takes effect on this very call
  target.fillBox(0, 1, 2, 1, blue);
  EXPECT_EQ(target.colourSplits(), 1);
  target.drawLine(0, 2, 0, 2, 0xBBBBBB);
  EXPECT_EQ(target.colourSplits(), 2);
  EXPECT_EQ(image.at(0, 2), 0xBBBBBB);
  // Bits 24-31 make a different colour value but leave the pixel bytes alone.
  target.drawLine(1, 2, 1, 2, 0x7F0000FF);
  EXPECT_EQ(target.colourSplits(), 3);
  EXPECT_EQ(image.at(1, 2), 0x0000FF);
  EXPECT_EQ(image.at(0, 0), blue);
}

TEST(DrawingTarget, ClosedOrEmptyTargetDrawsNothing) {
  DrawingTarget closed;
  closed.fillBox(0, 0, 10, 10, blue);
  closed.drawLine(0, 0, 5, 3, blue);
  EXPECT_FALSE(closed.isOpen());
  std::vector<std::uint8_t> memory(16, 0);
  DrawingTarget shortRows(PixelView{memory.data(), 4, 2, 2});  // rows too short for 2 pixels
  shortRows.fillBox(0, 0, 2, 2, blue);
  EXPECT_FALSE(shortRows.isOpen());
  EXPECT_EQ(memory, std::vector<std::uint8_t>(16, 0));
}

}  // namespace
}  // namespace kurvlux
