// Where two pictures of the same size and layout differ. Presenting only
// that box puts the same pixels on screen as presenting the whole picture,
// at a fraction of the cost when a chart adds one column per picture.
#pragma once

#include <cstdint>

#include "render/pixel_box.hpp"

namespace kurvlux {

// The smallest box holding every pixel in which `before` and `after` differ,
// both 24-bit bottom-up memory of width x height pixels with rows of
// rowLength bytes (the padding at a row's end is not compared). Empty when
// the pictures are equal.
PixelBox changedArea(const std::uint8_t* before, const std::uint8_t* after, std::int32_t rowLength,
                     std::int32_t width, std::int32_t height);

}  // namespace kurvlux
