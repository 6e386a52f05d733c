// An image held in plain memory with the layout the raster writes (24-bit
// bottom-up rows padded to four bytes, as in a Windows DIB), for the image
// stores that keep their pixels themselves.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "render/image_store.hpp"

namespace kurvlux {

// Image sides are kept as signed 16-bit values, as GDI keeps them.
constexpr int maximumImageSide = 0x7FFF;

// Bytes of one pixel row, padded to a multiple of four.
constexpr std::int32_t paddedRowLength(int width) { return ((3 * width + 3) / 4) * 4; }

struct PixelImage {
  std::uintptr_t handle = 0;
  int width = 0;
  int height = 0;
  std::int32_t rowLength = 0;
  std::vector<std::uint8_t> pixels;

  PixelView view() { return PixelView{pixels.data(), rowLength, width, height}; }

  // Every pixel black; nothing for a size no image may have.
  static std::optional<PixelImage> black(std::uintptr_t handle, int width, int height) {
    if (width <= 0 || height <= 0 || width > maximumImageSide || height > maximumImageSide)
      return std::nullopt;
    PixelImage image;
    image.handle = handle;
    image.width = width;
    image.height = height;
    image.rowLength = paddedRowLength(width);
    image.pixels.assign(static_cast<std::size_t>(image.rowLength) * static_cast<std::size_t>(height), 0);
    return image;
  }
};

}  // namespace kurvlux
