// A box of pixels, rows counted from the top as on screen.
#pragma once

#include <algorithm>
#include <cstdint>

namespace kurvlux {

// Columns x..x+width-1 and rows y..y+height-1 of a picture.
struct PixelBox {
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  constexpr bool empty() const { return width <= 0 || height <= 0; }
  friend bool operator==(const PixelBox&, const PixelBox&) = default;
};

// The smallest box holding both.
constexpr PixelBox unite(const PixelBox& a, const PixelBox& b) {
  if (a.empty()) return b;
  if (b.empty()) return a;
  const std::int32_t left = std::min(a.x, b.x);
  const std::int32_t top = std::min(a.y, b.y);
  const std::int32_t right = std::max(a.x + a.width, b.x + b.width);
  const std::int32_t bottom = std::max(a.y + a.height, b.y + b.height);
  return PixelBox{left, top, right - left, bottom - top};
}

// The box both hold; empty if they do not overlap.
constexpr PixelBox intersect(const PixelBox& a, const PixelBox& b) {
  const std::int32_t left = std::max(a.x, b.x);
  const std::int32_t top = std::max(a.y, b.y);
  const std::int32_t right = std::min(a.x + a.width, b.x + b.width);
  const std::int32_t bottom = std::min(a.y + a.height, b.y + b.height);
  if (a.empty() || b.empty() || right <= left || bottom <= top) return PixelBox{};
  return PixelBox{left, top, right - left, bottom - top};
}

}  // namespace kurvlux
