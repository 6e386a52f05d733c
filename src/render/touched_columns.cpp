#include "render/touched_columns.hpp"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace kurvlux {

void TouchedColumns::markNoneTouched(int width, int height) {
  known_ = true;
  height_ = height;
  first_.assign(static_cast<std::size_t>(width), height);
  last_.assign(static_cast<std::size_t>(width), -1);
  left_ = 0;
  right_ = -1;
}

void TouchedColumns::addLine(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
  if (!known_) return;
  const auto width = static_cast<std::int32_t>(first_.size());
  const std::int32_t left = std::max(std::min(x1, x2), 0);
  const std::int32_t right = std::min(std::max(x1, x2), width - 1);
  const std::int32_t top = std::max(std::min(y1, y2), 0);
  const std::int32_t bottom = std::min(std::max(y1, y2), height_ - 1);
  if (left > right || top > bottom) return;
  for (std::int32_t x = left; x <= right; ++x) {
    first_[static_cast<std::size_t>(x)] = std::min(first_[static_cast<std::size_t>(x)], top);
    last_[static_cast<std::size_t>(x)] = std::max(last_[static_cast<std::size_t>(x)], bottom);
  }
  left_ = right_ < left_ ? left : std::min(left_, left);
  right_ = std::max(right_, right);
}

void TouchedColumns::restore(const PixelView& view, const std::uint8_t* clean) const {
  if (!known_ || static_cast<int>(first_.size()) != view.width || height_ != view.height) {
    std::memcpy(view.pixels, clean,
                static_cast<std::size_t>(view.rowLength) * static_cast<std::size_t>(view.height));
    view.noteWritten(PixelBox{0, 0, view.width, view.height});
    return;
  }
  // A copy of a known size is a plain store; one of a size known only at
  // run time is a call per pixel.
  const auto columns = [&]<std::size_t bytes>() {
    const std::int64_t down = view.rowStep();
    std::int32_t highest = height_, lowest = -1;
    for (std::int32_t x = left_; x <= right_; ++x) {
      const std::int32_t top = first_[static_cast<std::size_t>(x)];
      const std::int32_t bottom = last_[static_cast<std::size_t>(x)];
      highest = std::min(highest, top);
      lowest = std::max(lowest, bottom);
      for (std::int64_t y = top, at = view.offsetOf(x, top); y <= bottom; ++y, at += down) {
        std::memcpy(view.pixels + at, clean + at, bytes);
      }
    }
    if (highest <= lowest)
      view.noteWritten(PixelBox{left_, highest, right_ - left_ + 1, lowest - highest + 1});
  };
  if (view.layout == PixelLayout::topDown32) {
    columns.template operator()<4>();
  } else {
    columns.template operator()<3>();
  }
}

}  // namespace kurvlux
