// Which rows of each column of a picture may have been drawn on since it
// was last cleared, so the next clear can put back only those pixels.
#pragma once

#include <cstdint>
#include <vector>

#include "render/image_store.hpp"

namespace kurvlux {

class TouchedColumns {
 public:
  // Nothing known: the next restore covers the whole picture.
  void forgetAll() { known_ = false; }
  // Only the record starts afresh, for a picture of this many columns and
  // rows that has just been cleared: nothing in it is touched.
  void markNoneTouched(int width, int height);
  // Everything a line between the two points may draw: the box they span,
  // cut to the picture (a clipped line never leaves that box).
  void addLine(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2);
  // Copies the touched pixels of `clean` (same layout as `view`) into
  // `view`; every pixel when nothing is known.
  void restore(const PixelView& view, const std::uint8_t* clean) const;

 private:
  bool known_ = false;
  int height_ = 0;
  // Per column the first and last touched row; first > last: none.
  std::vector<std::int32_t> first_;
  std::vector<std::int32_t> last_;
  // The touched columns lie in [left_, right_].
  std::int32_t left_ = 0;
  std::int32_t right_ = -1;
};

}  // namespace kurvlux
