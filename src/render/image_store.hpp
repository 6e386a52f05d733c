// Numbered images and the image control, as the canvas sees them. Pixel
// writing itself is portable (raster.hpp) and works on the PixelView of the
// image that is open for drawing.
#pragma once

#include <cstdint>

#include "render/pixel_box.hpp"

namespace kurvlux {

// How an image's pixels lie in memory. Either way a pixel's bytes run blue,
// green, red.
enum class PixelLayout : std::uint8_t {
  // Three bytes a pixel, rows bottom-up: a Windows DIB.
  bottomUp24,
  // Four bytes a pixel (the last unused), rows top-down: cairo's RGB24 on a
  // little-endian machine, which GTK paints without converting.
  topDown32,
};

// The memory of an image open for drawing.
struct PixelView {
  std::uint8_t* pixels = nullptr;  // the first byte of the memory
  std::int32_t rowLength = 0;      // bytes from one row of memory to the next
  std::int32_t width = 0;
  std::int32_t height = 0;
  PixelLayout layout = PixelLayout::bottomUp24;
  // Where set, every pixel written through the view is added to this box,
  // at the latest when drawing stops (a drawing target reports its own), so
  // a store learns where drawing changed the image without comparing
  // pictures.
  PixelBox* written = nullptr;

  std::int32_t pixelBytes() const { return layout == PixelLayout::topDown32 ? 4 : 3; }
  // Bytes from row y to row y + 1 (down the picture).
  std::int64_t rowStep() const {
    return layout == PixelLayout::topDown32 ? rowLength : -std::int64_t{rowLength};
  }
  // Byte offset of pixel (x, y), rows counted from the top.
  std::int64_t offsetOf(std::int64_t x, std::int64_t y) const {
    const std::int64_t memoryRow = layout == PixelLayout::topDown32 ? y : height - 1 - y;
    return memoryRow * rowLength + x * pixelBytes();
  }
  void noteWritten(const PixelBox& box) const {
    if (written) *written = unite(*written, box);
  }
};

class ImageStore {
 public:
  virtual ~ImageStore() = default;
  // A new width x height image, every pixel black; returns its handle, 0 on failure.
  virtual std::uintptr_t createImage(int number, int width, int height) = 0;
  // Opens the image for drawing; a view with null pixels when the number
  // holds no usable image. The program stops drawing before it opens again.
  virtual PixelView startDrawing(int number) = 0;
  virtual void stopDrawing() = 0;
  // The target becomes an independent copy of the source; its handle, 0 on failure.
  virtual std::uintptr_t copyImage(int source, int target) = 0;
  // The two numbers trade their images, pixels and handles alike: where one
  // picture is copied into the other only to be overwritten right after, a
  // swap leaves the same pictures for nothing. False, and nothing changed,
  // when either number holds no image or is open for drawing.
  virtual bool swapImages(int first, int second) = 0;
  virtual std::uintptr_t imageHandle(int number) = 0;
  // Creates the control that displays an image, sized to the bitmap at once.
  virtual void createImageControl(int control, int x, int y, int width, int height,
                                  std::uintptr_t bitmap) = 0;
  // The control displays the image and repaints before this returns.
  virtual void showImage(int control, int number) = 0;
  // True while the picture last shown in the control waits for the display's
  // next frame; a store that repaints at once never has one waiting.
  virtual bool showPending(int /*control*/) { return false; }
};

}  // namespace kurvlux
