// Boxes, lines and runs written straight into the pixel memory of the image
// that is open for drawing. Everything is clipped at the image border before
// a byte is stored, whatever the arguments.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>

#include "render/image_store.hpp"

namespace kurvlux {

// Colour value: red in bits 0-7, green in 8-15, blue in 16-23.
using ColourValue = std::int32_t;

// The components are added, not masked: a component above 255 carries into
// the next one. Computed modulo 2^32 so no argument overflows.
constexpr ColourValue rgb(std::int32_t red, std::int32_t green, std::int32_t blue) {
  const std::uint32_t sum = static_cast<std::uint32_t>(red) + static_cast<std::uint32_t>(green) * 256u +
                            static_cast<std::uint32_t>(blue) * 65536u;
  return static_cast<ColourValue>(sum);
}

class DrawingTarget {
 public:
  // A closed target: every drawing call does nothing.
  DrawingTarget() = default;
  // Opens a target on the view; the current colour starts as 0 (black).
  explicit DrawingTarget(const PixelView& view);

  bool isOpen() const { return open_; }
  const PixelView& view() const { return view_; }

  // Filled box over columns x..x+w-1 and rows y..y+h-1; a negative size
  // mirrors the box at its start edge.
  void fillBox(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height, ColourValue colour);
  // Line from (x1, y1) to (x2, y2), both ends included.
  void drawLine(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2, ColourValue colour);

  // Adds the box of what the target drew since it opened to the view's
  // written box. Kept in the target until then: a line of a fast board is a
  // few pixels, and a store through the view per line made drawing a sample
  // about 15 % slower.
  void reportWritten();

  ColourValue currentColour() const { return colour_; }
  // How often a colour value has been split into components since opening.
  std::int64_t colourSplits() const { return colourSplits_; }

 private:
  void selectColour(ColourValue colour);
  // Runs in the current colour; they clip against the image themselves.
  void horizontalRun(std::int64_t x, std::int64_t y, std::int64_t count);
  void verticalRun(std::int64_t x, std::int64_t y, std::int64_t count);
  void walkLine(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2);
  std::uint8_t* pixelAddress(std::int64_t x, std::int64_t y) const;
  // Columns left..right and rows top..bottom (clipped) are drawn.
  void noteDrawn(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom) {
    drawnLeft_ = std::min(drawnLeft_, static_cast<std::int32_t>(left));
    drawnTop_ = std::min(drawnTop_, static_cast<std::int32_t>(top));
    drawnRight_ = std::max(drawnRight_, static_cast<std::int32_t>(right));
    drawnBottom_ = std::max(drawnBottom_, static_cast<std::int32_t>(bottom));
  }
  void writePixel(std::uint8_t* pixel) const {
    pixel[0] = blue_;
    pixel[1] = green_;
    pixel[2] = red_;
  }

  PixelView view_;
  // The view's steps, taken once: a line's pixels are only a few.
  std::uint8_t* top_ = nullptr;  // pixel (0, 0)
  std::int64_t down_ = 0;
  std::int64_t right_ = 0;
  bool open_ = false;
  ColourValue colour_ = 0;
  std::uint8_t red_ = 0;
  std::uint8_t green_ = 0;
  std::uint8_t blue_ = 0;
  std::int64_t colourSplits_ = 0;
  // The box drawn so far, as edges; none while drawnRight_ < drawnLeft_.
  std::int32_t drawnLeft_ = std::numeric_limits<std::int32_t>::max();
  std::int32_t drawnTop_ = std::numeric_limits<std::int32_t>::max();
  std::int32_t drawnRight_ = std::numeric_limits<std::int32_t>::min();
  std::int32_t drawnBottom_ = std::numeric_limits<std::int32_t>::min();
};

}  // namespace kurvlux
