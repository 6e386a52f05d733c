// The canvas over an in-memory image store: the picture it builds, what the
// image control shows after each operation, and the drawing protocol.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
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
  EXPECT_TRUE(isCleanCanvas(shown.pixels, shown.rowLength));
  EXPECT_EQ(image(3).pixels, image(4).pixels);
  EXPECT_EQ(store.openImage(), PlotCanvas::drawingImage);
  EXPECT_TRUE(canvas.isDrawing());
  EXPECT_TRUE(store.violations.empty());
}

// The canvas against plain copies of whole pictures: image 4 holds what was
// drawn since the last clear, image 3 the picture last presented, and the
// control what was shown last, whatever the order of operations. The script
// draws a chart, resets it, switches to oscilloscope frames and back; its
// lines run either way and past the border, as the partial clear must follow.
TEST_F(CanvasFixture, EveryOperationLeavesThePicturesOfWholeCopies) {
  const std::vector<std::uint8_t> clean = image(4).pixels;
  std::vector<std::uint8_t> drawing = clean, snapshot = clean, shown = clean;
  DrawingTarget model(PixelView{drawing.data(), image(4).rowLength, 1000, 256});
  // l: line, c: clear, p: present, x: present and clear, s: show canvas, n: show snapshot.
  const std::string script = "lplplplpxlplplnpsclplplpxlllxllxnlxxlplpscllxlln";
  int line = 0;
  for (std::size_t step = 0; step < script.size(); ++step) {
    switch (script[step]) {
      case 'l': {
        ++line;
        const int x1 = line * 397 % 1060 - 30, y1 = line * 151 % 300 - 20, y2 = line * 83 % 300 - 20;
        // Mostly a trace's short step to the right, every third one leftwards.
        const int x2 = x1 + (line % 3 == 0 ? -1 : 1) * (line % 17 + (line % 5 == 0 ? 400 : 0));
        canvas.drawLine(x1, y1, x2, y2, 0xFF0000);
        model.drawLine(x1, y1, x2, y2, 0xFF0000);
        break;
      }
      case 'c': canvas.clearCanvas(); drawing.assign(clean.begin(), clean.end()); break;
      case 'p': canvas.presentCanvas(); snapshot = shown = drawing; break;
      case 'x': canvas.presentAndClear(); snapshot = shown = drawing; drawing.assign(clean.begin(), clean.end()); break;
      case 's': canvas.showCanvas(); shown = drawing; break;
      case 'n': canvas.showSnapshot(); shown = snapshot; break;
    }
    ASSERT_EQ(image(4).pixels, drawing) << "image 4 after " << script.substr(0, step + 1);
    ASSERT_EQ(image(3).pixels, snapshot) << "image 3 after " << script.substr(0, step + 1);
    ASSERT_EQ(control().lastShown.pixels, shown) << "shown after " << script.substr(0, step + 1);
  }
  EXPECT_EQ(store.copies, 1 + static_cast<int>(std::count(script.begin(), script.end(), 'p')));
  EXPECT_EQ(store.openImage(), PlotCanvas::drawingImage);
  EXPECT_TRUE(store.violations.empty());
}

// While the last picture shown waits for the display's frame, a present is
// held back; the frame's coming, a clear, a re-show of the snapshot or a
// frame's end each make it, so image 3 never lags behind.
TEST_F(CanvasFixture, APresentHeldBackForTheDisplaysFrameIsNeverLost) {
  std::vector<std::uint8_t> drawing = image(4).pixels, snapshot = drawing, shown = drawing;
  const std::vector<std::uint8_t> clean = drawing;
  DrawingTarget model(PixelView{drawing.data(), image(4).rowLength, 1000, 256});
  // w: a frame waits, f: it came (the loop finishes a present), l: line,
  // p: present, c: clear, n: show snapshot, x: present and clear.
  const std::string script = "wlplplpflpfwlpnlpfwlplcfwlpxlpfwlplpf";
  bool owed = false;
  for (std::size_t step = 0; step < script.size(); ++step) {
    const int k = static_cast<int>(step);
    const auto settle = [&] { if (std::exchange(owed, false)) snapshot = drawing; };
    switch (script[step]) {
      case 'w': store.showsPending = true; break;
      case 'f': store.showsPending = false, canvas.finishPresent(), shown = owed ? drawing : shown, settle(); break;
      case 'l': canvas.drawLine(k * 37, k * 11, k * 37 + 5, k, 0xFF), model.drawLine(k * 37, k * 11, k * 37 + 5, k, 0xFF); break;
      case 'p':
        if (canvas.presentCanvas(), owed = store.showsPending; !owed) snapshot = shown = drawing;
        break;
      case 'c': canvas.clearCanvas(), settle(), drawing = clean; break;
      case 'n': canvas.showSnapshot(), settle(), shown = snapshot; break;
      case 'x': canvas.presentAndClear(), owed = false, snapshot = shown = drawing, drawing = clean; break;
    }
    ASSERT_EQ(image(3).pixels, snapshot) << "image 3 after " << script.substr(0, step + 1);
    ASSERT_EQ(control().lastShown.pixels, shown) << "shown after " << script.substr(0, step + 1);
    ASSERT_EQ(image(4).pixels, drawing) << "image 4 after " << script.substr(0, step + 1);
  }
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
