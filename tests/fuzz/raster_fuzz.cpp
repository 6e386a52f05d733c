// Boxes and lines with arbitrary 32-bit arguments and colours on a small
// image that sits inside a larger allocation: guard bytes before and after
// the pixel memory and in every row's padding must never change, every pixel
// is either left alone or holds exactly the colour, a box colours exactly its
// clipped area, and a line whose ends are both inside draws both ends and one
// pixel per step of its longer axis.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzz/fuzz_input.hpp"
#include "render/raster.hpp"

using namespace kurvlux;

namespace {

class Input : public fuzz::FuzzInput {
 public:
  using FuzzInput::FuzzInput;
  // Mostly small values near the image, so the inside cases come up often;
  // otherwise any 32-bit value.
  std::int32_t coordinate(bool small) {
    return small ? static_cast<std::int8_t>(byte()) : static_cast<std::int32_t>(word());
  }
};

constexpr std::size_t guardSize = 48;

struct Image {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t rowLength = 0;
  std::vector<std::uint8_t> memory;  // guard, rows, guard

  std::uint8_t* pixels() { return memory.data() + guardSize; }
  std::size_t pixelBytes() const { return static_cast<std::size_t>(rowLength) * height; }
  std::uint8_t* at(std::int64_t x, std::int64_t y) {
    return pixels() + (height - 1 - y) * static_cast<std::int64_t>(rowLength) + 3 * x;
  }
  bool isGuard(std::size_t offset) const {
    if (offset < guardSize || offset >= guardSize + pixelBytes()) return true;
    return static_cast<std::int32_t>((offset - guardSize) % rowLength) >= 3 * width;
  }
};

[[noreturn]] void fail() { std::abort(); }

// Guard bytes get a value no colour component has, pixels the inverted
// components, so any store of the colour shows.
void prepare(Image& image, std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t& guard) {
  guard = 0;
  while (guard == r || guard == g || guard == b) ++guard;
  for (std::size_t i = 0; i < image.memory.size(); ++i) image.memory[i] = guard;
  for (std::int32_t y = 0; y < image.height; ++y) {
    for (std::int32_t x = 0; x < image.width; ++x) {
      std::uint8_t* p = image.at(x, y);
      p[0] = static_cast<std::uint8_t>(~b);
      p[1] = static_cast<std::uint8_t>(~g);
      p[2] = static_cast<std::uint8_t>(~r);
    }
  }
}

// Checks the guards and that each pixel is untouched or exactly the colour;
// returns the coloured pixels as a bitmap (row-major, top row first).
std::vector<bool> inspect(Image& image, std::uint8_t r, std::uint8_t g, std::uint8_t b,
                          std::uint8_t guard) {
  for (std::size_t i = 0; i < image.memory.size(); ++i) {
    if (image.isGuard(i) && image.memory[i] != guard) fail();
  }
  std::vector<bool> coloured(static_cast<std::size_t>(image.width) * image.height, false);
  for (std::int32_t y = 0; y < image.height; ++y) {
    for (std::int32_t x = 0; x < image.width; ++x) {
      const std::uint8_t* p = image.at(x, y);
      const bool isColour = p[0] == b && p[1] == g && p[2] == r;
      const bool isOld = p[0] == static_cast<std::uint8_t>(~b) &&
                         p[1] == static_cast<std::uint8_t>(~g) && p[2] == static_cast<std::uint8_t>(~r);
      if (!isColour && !isOld) fail();
      coloured[static_cast<std::size_t>(y) * image.width + x] = isColour;
    }
  }
  return coloured;
}

void checkBox(const Image& image, const std::vector<bool>& coloured, std::int64_t x, std::int64_t y,
              std::int64_t w, std::int64_t h) {
  // The box covers x..x+w-1 (mirrored at x for a negative width), clipped.
  const std::int64_t left = w < 0 ? x + w : x;
  const std::int64_t right = w < 0 ? x - 1 : x + w - 1;
  const std::int64_t top = h < 0 ? y + h : y;
  const std::int64_t bottom = h < 0 ? y - 1 : y + h - 1;
  for (std::int32_t py = 0; py < image.height; ++py) {
    for (std::int32_t px = 0; px < image.width; ++px) {
      const bool inside = px >= left && px <= right && py >= top && py <= bottom;
      if (coloured[static_cast<std::size_t>(py) * image.width + px] != inside) fail();
    }
  }
}

void checkLine(const Image& image, const std::vector<bool>& coloured, std::int64_t x1, std::int64_t y1,
               std::int64_t x2, std::int64_t y2) {
  const auto inside = [&](std::int64_t x, std::int64_t y) {
    return x >= 0 && x < image.width && y >= 0 && y < image.height;
  };
  if (!inside(x1, y1) || !inside(x2, y2)) return;
  const auto isColoured = [&](std::int64_t x, std::int64_t y) {
    return coloured[static_cast<std::size_t>(y * image.width + x)];
  };
  if (!isColoured(x1, y1) || !isColoured(x2, y2)) fail();
  // One pixel per step of the longer axis, every one within the ends' box.
  const std::int64_t steps = std::max(x1 > x2 ? x1 - x2 : x2 - x1, y1 > y2 ? y1 - y2 : y2 - y1);
  std::int64_t count = 0;
  for (std::int32_t py = 0; py < image.height; ++py) {
    for (std::int32_t px = 0; px < image.width; ++px) {
      if (!isColoured(px, py)) continue;
      ++count;
      if (px < std::min(x1, x2) || px > std::max(x1, x2) || py < std::min(y1, y2) ||
          py > std::max(y1, y2)) {
        fail();
      }
    }
  }
  if (count != steps + 1) fail();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input in(data, size);
  // 1x1 up to 16x9, rows padded to four bytes plus up to three extra words;
  // a shape byte of 0 gives the default 13x7 (a padded row).
  const std::uint8_t shape = in.byte();
  const std::uint8_t padding = in.byte();
  Image image;
  image.width = shape == 0 ? 13 : 1 + (shape & 15);
  image.height = shape == 0 ? 7 : 1 + ((shape >> 4) % 9);
  image.rowLength = ((3 * image.width + 3) / 4) * 4 + 4 * (padding & 3);
  image.memory.assign(2 * guardSize + image.pixelBytes(), 0);

  PixelView view;
  view.pixels = image.pixels();
  view.rowLength = image.rowLength;
  view.width = image.width;
  view.height = image.height;
  DrawingTarget target(view);
  if (!target.isOpen()) fail();

  for (int operations = 0; !in.empty() && operations < 64; ++operations) {
    const std::uint8_t op = in.byte();
    const bool small = (op & 2) == 0;
    const std::int32_t a = in.coordinate(small);
    const std::int32_t b = in.coordinate(small);
    const std::int32_t c = in.coordinate(small);
    const std::int32_t d = in.coordinate(small);
    const auto colour = static_cast<ColourValue>(in.word());
    const auto bits = static_cast<std::uint32_t>(colour);
    const auto red = static_cast<std::uint8_t>(bits & 0xFF);
    const auto green = static_cast<std::uint8_t>((bits >> 8) & 0xFF);
    const auto blue = static_cast<std::uint8_t>((bits >> 16) & 0xFF);
    std::uint8_t guard = 0;
    prepare(image, red, green, blue, guard);
    if (op & 1) {
      target.drawLine(a, b, c, d, colour);
      const std::vector<bool> coloured = inspect(image, red, green, blue, guard);
      checkLine(image, coloured, a, b, c, d);
    } else {
      target.fillBox(a, b, c, d, colour);
      const std::vector<bool> coloured = inspect(image, red, green, blue, guard);
      checkBox(image, coloured, a, b, c, d);
    }
    if (target.currentColour() != colour) fail();
  }

  // A view whose rows are too short for its width, or empty, is never drawn on.
  PixelView tooShort = view;
  tooShort.rowLength = 3 * image.width - 1;
  DrawingTarget closed(tooShort);
  if (closed.isOpen()) fail();
  std::uint8_t guard = 0;
  prepare(image, 0x56, 0x34, 0x12, guard);
  closed.fillBox(-5, -5, 100, 100, 0x123456);
  closed.drawLine(0, 0, image.width - 1, image.height - 1, 0x123456);
  const std::vector<bool> coloured = inspect(image, 0x56, 0x34, 0x12, guard);
  if (std::find(coloured.begin(), coloured.end(), true) != coloured.end()) fail();
  return 0;
}
