// The box of changed pixels decides what reaches the screen: a box one
// pixel short leaves a stale pixel in view, so every case is checked against
// the pixels themselves.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "render/changed_area.hpp"

namespace kurvlux {
namespace {

// 37 pixels make 111 bytes, padded to 112: rows end in mid-block and carry a
// padding byte that is no pixel.
constexpr std::int32_t width = 37;
constexpr std::int32_t height = 6;
constexpr std::int32_t rowLength = 112;

std::size_t byteOf(std::int32_t x, std::int32_t y, int component) {
  return static_cast<std::size_t>((height - 1 - y) * rowLength + 3 * x + component);
}

// The box from the pixels, one by one.
PixelBox slowBox(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
  std::int32_t left = width, top = height, right = -1, bottom = -1;
  for (std::int32_t y = 0; y < height; ++y) {
    for (std::int32_t x = 0; x < width; ++x) {
      for (int c = 0; c < 3; ++c) {
        if (a[byteOf(x, y, c)] == b[byteOf(x, y, c)]) continue;
        left = std::min(left, x), right = std::max(right, x);
        top = std::min(top, y), bottom = std::max(bottom, y);
      }
    }
  }
  if (right < 0) return PixelBox{};
  return PixelBox{left, top, right - left + 1, bottom - top + 1};
}

TEST(ChangedArea, BoxOfTheChangedBytes) {
  struct Change {
    std::int32_t x, y;
    int component;
  };
  struct Case {
    const char* what;
    std::vector<Change> changes;
    PixelBox expected;
  };
  const std::vector<Case> cases = {
      {"nothing", {}, PixelBox{}},
      {"first byte of the picture (bottom-left)", {{0, height - 1, 0}}, {0, height - 1, 1, 1}},
      {"last byte of the picture (top-right red)", {{width - 1, 0, 2}}, {width - 1, 0, 1, 1}},
      {"green of one pixel inside", {{17, 2, 1}}, {17, 2, 1, 1}},
      {"a column, as a chart adds it", {{20, 0, 0}, {20, 1, 1}, {20, 5, 2}}, {20, 0, 1, 6}},
      {"two far corners", {{1, 4, 2}, {35, 1, 0}}, {1, 1, 35, 4}},
      {"later rows widen the box on both sides", {{10, 1, 0}, {5, 3, 2}, {30, 4, 0}}, {5, 1, 26, 4}},
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> before(static_cast<std::size_t>(rowLength * height), 0x40);
    std::vector<std::uint8_t> after = before;
    for (const Change& change : c.changes) after[byteOf(change.x, change.y, change.component)] ^= 0x01;
    EXPECT_EQ(changedArea(before.data(), after.data(), rowLength, width, height), c.expected) << c.what;
  }
}

TEST(ChangedArea, RowPaddingIsNoPixel) {
  std::vector<std::uint8_t> before(static_cast<std::size_t>(rowLength * height), 0);
  std::vector<std::uint8_t> after = before;
  for (std::int32_t row = 0; row < height; ++row) after[static_cast<std::size_t>(row * rowLength + rowLength - 1)] = 9;
  EXPECT_TRUE(changedArea(before.data(), after.data(), rowLength, width, height).empty());
}

TEST(ChangedArea, AgreesWithThePixelsForRandomChanges) {
  std::mt19937 random(11);
  std::uniform_int_distribution<std::int32_t> anyX(0, width - 1), anyY(0, height - 1), anyCount(0, 5);
  std::uniform_int_distribution<int> anyComponent(0, 2);
  std::vector<std::uint8_t> before(static_cast<std::size_t>(rowLength * height));
  for (auto& byte : before) byte = static_cast<std::uint8_t>(random());
  for (int round = 0; round < 2000; ++round) {
    std::vector<std::uint8_t> after = before;
    const std::int32_t count = anyCount(random);
    for (std::int32_t i = 0; i < count; ++i) after[byteOf(anyX(random), anyY(random), anyComponent(random))] += 1;
    ASSERT_EQ(changedArea(before.data(), after.data(), rowLength, width, height), slowBox(before, after))
        << "round " << round;
  }
}

}  // namespace
}  // namespace kurvlux
