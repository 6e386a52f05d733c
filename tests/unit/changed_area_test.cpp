// The box of changed pixels decides what reaches the screen: one pixel short
// leaves a stale pixel in view. Checked against the pixels one by one.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "render/changed_area.hpp"

namespace kurvlux {
namespace {

TEST(ChangedArea, AgreesWithThePixelsForRandomChanges) {
  // 111 bytes of pixels padded to 112: rows end in mid-block.
  constexpr int width = 37, height = 6, rowLength = 112;
  std::mt19937 random(11);
  std::vector<std::uint8_t> before(rowLength * height);
  for (auto& byte : before) byte = static_cast<std::uint8_t>(random());
  for (int round = 0; round < 3000; ++round) {
    std::vector<std::uint8_t> after = before;
    int left = width, top = height, right = -1, bottom = -1;
    for (int change = static_cast<int>(random() % 6); change > 0; --change) {
      const int x = static_cast<int>(random() % width), y = static_cast<int>(random() % height);
      after[(height - 1 - y) * rowLength + 3 * x + static_cast<int>(random() % 3)] += 1;
      left = std::min(left, x), right = std::max(right, x), top = std::min(top, y), bottom = std::max(bottom, y);
    }
    if (round % 2 == 0) after[(round % height) * rowLength + rowLength - 1] += 1;
    const PixelBox expected = right < 0 ? PixelBox{} : PixelBox{left, top, right - left + 1, bottom - top + 1};
    ASSERT_EQ(changedArea(before.data(), after.data(), rowLength, width, height), expected) << "round " << round;
  }
}

}  // namespace
}  // namespace kurvlux
