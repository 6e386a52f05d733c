// The canvas over an in-memory image store: the picture it builds, what the
// image control shows after each operation, and the drawing protocol.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/memory_image_store.hpp"
#include "render/canvas.hpp"
#include "ui/controls.hpp"

namespace kurvlux {
namespace {

using fakes::MemoryImageStore;

constexpr ColourValue white = 0xFFFFFF;
constexpr ColourValue grey = 0xBBBBBB;

// Background and grid: grey on every 50th column and every 32nd row.
bool isCleanCanvas(const std::vector<std::uint8_t>& pixels, std::int32_t rowLength) {
  for (int y = 0; y < 256; ++y) {
    for (int x = 0; x < 1000; ++x) {
      const ColourValue expected = (x % 50 == 0 || y % 32 == 0) ? grey : white;
      if (fakes::pixelColour(pixels, rowLength, 256, x, y) != expected) return false;
    }
  }
  return true;
}

struct CanvasFixture : ::testing::Test {
  void SetUp() override { canvas.buildCanvas(); }
  const fakes::MemoryImageControl& control() const { return *store.control(imageControlId); }
  const fakes::MemoryImage& image(int number) const { return *store.image(number); }

  MemoryImageStore store;
  PlotCanvas canvas{store};
};

TEST(RowOfValue, PutsZeroAtTheBottom) {
  EXPECT_EQ(rowOfValue(0), 255);
  EXPECT_EQ(rowOfValue(255), 0);
  EXPECT_EQ(rowOfValue(128), 127);
  EXPECT_EQ(rowOfValue(-1), 256);
}

TEST_F(CanvasFixture, BuildShowsBackgroundAndGridInTheSnapshot) {
  ASSERT_NE(store.control(imageControlId), nullptr);
  EXPECT_EQ(control().x, 0);
  EXPECT_EQ(control().y, 0);
  EXPECT_EQ(control().width, 1000);
  EXPECT_EQ(control().height, 256);
  EXPECT_EQ(control().lastShown.image, PlotCanvas::snapshotImage);
  EXPECT_EQ(control().bitmap, store.imageHandle(3));
  const fakes::ShownPicture& shown = control().lastShown;
  struct Probe {
    int x, y;
    ColourValue colour;
  };
  const std::vector<Probe> probes = {{0, 0, grey},   {1, 1, white},     {50, 100, grey},
                                     {999, 0, grey}, {999, 1, white},   {0, 255, grey},
                                     {999, 255, white}, {510, 224, grey}, {510, 225, white},
                                     {500, 225, grey}};
  for (const Probe& p : probes) EXPECT_EQ(shown.pixel(p.x, p.y), p.colour) << p.x << "," << p.y;
  EXPECT_TRUE(isCleanCanvas(shown.pixels, shown.rowLength));
  EXPECT_EQ(image(3).pixels, image(4).pixels);
  EXPECT_EQ(store.openImage(), PlotCanvas::drawingImage);
  EXPECT_TRUE(canvas.target().isOpen());
  EXPECT_TRUE(store.violations.empty());
}

TEST_F(CanvasFixture, ClearDoesNotShowAndSnapshotKeepsTheOldPicture) {
  canvas.target().drawLine(10, 10, 20, 20, 0xFF0000);
  canvas.presentCanvas();
  const std::vector<std::uint8_t> presented = image(4).pixels;
  const int repaints = control().repaints;

  canvas.clearCanvas();
  EXPECT_EQ(control().repaints, repaints);
  EXPECT_TRUE(isCleanCanvas(image(4).pixels, image(4).rowLength));
  EXPECT_EQ(image(3).pixels, presented);

  canvas.showSnapshot();
  EXPECT_EQ(control().lastShown.image, 3);
  EXPECT_EQ(control().lastShown.pixels, presented);

  canvas.showCanvas();
  EXPECT_EQ(control().lastShown.image, 4);
  EXPECT_TRUE(isCleanCanvas(control().lastShown.pixels, control().lastShown.rowLength));
  EXPECT_EQ(image(3).pixels, presented);

  canvas.showSnapshot();
  EXPECT_EQ(control().lastShown.pixels, presented);
  EXPECT_EQ(store.openImage(), 4);
  EXPECT_TRUE(store.violations.empty());
}

TEST_F(CanvasFixture, PresentCopiesThenShowsTheDrawingImage) {
  canvas.target().drawLine(0, 0, 999, 255, 0xFF0000);
  canvas.presentCanvas();
  EXPECT_EQ(control().lastShown.image, 4);
  EXPECT_EQ(control().lastShown.pixels, image(3).pixels);
  EXPECT_EQ(image(3).pixels, image(4).pixels);
  EXPECT_FALSE(isCleanCanvas(image(3).pixels, image(3).rowLength));
  // Drawing after the presentation leaves the copy alone.
  canvas.target().fillBox(0, 0, 1000, 256, 0);
  EXPECT_NE(image(3).pixels, image(4).pixels);
  EXPECT_EQ(store.openImage(), 4);
  EXPECT_TRUE(store.violations.empty());
}

// What the control shows and the images hold, after each step of a script.
std::vector<std::vector<std::uint8_t>> picturesOf(const MemoryImageStore& store) {
  return {store.control(imageControlId)->lastShown.pixels, store.image(3)->pixels, store.image(4)->pixels};
}

TEST(PresentAndClear, LeavesThePicturesOfPresentThenClear) {
  MemoryImageStore copying, swapping;
  PlotCanvas byCopy{copying}, bySwap{swapping};
  byCopy.buildCanvas();
  bySwap.buildCanvas();
  for (int frame = 0; frame < 4; ++frame) {
    // Traces, steep and cut at the border; the last frame draws past the
    // canvas's bookkeeping, which must then restore everything.
    for (PlotCanvas* canvas : {&byCopy, &bySwap}) {
      for (int x = 0; x <= 1000; x += 7) canvas->drawLine(x - 7, (x * frame) % 300 - 20, x, (x * 3) % 256, 0xFF0000);
      if (frame == 3) canvas->target().fillBox(500, 10, 3, 3, 0x00FF00);
    }
    byCopy.presentCanvas();
    byCopy.clearCanvas();
    bySwap.presentAndClear();
    EXPECT_TRUE(isCleanCanvas(swapping.image(4)->pixels, swapping.image(4)->rowLength)) << frame;
    EXPECT_EQ(picturesOf(swapping), picturesOf(copying)) << frame;
    // Whatever comes next sees the same pictures.
    byCopy.showSnapshot();
    bySwap.showSnapshot();
    EXPECT_EQ(picturesOf(swapping), picturesOf(copying)) << frame;
    if (frame == 1) {
      byCopy.showCanvas();
      bySwap.showCanvas();
      EXPECT_EQ(picturesOf(swapping), picturesOf(copying)) << frame;
    }
  }
  EXPECT_EQ(swapping.copies, 1);  // the one at build
  EXPECT_TRUE(swapping.violations.empty());
  EXPECT_EQ(swapping.openImage(), PlotCanvas::drawingImage);
}

TEST(MemoryImageStore, ReportsBrokenProtocol) {
  MemoryImageStore store;
  store.createImage(4, 8, 2);
  EXPECT_EQ(store.image(4)->rowLength, 24);
  EXPECT_EQ(store.pixel(4, 7, 1), 0);
  store.startDrawing(4);
  EXPECT_TRUE(store.violations.empty());
  store.createImageControl(5, 0, 0, 10, 10, store.imageHandle(4));
  EXPECT_EQ(store.copyImage(3, 4), 0u);  // no image 3
  EXPECT_EQ(store.copyImage(4, 3) != 0, true);
  store.startDrawing(3);
  EXPECT_EQ(store.violations.size(), 3u);  // shown open, copied open, second target
  EXPECT_EQ(store.createImage(3, 2, 2), 0u);  // replacing the open image is refused
  EXPECT_EQ(store.violations.size(), 4u);
}

}  // namespace
}  // namespace kurvlux
