// Where two pictures of the same size and layout differ. Presenting only
// that box puts the same pixels on screen as presenting the whole picture,
// at a fraction of the cost when a chart adds one column per picture.
#pragma once

#include <cstdint>

namespace kurvlux {

// Columns x..x+width-1 and rows y..y+height-1 of the picture (rows counted
// from the top, as on screen).
struct PixelBox {
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool empty() const { return width <= 0 || height <= 0; }
  friend bool operator==(const PixelBox&, const PixelBox&) = default;
};

// The smallest box holding every pixel in which `before` and `after` differ,
// both 24-bit bottom-up memory of width x height pixels with rows of
// rowLength bytes (the padding at a row's end is not compared). Empty when
// the pictures are equal.
PixelBox changedArea(const std::uint8_t* before, const std::uint8_t* after, std::int32_t rowLength,
                     std::int32_t width, std::int32_t height);

}  // namespace kurvlux
