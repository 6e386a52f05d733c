// The plot canvas: image 4 is drawn on, image 3 keeps the last presented
// picture, image control 5 shows one of them. Between canvas operations
// drawing is always open on image 4, and target() is how the traces reach it.
#pragma once

#include <cstdint>

#include "render/image_store.hpp"
#include "render/raster.hpp"

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
  // Image 3 becomes a copy of image 4, which the control then shows.
  void presentCanvas();
  // Shows image 4 without copying it: image 3 keeps the older picture.
  void showCanvas();
  // Shows image 3, the last presented picture.
  void showSnapshot();

  DrawingTarget& target() { return target_; }

 private:
  void stopDrawing();
  void startDrawing();

  ImageStore& store_;
  DrawingTarget target_;
};

}  // namespace kurvlux
