#include "ui/status_layout.hpp"

#include "ui/status_bar.hpp"

namespace kurvlux {

int statusAvailableWidth(int barClientWidth, int barClientHeight, bool parentSizable, bool parentMaximised) {
  if (parentSizable && !parentMaximised) return barClientWidth - (barClientHeight - 3);
  return barClientWidth;
}

std::vector<int> statusRightEdges(std::span<const int> widths, int availableWidth) {
  std::int64_t fixedSum = 0;
  std::int64_t sharedCount = 0;
  for (const int width : widths) {
    if (width == sharedFieldWidth) {
      ++sharedCount;
    } else {
      fixedSum += width;
    }
  }
  const std::int64_t shared = sharedCount > 0 ? (availableWidth - fixedSum) / sharedCount : 0;
  std::vector<int> edges;
  edges.reserve(widths.size());
  std::int64_t edge = 0;
  for (const int width : widths) {
    edge += width == sharedFieldWidth ? shared : width;
    edges.push_back(static_cast<int>(edge));
  }
  return edges;
}

PixelRect progressControlRect(const PixelRect& field) {
  return PixelRect{field.x + 2, field.y + 3, field.width - 8, field.height - 6};
}

int progressFillWidth(int value, int minimum, int maximum, int innerWidth) {
  if (innerWidth <= 0 || value <= minimum) return 0;
  if (value < maximum) {
    // In 64 bits: a count of bytes per second times a field width must not
    // overflow before the division.
    const std::int64_t part = static_cast<std::int64_t>(value) - minimum;
    const std::int64_t range = static_cast<std::int64_t>(maximum) - minimum;
    return static_cast<int>(part * innerWidth / range);
  }
  return innerWidth;
}

StatusBorder statusBorder(int flags) {
  if (flags & statusRaised) return StatusBorder::raised;
  if (flags & statusNoBorder) return StatusBorder::none;
  return StatusBorder::sunken;
}

Text composeStatusText(TextView text, int flags, bool themed) {
  // The status bar centres what follows one tab and right-aligns what
  // follows two.
  const bool centred = (flags & statusCentred) != 0;
  const bool right = !centred && (flags & statusRightAligned) != 0;
  const std::size_t tabs = centred ? 1 : right ? 2 : 0;
  Text composed(tabs, u'\t');
  composed.append(untilNul(text));
  if (right && themed) composed.append(4, u' ');
  return composed;
}

}  // namespace kurvlux
