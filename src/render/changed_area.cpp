#include "render/changed_area.hpp"

#include <cstddef>
#include <cstring>

namespace kurvlux {

namespace {

// Bytes compared as one block; a block is tested with word loads and no
// branch per byte, since the C library's memcmp under Wine goes byte by byte.
constexpr std::size_t blockBytes = 16;

bool blockDiffers(const std::uint8_t* a, const std::uint8_t* b) {
  std::uint32_t any = 0;
  for (std::size_t i = 0; i < blockBytes; i += 4) {
    std::uint32_t wordA;
    std::uint32_t wordB;
    std::memcpy(&wordA, a + i, 4);
    std::memcpy(&wordB, b + i, 4);
    any |= wordA ^ wordB;
  }
  return any != 0;
}

// Index of the first differing byte in [from, to), or `to`.
std::size_t firstDifference(const std::uint8_t* a, const std::uint8_t* b, std::size_t from, std::size_t to) {
  std::size_t i = from;
  while (i + blockBytes <= to && !blockDiffers(a + i, b + i)) i += blockBytes;
  while (i < to && a[i] == b[i]) ++i;
  return i;
}

// One past the last differing byte in [from, to), or `from`.
std::size_t endOfDifference(const std::uint8_t* a, const std::uint8_t* b, std::size_t from, std::size_t to) {
  std::size_t i = to;
  while (i >= from + blockBytes && !blockDiffers(a + i - blockBytes, b + i - blockBytes)) i -= blockBytes;
  while (i > from && a[i - 1] == b[i - 1]) --i;
  return i;
}

}  // namespace

PixelBox changedArea(const std::uint8_t* before, const std::uint8_t* after, std::int32_t rowLength,
                     std::int32_t width, std::int32_t height) {
  if (before == nullptr || after == nullptr || width <= 0 || height <= 0 || rowLength < 3 * width) {
    return PixelBox{};
  }
  const std::size_t used = 3 * static_cast<std::size_t>(width);
  // The byte range known to differ so far: [first, end). Each byte of a row
  // is looked at once at most: left of `first`, right of `end`, and in
  // between only until the row is known to differ at all.
  std::size_t first = used;
  std::size_t end = 0;
  std::int32_t firstRow = -1;
  std::int32_t lastRow = -1;
  for (std::int32_t row = 0; row < height; ++row) {
    const std::size_t offset = static_cast<std::size_t>(row) * static_cast<std::size_t>(rowLength);
    const std::uint8_t* a = before + offset;
    const std::uint8_t* b = after + offset;
    bool differs = false;
    if (const std::size_t left = firstDifference(a, b, 0, first); left < first) {
      first = left;
      differs = true;
    }
    const std::size_t rightFrom = end > first ? end : first;
    if (const std::size_t right = endOfDifference(a, b, rightFrom, used); right > rightFrom) {
      end = right;
      differs = true;
    }
    if (!differs && end > first) differs = firstDifference(a, b, first, end) < end;
    if (differs) {
      if (firstRow < 0) firstRow = row;
      lastRow = row;
    }
  }
  if (firstRow < 0) return PixelBox{};
  const auto firstColumn = static_cast<std::int32_t>(first / 3);
  const auto endColumn = static_cast<std::int32_t>((end + 2) / 3);
  // Memory rows run bottom-up.
  return PixelBox{firstColumn, height - 1 - lastRow, endColumn - firstColumn, lastRow - firstRow + 1};
}

}  // namespace kurvlux
