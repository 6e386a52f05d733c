// The plot canvas: image 4 is drawn on, image 3 keeps the last presented
// picture, image control 5 shows one of them. Between canvas operations
// drawing is always open on image 4, where the traces draw their lines.
#pragma once

#include <cstdint>
#include <vector>

#include "render/image_store.hpp"
#include "render/raster.hpp"
#include "render/touched_columns.hpp"

namespace kurvlux {

// Row of a sample value: value 0 on the bottom row 255, 255 on the top row.
// Wraps like 32-bit arithmetic for values far outside a byte.
constexpr std::int32_t rowOfValue(std::int32_t value) {
  return static_cast<std::int32_t>(255u - static_cast<std::uint32_t>(value));
}

class PlotCanvas {
 public:
  static constexpr int width = 1000;
  static constexpr int height = 256;
  static constexpr int snapshotImage = 3;
  static constexpr int drawingImage = 4;
  static constexpr ColourValue backgroundColour = rgb(255, 255, 255);
  static constexpr ColourValue gridColour = 0xBBBBBB;

  explicit PlotCanvas(ImageStore& store) : store_(store) {}

  // Creates both images and the image control, draws background and grid,
  // shows the snapshot and leaves drawing open on image 4.
  void buildCanvas();
  // Background and grid over the whole drawing image; nothing is shown.
  void clearCanvas();
  // Image 3 becomes a copy of image 4, which the control then shows. While
  // the picture shown last still waits for the display's next frame, the
  // present is held back instead: it would only replace that picture unseen.
  void presentCanvas();
  // Makes a present that was held back, once the display's frame has come.
  void finishPresent();
  // presentCanvas followed by clearCanvas, the same pictures for less work:
  // image 4's pixels would be copied into image 3 and then overwritten, so
  // the two images trade places instead and the control shows the finished
  // picture under its new number 3.
  void presentAndClear();
  // Shows image 4 without copying it: image 3 keeps the older picture.
  void showCanvas();
  // Shows image 3, the last presented picture.
  void showSnapshot();

  // A line on image 4; the canvas remembers where, so the next clear puts
  // back only those pixels.
  void drawLine(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2, ColourValue colour) {
    drawingTouched_.addLine(x1, y1, x2, y2);
    target_.drawLine(x1, y1, x2, y2, colour);
  }
  // Whether image 4 is open, as it is between operations unless the store
  // failed.
  bool isDrawing() const { return target_.isOpen(); }

 private:
  void stopDrawing();
  void startDrawing();
  void drawBackgroundAndGrid();
  void copyToSnapshot();
  // Image 3 takes a present that was held back, so it is again the last
  // picture presented.
  void settleSnapshot();

  ImageStore& store_;
  DrawingTarget target_;
  // The pixels of the first clear, which every later clear copies where
  // image 4 was drawn on: the background and grid are always the same
  // picture.
  std::vector<std::uint8_t> cleared_;
  PixelView clearedLayout_;
  // Where images 4 and 3 differ from the cleared picture.
  TouchedColumns drawingTouched_;
  TouchedColumns snapshotTouched_;
  bool presentOwed_ = false;
};

}  // namespace kurvlux
