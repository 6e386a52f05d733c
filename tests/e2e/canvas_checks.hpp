// What both end-to-end harnesses look for in the canvas as it is on the
// screen: 1000 x 256 pixels, row by row, 0xRRGGBB.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace probe {

inline int differingPixels(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b) {
  if (a.size() != b.size()) return -1;
  int count = 0;
  for (std::size_t i = 0; i < a.size(); ++i) count += a[i] != b[i] ? 1 : 0;
  return count;
}

// A trace that spans the canvas, as an oscilloscope frame draws it; a
// rolling chart with a few points, or a cleared canvas, does not.
inline bool showsFullTrace(const std::vector<std::uint32_t>& canvas) {
  constexpr std::uint32_t blue = 0x0000FF;
  if (canvas.size() != 256000) return false;
  for (std::size_t x = 50; x < 1000; x += 100) {
    bool blueInColumn = false;
    for (std::size_t y = 0; y < 256 && !blueInColumn; ++y) blueInColumn = canvas[y * 1000 + x] == blue;
    if (!blueInColumn) return false;
  }
  return true;
}

}  // namespace probe
