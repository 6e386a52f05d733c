// Pixel drawing on the open target. All coordinates are widened to 64 bits
// on entry: sums such as x + w or |x2 - x1| + 1 of 32-bit arguments then
// never overflow, and the clipping decides everything before a store.
#include "render/raster.hpp"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstring>
#include <utility>

namespace kurvlux {

namespace {

// A clipped end lies between the two ends it was computed from, so its
// coordinate stays near the 32-bit range; the clamp only keeps the
// conversion of a double to an integer defined for any input.
std::int64_t truncated(double value) {
  constexpr double limit = 4611686018427387904.0;  // 2^62
  if (!(value > -limit)) return -(std::int64_t{1} << 62);
  if (!(value < limit)) return std::int64_t{1} << 62;
  return static_cast<std::int64_t>(std::trunc(value));
}

// Clips one axis of a sloped segment to lo..hi: c is the clipped coordinate,
// o the other. Returns false when both ends lie beyond the same border. The
// slope comes from the ends as they were on entry, and the first end is
// moved before the second.
bool clipAxis(std::int64_t& c1, std::int64_t& o1, std::int64_t& c2, std::int64_t& o2, std::int64_t lo,
              std::int64_t hi) {
  if ((c1 < lo && c2 < lo) || (c1 > hi && c2 > hi)) return false;
  const bool firstOutside = c1 < lo || c1 > hi;
  const bool secondOutside = c2 < lo || c2 > hi;
  if (!firstOutside && !secondOutside) return true;
  // One end outside and the ends not beyond the same border: c1 != c2.
  const double slope = static_cast<double>(o2 - o1) / static_cast<double>(c2 - c1);
  const auto moveEnd = [&](std::int64_t& c, std::int64_t& o) {
    if (c < lo) {
      o = truncated(static_cast<double>(o) + static_cast<double>(lo - c) * slope);
      c = lo;
    } else if (c > hi) {
      o = truncated(static_cast<double>(o) + static_cast<double>(hi - c) * slope);
      c = hi;
    }
  };
  moveEnd(c1, o1);
  moveEnd(c2, o2);
  return true;
}

}  // namespace

DrawingTarget::DrawingTarget(const PixelView& view)
    : view_(view),
      top_(view.pixels && view.height > 0 ? view.pixels + view.offsetOf(0, 0) : nullptr),
      down_(view.rowStep()),
      right_(view.pixelBytes()),
      open_(view.pixels != nullptr && view.width > 0 && view.height > 0 &&
            view.rowLength >= view.pixelBytes() * static_cast<std::int64_t>(view.width)) {}

void DrawingTarget::selectColour(ColourValue colour) {
  if (colour == colour_) return;
  colour_ = colour;
  const auto bits = static_cast<std::uint32_t>(colour);
  red_ = static_cast<std::uint8_t>(bits & 0xFFu);
  green_ = static_cast<std::uint8_t>((bits >> 8) & 0xFFu);
  blue_ = static_cast<std::uint8_t>((bits >> 16) & 0xFFu);
  ++colourSplits_;
}

void DrawingTarget::reportWritten() {
  if (drawnRight_ < drawnLeft_) return;
  view_.noteWritten(
      PixelBox{drawnLeft_, drawnTop_, drawnRight_ - drawnLeft_ + 1, drawnBottom_ - drawnTop_ + 1});
}

std::uint8_t* DrawingTarget::pixelAddress(std::int64_t x, std::int64_t y) const {
  assert(x >= 0 && x < view_.width && y >= 0 && y < view_.height && "pixel must be clipped");
  return top_ + y * down_ + x * right_;
}

void DrawingTarget::horizontalRun(std::int64_t x, std::int64_t y, std::int64_t count) {
  if (y < 0 || y >= view_.height) return;
  if (x < 0) {
    count += x;
    x = 0;
  }
  if (x + count > view_.width) count = view_.width - x;
  if (count <= 0) return;
  noteDrawn(x, y, x + count - 1, y);
  std::uint8_t* pixel = pixelAddress(x, y);
  if (view_.layout == PixelLayout::topDown32) {
    const std::uint32_t word = std::uint32_t{blue_} | std::uint32_t{green_} << 8 | std::uint32_t{red_} << 16;
    for (; count > 0; --count, pixel += 4) std::memcpy(pixel, &word, 4);
    return;
  }
  // Four pixels are twelve bytes: store them as one block while the run is
  // long enough, the rest one by one.
  const std::uint8_t four[12] = {blue_, green_, red_, blue_, green_, red_,
                                 blue_, green_, red_, blue_, green_, red_};
  for (; count >= 4; count -= 4, pixel += 12) std::memcpy(pixel, four, sizeof four);
  for (; count > 0; --count, pixel += 3) writePixel(pixel);
}

void DrawingTarget::verticalRun(std::int64_t x, std::int64_t y, std::int64_t count) {
  if (x < 0 || x >= view_.width) return;
  if (y < 0) {
    count += y;
    y = 0;
  }
  if (y + count > view_.height) count = view_.height - y;
  if (count <= 0) return;
  noteDrawn(x, y, x, y + count - 1);
  std::uint8_t* pixel = pixelAddress(x, y);
  // In locals: a byte store may alias any member, which would be re-read.
  const std::int64_t down = down_;
  for (std::int64_t i = 0; i < count; ++i, pixel += down) writePixel(pixel);
}

void DrawingTarget::fillBox(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                            ColourValue colour) {
  if (!open_) return;
  selectColour(colour);
  std::int64_t left = x, top = y, w = width, h = height;
  if (w < 0) {
    left += w;
    w = -w;
  }
  if (h < 0) {
    top += h;
    h = -h;
  }
  if (left < 0) {
    w += left;
    left = 0;
  }
  if (top < 0) {
    h += top;
    top = 0;
  }
  if (left + w > view_.width) w = view_.width - left;
  if (top + h > view_.height) h = view_.height - top;
  if (w <= 0 || h <= 0) return;
  for (std::int64_t row = top; row < top + h; ++row) horizontalRun(left, row, w);
}

void DrawingTarget::drawLine(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2,
                             ColourValue colour) {
  if (!open_) return;
  selectColour(colour);
  std::int64_t ax = x1, ay = y1, bx = x2, by = y2;
  // The horizontal test comes first, so a line whose ends coincide is a
  // one-pixel run.
  if (ay == by) {
    horizontalRun(std::min(ax, bx), ay, (ax > bx ? ax - bx : bx - ax) + 1);
    return;
  }
  if (ax == bx) {
    verticalRun(ax, std::min(ay, by), (ay > by ? ay - by : by - ay) + 1);
    return;
  }
  // Columns first, then rows on the ends the column clip left. Clipping may
  // make the two x or y equal; the walk handles that without going back to
  // the run cases.
  if (!clipAxis(ax, ay, bx, by, 0, view_.width - 1)) return;
  if (!clipAxis(ay, ax, by, bx, 0, view_.height - 1)) return;
  walkLine(ax, ay, bx, by);
}

void DrawingTarget::walkLine(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2) {
  // Truncation can leave an end one step off the segment, but never outside
  // the image: the row clip puts both y on or inside the border, and a
  // column value between 0 and width - 1 truncates toward zero into it.
  // Refuse rather than store outside should that reasoning ever break.
  const auto inside = [&](std::int64_t x, std::int64_t y) {
    return x >= 0 && x < view_.width && y >= 0 && y < view_.height;
  };
  if (!inside(x1, y1) || !inside(x2, y2)) return;
  noteDrawn(std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2));

  const std::int64_t adx = x2 > x1 ? x2 - x1 : x1 - x2;
  const std::int64_t ady = y2 > y1 ? y2 - y1 : y1 - y2;
  // In locals: a byte store may alias any member, which would be re-read.
  const std::int64_t down = down_;
  const std::int64_t right = right_;
  if (ady <= adx) {
    // x is the major axis: walk from the end with the smaller x.
    if (x1 > x2) {
      std::swap(x1, x2);
      std::swap(y1, y2);
    }
    const std::int64_t minorStep = y2 > y1 ? down : -down;
    std::int64_t e = 2 * ady - adx;
    std::uint8_t* pixel = pixelAddress(x1, y1);
    writePixel(pixel);
    for (std::int64_t x = x1; x < x2; ++x) {
      pixel += right;
      if (e < 0) {
        e += 2 * ady;
      } else {
        pixel += minorStep;
        e += 2 * (ady - adx);
      }
      writePixel(pixel);
    }
  } else {
    // y is the major axis: walk from the end with the smaller y (the upper end).
    if (y1 > y2) {
      std::swap(x1, x2);
      std::swap(y1, y2);
    }
    const std::int64_t minorStep = x2 > x1 ? right : -right;
    std::int64_t e = 2 * adx - ady;
    std::uint8_t* pixel = pixelAddress(x1, y1);
    writePixel(pixel);
    for (std::int64_t y = y1; y < y2; ++y) {
      pixel += down;
      if (e < 0) {
        e += 2 * adx;
      } else {
        pixel += minorStep;
        e += 2 * (adx - ady);
      }
      writePixel(pixel);
    }
  }
}

}  // namespace kurvlux
